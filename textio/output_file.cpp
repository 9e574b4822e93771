#include "textio/output_file.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "core/state_binding.hpp"
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

// Records `path` in a free slot; returns the slot, or kTemporarySlots when
// none is free or the path is too long (the file is then not removed on a
// signal, as if it had been killed).
std::size_t remember_temporary(const std::string& path) {
  if (path.size() >= kTemporaryPathLength) return kTemporarySlots;
  for (std::size_t i = 0; i < kTemporarySlots; ++i) {
    TemporarySlot& slot = g_temporaries[i];
    if (slot.used.load()) continue;
    std::copy(path.begin(), path.end(), slot.path.begin());
    slot.path[path.size()] = '\0';
    slot.used.store(true);
    return i;
  }
  return kTemporarySlots;
}

void forget_temporary(std::size_t slot) {
  if (slot < kTemporarySlots) g_temporaries[slot].used.store(false);
}

extern "C" void remove_temporaries_and_end(int signal_number) {
  for (TemporarySlot& slot : g_temporaries) {
    if (slot.used.load()) ::unlink(slot.path.data());
  }
  // The handler was installed to run once: the signal now ends the process
  // as it would have without it.
  std::raise(signal_number);
}

void set_state(const std::string& name, bool complete) {
  std::vector<OutputFileState>& files = output_files();
  auto it = std::find_if(files.begin(), files.end(), [&](const OutputFileState& f) { return f.name == name; });
  if (it == files.end()) {
    files.push_back({name, complete});
  } else {
    it->complete = complete;
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
  forget_temporary(slot_);
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
    set_state(name, false);
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
  slot_ = remember_temporary(temporary_);
  // The new file keeps the permissions of the one it replaces.
  if (fs::exists(status)) fs::permissions(temporary_, status.permissions(), error);
  set_state(name, false);
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
  if (!temporary_.empty()) {
    errno = 0;
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
      const int rename_error = errno;
      abandon();
      output_error(msg::kCannotCreate, name_, rename_error);
    }
    forget_temporary(slot_);
    slot_ = kNoSlot;
    temporary_.clear();
    target_.clear();
  }
  set_state(name_, true);
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

void refuse_file_in_use(const std::string& name, std::span<const std::string> in_use) {
  namespace fs = std::filesystem;
  // Names are compared as absolute paths with the links of their existing
  // parts resolved, since a result file may exist only as its temporary.
  for (const std::string& other : in_use) {
    std::error_code error;
    const bool same = name == other || full_path(name) == full_path(other) || fs::equivalent(name, other, error);
    if (same) output_error(msg::kFileInUse, name, 0, other);
  }
}

OutputRecords& output_records() { return g_binding.get(); }

void bind_output_records(OutputRecords* records) { g_binding.bind(records); }

std::vector<OutputFileState>& output_files() { return output_records().files; }

void reset_output_files() { output_records() = OutputRecords{}; }

std::string output_files_report() {
  std::string complete, incomplete;
  for (const OutputFileState& f : output_files()) (f.complete ? complete : incomplete) += "    " + f.name + "\n";
  std::string text;
  if (!complete.empty()) text += std::string(msg::kFilesComplete) + "\n" + complete;
  if (!incomplete.empty()) text += std::string(msg::kFilesIncomplete) + "\n" + incomplete;
  return text;
}

}  // namespace zelvan::textio
