#include "textio/output_file.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "core/state_binding.hpp"
#include "textio/detail/signal_removals.hpp"
#include "textio/messages.hpp"
#include "textio/stop.hpp"

namespace zelvan::textio {
namespace {

// The one binding of the module's run state.
constinit core::StateBinding<OutputRecords> g_binding;

// The temporaries of the open files, for the signal handler: fixed slots,
// so that the handler reads only plain memory and calls only unlink() and
// raise(), which may be called in a signal handler.  They are deliberately
// not part of OutputRecords: a handler may run at any moment, also while a
// run's records are replaced or rebound, so the slots stay one plain
// static array that lives as long as the process.
constexpr std::size_t kTemporarySlots = 64;
constexpr std::size_t kTemporaryPathLength = 4096;
struct TemporarySlot {
  std::atomic<bool> used{false};
  std::array<char, kTemporaryPathLength> path{};
};
std::array<TemporarySlot, kTemporarySlots> g_temporaries;

}  // namespace

namespace detail {

std::size_t remember_for_signals(const std::string& path) {
  if (path.size() >= kTemporaryPathLength) return kNoRemovalSlot;
  for (std::size_t i = 0; i < kTemporarySlots; ++i) {
    TemporarySlot& slot = g_temporaries[i];
    if (slot.used.load()) continue;
    std::copy(path.begin(), path.end(), slot.path.begin());
    slot.path[path.size()] = '\0';
    slot.used.store(true);
    return i;
  }
  return kNoRemovalSlot;
}

void forget_for_signals(std::size_t slot) {
  if (slot < kTemporarySlots) g_temporaries[slot].used.store(false);
}

}  // namespace detail

namespace {

using detail::forget_for_signals;
using detail::remember_for_signals;

extern "C" void remove_temporaries_and_end(int signal_number) {
  for (TemporarySlot& slot : g_temporaries) {
    if (slot.used.load()) ::unlink(slot.path.data());
  }
  // The handler was installed to run once: the signal now ends the process
  // as it would have without it.
  std::raise(signal_number);
}

void set_state(const std::string& name, FileState state) {
  std::vector<OutputFileState>& files = output_files();
  auto it = std::find_if(files.begin(), files.end(), [&](const OutputFileState& f) { return f.name == name; });
  if (it == files.end()) {
    files.push_back({name, state});
  } else if (it->state != FileState::placed || state != FileState::open) {
    // A file in place that is written again stays in place as it was
    // until the new one replaces it.
    it->state = state;
  }
}

[[noreturn]] void output_error(std::string_view pattern, const std::string& name, int error,
                               std::string_view detail = {}) {
  const std::string reason = !detail.empty() ? std::string(detail)
                             : error != 0    ? std::strerror(error)
                                             : "unknown reason";
  std::string text = "\n";
  text += msg::kOutputErrorPrefix;
  text += msg::compose(pattern, {name, reason});
  text += "\n\n";
  text += msg::kOutputStopLine;
  text += '\n';
  throw RunStop(StopReason::output_error, text);
}

}  // namespace

OutputFile::OutputFile(const std::string& name) { open(name); }

OutputFile::~OutputFile() {
  // A file still open here belongs to a run that is being stopped; its
  // contents are incomplete either way, so errors are not reported again.
  abandon();
}

std::string OutputFile::temporary_name(const std::string& name) {
  const std::filesystem::path path(name);
  const std::string base = "." + path.filename().string() + ".tmp-" + std::to_string(::getpid());
  return (path.parent_path() / base).string();
}

void OutputFile::abandon() {
  if (stream_.is_open()) stream_.close();
  if (!temporary_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
  }
  forget_for_signals(slot_);
  slot_ = kNoSlot;
  temporary_.clear();
  target_.clear();
}

void OutputFile::open(const std::string& name) {
  namespace fs = std::filesystem;
  if (stream_.is_open()) close();
  name_ = name;
  target_.clear();
  temporary_.clear();

  std::error_code error;
  const fs::file_status status = fs::status(name, error);  // follows symbolic links
  if (fs::is_directory(status)) output_error(msg::kCannotCreate, name, EISDIR);
  const bool in_place = fs::exists(status) && !fs::is_regular_file(status);
  if (in_place) {
    // A device or a pipe cannot be replaced; it takes the data itself.
    errno = 0;
    stream_.open(name, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!stream_.is_open()) output_error(msg::kCannotCreate, name, errno);
    set_state(name, FileState::open);
    return;
  }
  if (fs::exists(status)) {
    constexpr auto kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (::access(name.c_str(), W_OK) != 0 || (status.permissions() & kAnyWrite) == fs::perms::none) {
      output_error(msg::kCannotCreate, name, EACCES);
    }
  }
  // A symbolic link keeps pointing to the file: its target is replaced.
  std::string target = name;
  if (fs::is_symlink(fs::symlink_status(name, error))) {
    const fs::path resolved = fs::weakly_canonical(name, error);
    if (!error) target = resolved.string();
  }
  const std::string temporary = temporary_name(target);
  errno = 0;
  stream_.open(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!stream_.is_open()) output_error(msg::kCannotCreate, name, errno);
  target_ = target;
  temporary_ = temporary;
  slot_ = remember_for_signals(temporary_);
  // The new file keeps the permissions of the one it replaces.
  if (fs::exists(status)) fs::permissions(temporary_, status.permissions(), error);
  set_state(name, FileState::open);
}

void OutputFile::close() {
  if (!stream_.is_open()) return;
  // errno is not cleared before the flush: a write that failed earlier
  // (a full disk, say) left its reason there, and the stream state already
  // records that it failed.
  const bool failed_before = stream_.fail();
  const int error_before = errno;
  errno = 0;
  stream_.flush();
  const bool failed = stream_.fail();
  const int error = errno != 0 ? errno : (failed_before ? error_before : 0);
  stream_.close();
  if (failed || stream_.fail()) {
    abandon();
    output_error(msg::kCannotWrite, name_, error);
  }
  if (temporary_.empty()) {
    set_state(name_, FileState::placed);  // written in place
    return;
  }
  if (ResultSet* set = output_records().result_set) {
    // The set renames it with the other results of the run.
    set->take(name_, target_, temporary_, slot_);
    set_state(name_, FileState::computed);
  } else {
    errno = 0;
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
      const int rename_error = errno;
      abandon();
      output_error(msg::kCannotCreate, name_, rename_error);
    }
    forget_for_signals(slot_);
    set_state(name_, FileState::placed);
  }
  slot_ = kNoSlot;
  temporary_.clear();
  target_.clear();
}

