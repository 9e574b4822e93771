#include "textio/folder_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "textio/detail/signal_removals.hpp"
#include "textio/messages.hpp"
#include "textio/output_file.hpp"
#include "textio/stop.hpp"

namespace zelvan::textio {
namespace {

// A holder that removed the lock file just after another process opened
// it leaves that process the lock of a file without a name; it tries again
// with the file of the name.  Two attempts suffice unless runs keep
// starting and ending in the folder; the limit only bounds the loop.
constexpr int kLockAttempts = 100;
// The holder writes its process id right after it took the lock: a reader
// that finds the file still empty waits for it this long at most.
constexpr auto kHolderIdWait = std::chrono::seconds(1);
constexpr auto kHolderIdPoll = std::chrono::milliseconds(10);
constexpr std::size_t kHolderIdLength = 20;

// The process id in the lock file open as `fd`, or "" when it holds none.
std::string holder_id(int fd) {
  const auto deadline = std::chrono::steady_clock::now() + kHolderIdWait;
  for (;;) {
    char text[kHolderIdLength + 1] = {};  // NOLINT(modernize-avoid-c-arrays): a read buffer
    const ssize_t n = ::pread(fd, text, kHolderIdLength, 0);
    std::string id;
    for (ssize_t i = 0; i < n && std::isdigit(static_cast<unsigned char>(text[i])) != 0; ++i) id += text[i];
    if (n > 0 && text[n - 1] == '\n' && !id.empty()) return id;
    if (std::chrono::steady_clock::now() >= deadline) return id;
    std::this_thread::sleep_for(kHolderIdPoll);
  }
}

[[noreturn]] void folder_in_use(const std::string& folder, const std::string& holder) {
  std::string text = "\n";
  text += msg::compose(msg::kFolderInUse,
                       {full_path(folder).string(), holder.empty() ? std::string(msg::kHolderUnknown)
                                                                   : msg::compose(msg::kHolderProcess, {holder})});
  text += "\n\n";
  text += msg::kFolderInUseStopLine;
  text += '\n';
  throw RunStop(StopReason::folder_in_use, text);
}

bool same_file(int fd, const std::string& path) {
  struct stat by_fd {};
  struct stat by_name {};
  return ::fstat(fd, &by_fd) == 0 && ::stat(path.c_str(), &by_name) == 0 && by_fd.st_dev == by_name.st_dev &&
         by_fd.st_ino == by_name.st_ino;
}

}  // namespace

FolderLock::FolderLock(const std::string& folder) : path_((std::filesystem::path(folder) / kFileName).string()) {
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    // O_NOFOLLOW: the process id is never written through a link.
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const bool taken = errno == EWOULDBLOCK;
      const std::string holder = taken ? holder_id(fd) : std::string();
      ::close(fd);
      if (taken) folder_in_use(folder, holder);
      return;
    }
    if (!same_file(fd, path_)) {
      ::close(fd);
      continue;
    }
    fd_ = fd;
    const std::string id = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, id.data(), id.size(), 0) != static_cast<ssize_t>(id.size())) {
      // The lock holds without the id; another run then says it is unknown.
    }
    // An interrupted run removes the lock file too (the kernel releases
    // the lock).
    slot_ = detail::remember_for_signals(path_);
    return;
  }
}

FolderLock::~FolderLock() {
  if (fd_ < 0) return;
  // Removed while it is still locked: a process that opened it in the
  // meantime finds, once it has the lock, that the name is gone, and tries
  // again with a new file.
  ::unlink(path_.c_str());
  detail::forget_for_signals(slot_);
  ::close(fd_);
}

}  // namespace zelvan::textio
