#include "study/atomic_file.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "study/messages.hpp"

namespace zelvan::study {

void write_file_atomically(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::path temporary = path;
  temporary += ".part-" + std::to_string(::getpid());
  std::string reason;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) reason = std::strerror(errno);
    if (reason.empty()) {
      out.write(content.data(), static_cast<std::streamsize>(content.size()));
      out.flush();
      if (!out) reason = std::strerror(errno);
    }
  }
  std::error_code error;
  if (reason.empty()) {
    std::filesystem::rename(temporary, path, error);
    if (error) reason = error.message();
  }
  if (!reason.empty()) {
    std::filesystem::remove(temporary, error);
    throw msg::StudyError(msg::compose(msg::kCannotWrite, {path.string(), reason}));
  }
}

std::string read_whole_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw msg::StudyError(msg::compose(msg::kCannotRead, {path.string()}));
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace zelvan::study