void remove_temporaries_on_signals() {
  struct sigaction action {};
  action.sa_handler = remove_temporaries_and_end;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the caller ignores (SIGINT of a job started in the
    // background by a script) stays ignored.
    struct sigaction before {};
    if (sigaction(signal_number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal_number, &action, nullptr);
  }
}

std::filesystem::path full_path(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);  // fails without a working folder
  const fs::path resolved = error ? fs::path() : fs::weakly_canonical(absolute, error);
  return error ? fs::path(path).lexically_normal() : resolved;
}

OutputRecords& output_records() { return g_binding.get(); }

void bind_output_records(OutputRecords* records) { g_binding.bind(records); }

std::vector<OutputFileState>& output_files() { return output_records().files; }

void reset_output_files() { output_records() = OutputRecords{}; }

std::string output_files_report() {
  std::string placed, computed;
  for (const OutputFileState& f : output_files()) {
    if (f.state == FileState::placed) placed += "    " + f.name + "\n";
    if (f.state == FileState::computed) computed += "    " + f.name + "\n";
  }
  if (output_files().empty()) return {};
  std::string text =
      placed.empty() ? std::string(msg::kNothingReplaced) + "\n" : std::string(msg::kFilesPlaced) + "\n" + placed;
  if (!computed.empty()) text += std::string(msg::kFilesComputed) + "\n" + computed;
  return text;
}

namespace {

// Flushes the file or folder `path` to the disk; the error number, or 0.
int flush_to_disk(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return errno;
  const int result = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return result;
}

std::string folder_of(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

}  // namespace

ResultSet::ResultSet() {
  OutputRecords& records = output_records();
  if (records.result_set != nullptr) throw std::logic_error("ResultSet: a result set is open already");
  records.result_set = this;
}

ResultSet::~ResultSet() { discard(); }

void ResultSet::discard() {
  for (const Held& file : held_) {
    std::error_code ignored;
    std::filesystem::remove(file.temporary, ignored);
    forget_for_signals(file.slot);
  }
  held_.clear();
  removed_.clear();
  if (open_ && output_records().result_set == this) output_records().result_set = nullptr;
  open_ = false;
}

std::string ResultSet::temporary_of(const std::string& name) const {
  for (const Held& file : held_)
    if (file.name == name) return file.temporary;
  return {};
}

void ResultSet::take(const std::string& name, const std::string& target, const std::string& temporary,
                     std::size_t slot) {
  // A file written again during the run (the Possio listing of every
  // solve) has the same temporary: the latest contents count, once.
  for (Held& file : held_) {
    if (file.temporary != temporary) continue;
    forget_for_signals(slot);
    file.name = name;
    file.target = target;
    return;
  }
  held_.push_back({name, target, temporary, slot});
}

void ResultSet::hold(const std::string& name, const std::string& temporary) {
  take(name, name, temporary, remember_for_signals(temporary));
  set_state(name, FileState::computed);
}

void ResultSet::remove_at_commit(const std::string& name) { removed_.push_back(name); }

void ResultSet::commit() {
  if (!open_) throw std::logic_error("ResultSet::commit: the set is closed");
  // Nothing is replaced before every new file is on the disk: a crash of
  // the machine after a rename must not leave an empty file in its place.
  for (const Held& file : held_) {
    if (const int error = flush_to_disk(file.temporary, O_RDONLY); error != 0)
      output_error(msg::kCannotWrite, file.name, error);
  }
  // The records point to the set until the renames are done, so that a
  // stop in between still removes what is not in place.
  std::set<std::string> folders;
  while (!held_.empty()) {
    const Held& file = held_.front();
    errno = 0;
    if (std::rename(file.temporary.c_str(), file.target.c_str()) != 0)
      output_error(msg::kCannotCreate, file.name, errno);
    forget_for_signals(file.slot);
    set_state(file.name, FileState::placed);
    folders.insert(folder_of(file.target));
    held_.erase(held_.begin());
  }
  for (const std::string& name : removed_) {
    std::error_code ignored;
    if (std::filesystem::remove(name, ignored)) folders.insert(folder_of(name));
  }
  removed_.clear();
  // The renames and removals themselves are entries of the folders.
  for (const std::string& folder : folders) flush_to_disk(folder, O_RDONLY | O_DIRECTORY);
  output_records().result_set = nullptr;
  open_ = false;
}

}  // namespace zelvan::textio
