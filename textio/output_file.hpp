// An output text file that reports every failure: it is created (or
// replaced) when opened, and a failure to open, write or close it ends the
// run with a message naming the file.
#pragma once

#include <fstream>
#include <span>
#include <string>
#include <vector>

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

// The process-wide record of the output files of a run, in the order they
// were first opened: a file is complete once close() has written all of it,
// incomplete while open or after a failure.  A stopped run reports it, so
// the user knows which files in the folder can be used.
struct OutputFileState {
  std::string name;
  bool complete = false;
};
std::vector<OutputFileState>& output_files();

// Ends the run with an output error when `name` names one of the files in
// `in_use` (the same name, or the same existing file under another name):
// for an output file whose name the user chooses, so that it cannot
// overwrite a file the run reads or writes.
void refuse_file_in_use(const std::string& name, std::span<const std::string> in_use);

// Forgets every file (at the start of a run, and for tests).
void reset_output_files();

// The lines a stopped run adds to its console report: the files written
// completely and the files left incomplete, each under its own heading;
// empty when the run had not opened any file.
std::string output_files_report();

}  // namespace zelvan::textio
