// An output text file that reports every failure: it is created (or
// replaced) when opened, and a failure to open, write or close it ends the
// run with a message naming the file.
#pragma once

#include <fstream>
#include <string>

namespace zelvan::textio {

class OutputFile {
 public:
  OutputFile() = default;
  // Creates or replaces `name` in the working directory.  Throws
  // RunStop(output_error) when the file cannot be created.
  explicit OutputFile(const std::string& name);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void open(const std::string& name);
  bool is_open() const { return stream_.is_open(); }
  const std::string& name() const { return name_; }

  // The stream to write to.  Write errors are detected by close().
  std::ostream& stream() { return stream_; }

  // Flushes and closes the file; throws RunStop(output_error) when the
  // data could not be written completely.  Closing a file that is not open
  // does nothing.
  void close();

 private:
  std::string name_;
  std::ofstream stream_;
};

}  // namespace zelvan::textio
