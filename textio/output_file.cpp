#include "textio/output_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "textio/messages.hpp"
#include "textio/stop.hpp"

namespace zelvan::textio {
namespace {

std::vector<OutputFileState> g_output_files;

void set_state(const std::string& name, bool complete) {
  auto it = std::find_if(g_output_files.begin(), g_output_files.end(),
                         [&](const OutputFileState& f) { return f.name == name; });
  if (it == g_output_files.end()) {
    g_output_files.push_back({name, complete});
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
  if (stream_.is_open()) stream_.close();
}

void OutputFile::open(const std::string& name) {
  if (stream_.is_open()) close();
  name_ = name;
  errno = 0;
  stream_.open(name, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!stream_.is_open()) output_error(msg::kCannotCreate, name, errno);
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
  if (failed || stream_.fail()) output_error(msg::kCannotWrite, name_, error);
  set_state(name_, true);
}

void refuse_file_in_use(const std::string& name, std::span<const std::string> in_use) {
  namespace fs = std::filesystem;
  for (const std::string& other : in_use) {
    std::error_code error;
    const bool same = name == other || fs::equivalent(name, other, error);
    if (same) output_error(msg::kFileInUse, name, 0, other);
  }
}

std::vector<OutputFileState>& output_files() { return g_output_files; }

void reset_output_files() { g_output_files.clear(); }

std::string output_files_report() {
  std::string complete, incomplete;
  for (const OutputFileState& f : g_output_files) (f.complete ? complete : incomplete) += "    " + f.name + "\n";
  std::string text;
  if (!complete.empty()) text += std::string(msg::kFilesComplete) + "\n" + complete;
  if (!incomplete.empty()) text += std::string(msg::kFilesIncomplete) + "\n" + incomplete;
  return text;
}

}  // namespace zelvan::textio
