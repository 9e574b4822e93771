// One run per folder: an exclusive advisory lock (flock) on the lock file
// of the folder the run writes its results into.
//
// Two runs that wrote into one folder at the same time would leave a mix
// of their files.  A run takes the lock before it writes anything and
// holds it until it ends; a second run finds it taken and stops at once.
// The kernel releases the lock when its process ends, however it ends, so
// a killed run leaves no stale lock (at most the empty lock file, which
// the next run takes over).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvan::textio {

class FolderLock {
 public:
  // The lock file in the folder.
  static constexpr std::string_view kFileName = ".zelvan.lock";

  // Takes the lock of `folder`: creates the lock file if needed, locks it
  // without waiting, and writes this process's id into it.  Throws
  // RunStop(folder_in_use) when another process holds it; the message
  // names the folder (as a full path) and the process id written by the
  // holder.  When the lock file cannot be created or locked at all (a
  // folder that is read-only, removed or on a file system without locks)
  // the run goes on without the lock: such a folder takes no result file
  // either, and the first result file reports why.
  explicit FolderLock(const std::string& folder);

  // Removes the lock file and releases the lock.
  ~FolderLock();

  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  FolderLock(FolderLock&&) = delete;
  FolderLock& operator=(FolderLock&&) = delete;

  // Whether this object holds the lock.
  bool held() const { return fd_ >= 0; }

 private:
  std::string path_;
  int fd_ = -1;
  std::size_t slot_ = static_cast<std::size_t>(-1);  // its entry for the signal handler (none)
};

}  // namespace zelvan::textio
