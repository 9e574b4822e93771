#include "textio/output_file.hpp"

#include <cerrno>
#include <cstring>

#include "textio/messages.hpp"
#include "textio/stop.hpp"

namespace zelvan::textio {
namespace {

[[noreturn]] void output_error(std::string_view pattern, const std::string& name, int error) {
  const std::string reason = error != 0 ? std::strerror(error) : "unknown reason";
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
}

void OutputFile::close() {
  if (!stream_.is_open()) return;
  errno = 0;
  stream_.flush();
  const bool failed = stream_.fail();
  const int error = errno;
  stream_.close();
  if (failed || stream_.fail()) output_error(msg::kCannotWrite, name_, error);
}

}  // namespace zelvan::textio
