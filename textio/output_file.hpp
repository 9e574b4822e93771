// An output text file that reports every failure and replaces an older
// file of its name only by a complete one.
//
// The data is written under a temporary name in the folder of the file,
// ".NAME.tmp-PID" (PID the process number), and renamed over NAME when
// close() has written all of it.  A file that is not closed successfully
// (the run stops while it is open, or its writing fails) has its temporary
// removed, so the folder keeps the older file of that name as it was, and
// no temporary.  A failure to create, write or close the file ends the run
// with a message naming the file.
//
// Names that cannot be replaced by renaming are handled apart: a folder of
// that name is an error at once ("Is a directory"); an existing file
// without write permission is not replaced ("Permission denied"), for root
// too, since the permission says the user wants it kept; a name that
// leads to something other than a regular file (a device such as
// /dev/null or /dev/full, a pipe) is written in place.  A symbolic link to
// a regular file (or to nothing yet) has its target replaced, so the link
// stays.
#pragma once

#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace zelvan::textio {

class OutputFile {
 public:
  OutputFile() = default;
  // Starts the file `name` (relative to the working directory or absolute).
  // Throws RunStop(output_error) when the file cannot be created.
  explicit OutputFile(const std::string& name);
  // A file still open is abandoned: its temporary is removed and the older
  // file of its name stays as it was.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void open(const std::string& name);
  bool is_open() const { return stream_.is_open(); }
  const std::string& name() const { return name_; }

  // The stream to write to.  Write errors are detected by close().
  std::ostream& stream() { return stream_; }

  // Flushes and closes the file and puts it in place under its name;
  // throws RunStop(output_error) when the data could not be written
  // completely or the file could not be put in place (the older file of
  // the name then stays as it was).  Closing a file that is not open does
  // nothing.
  void close();

  // The temporary name under which the file `name` is written before it
  // is renamed: ".NAME.tmp-PID" in the folder of `name`.
  static std::string temporary_name(const std::string& name);

 private:
  void abandon();

  static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);

  std::string name_;       // the name the run reports
  std::string target_;     // the path renamed over on close ("" when written in place)
  std::string temporary_;  // the path written ("" when written in place)
  std::ofstream stream_;
  std::size_t slot_ = kNoSlot;  // where the signal handler finds the temporary
};

// Makes an interrupt, a termination request or a hang-up (SIGINT, SIGTERM,
// SIGHUP) remove the temporaries of the files still open before the signal
// ends the process as it would have otherwise.  A signal that is ignored
// when it is called stays ignored.  main calls it once.  A kill that cannot
// be caught (SIGKILL) leaves the temporaries.
void remove_temporaries_on_signals();

// The record of the output files of a run, in the order they were first
// opened: a file is complete once close() has written all of it
// and put it in place, incomplete while open or after a failure (an
// incomplete file was not replaced: the folder holds the older file of
// that name, if there was one, or nothing).  A stopped run reports it, so
// the user knows which files in the folder belong to the run.
struct OutputFileState {
  std::string name;
  bool complete = false;
};
std::vector<OutputFileState>& output_files();

// The module's state that lives for a run: the record of the output files
// (output_files() is its `files`).  The module reaches it through one
// binding: a program that owns its run records binds OutputRecords of its
// own; without a binding a default instance is used.  OutputRecords{} is
// the initial state.
struct OutputRecords {
  std::vector<OutputFileState> files;
};

// The bound records, or the default instance when none is bound.
OutputRecords& output_records();

// Makes the module use `records` (kept by the caller, which must outlive
// the binding); nullptr returns to the default instance.
void bind_output_records(OutputRecords* records);

// `path` made absolute, with the symbolic links of its existing part
// resolved: two names of one file (existing or still to be created) give
// the same full path.  Without a working folder, `path` tidied
// ("./a" -> "a").  Never throws.
std::filesystem::path full_path(const std::string& path);

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
