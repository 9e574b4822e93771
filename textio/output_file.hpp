// An output text file that reports every failure and replaces an older
// file of its name only by a complete one, and the result set of a run,
// whose files replace the older ones together at its end.
//
// The data is written under a temporary name in the folder of the file,
// ".NAME.tmp-PID" (PID the process number).  When close() has written all
// of it, the file is renamed over NAME at once, or, while a ResultSet is
// open, handed to the set, which renames all its files at its commit().  A
// file that is not closed successfully (the run stops while it is open, or
// its writing fails) has its temporary removed, and a set that is not
// committed removes the temporaries of all its files, so the folder keeps
// the older files as they were, and no temporary.  A failure to create,
// write or close the file ends the run with a message naming the file.
//
// Names that cannot be replaced by renaming are handled apart: a folder of
// that name is an error at once ("Is a directory"); an existing file
// without write permission is not replaced ("Permission denied"), for root
// too, since the permission says the user wants it kept; a name that
// leads to something other than a regular file (a device such as
// /dev/null or /dev/full, a pipe) is written in place, at once.  A
// symbolic link to a regular file (or to nothing yet) has its target
// replaced, so the link stays.
#pragma once

#include <filesystem>
#include <fstream>
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

  // Flushes and closes the file and puts it in place under its name, or
  // hands it to the open ResultSet, which puts it in place at its commit;
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

  static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);  // no entry for the signal handler

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

// Where an output file of the run stands.
enum class FileState {
  open,      // being written; its temporary is removed if the run stops
  computed,  // written completely and held by the result set, not yet in place
  placed,    // in place under its name (renamed, or written in place)
};

// The record of the output files of a run, in the order they were first
// opened.  A stopped run reports it, so the user knows what the folder
// holds: a file that is not placed was not replaced (the folder holds the
// older file of that name, if there was one, or nothing).
struct OutputFileState {
  std::string name;
  FileState state = FileState::open;
};
std::vector<OutputFileState>& output_files();

class ResultSet;

// The module's state that lives for a run: the record of the output files
// (output_files() is its `files`) and the result set that is open, if
// any.  The module reaches it through one binding: a program that owns
// its run records binds OutputRecords of its own; without a binding a
// default instance is used.  OutputRecords{} is the initial state.
struct OutputRecords {
  std::vector<OutputFileState> files;
  ResultSet* result_set = nullptr;
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

// Forgets every file (at the start of a run, and for tests).
void reset_output_files();

// The lines a stopped run adds to its console report: the files it put in
// place, or that none was replaced; then the results it had computed but
// not put in place.  Empty when the run had not opened any file.
std::string output_files_report();

// The result files of a run, put in place together at its end.
//
// While a set is open (from its construction to its commit() or its
// destruction), every OutputFile closed successfully is held by the set:
// its temporary stays, and it is renamed over its name only by commit().
// Files written by another program (the figures of gnuplot) join the set
// with hold(), and files of an earlier run that this run does not replace
// are named by remove_at_commit().  A set destroyed without a successful
// commit() removes every temporary it holds: the folder keeps exactly what
// it held before the run.  The signal handler of
// remove_temporaries_on_signals() removes the held temporaries too.
//
// One set at a time is open in the bound OutputRecords; a second one is a
// fault of the program (std::logic_error).  Not copyable or movable: the
// records point to it.
class ResultSet {
 public:
  ResultSet();
  ~ResultSet();
  ResultSet(const ResultSet&) = delete;
  ResultSet& operator=(const ResultSet&) = delete;
  ResultSet(ResultSet&&) = delete;
  ResultSet& operator=(ResultSet&&) = delete;

  // The temporary that holds the new contents of the file `name` (the name
  // given to OutputFile), or "" when the set holds no file of that name.
  std::string temporary_of(const std::string& name) const;

  // Makes the set hold the file `temporary`, written by another program,
  // to be renamed to `name` by commit().
  void hold(const std::string& name, const std::string& temporary);

  // Makes commit() remove the file `name`, if it exists, after the renames.
  void remove_at_commit(const std::string& name);

  // Flushes every held file to the disk (fsync), renames each over its
  // name, removes the files of remove_at_commit(), and flushes the folders
  // of all of them.  Throws RunStop(output_error) when a file cannot be
  // flushed (nothing is replaced then) or renamed (the files renamed before
  // it stay in place, and the report says which).  Only a crash of the
  // machine during the renames can leave some files new and others old.
  void commit();

  // Takes the file `name`, closed completely under `temporary` (its
  // target `target`, `slot` its entry for the signal handler): used by
  // OutputFile::close().
  void take(const std::string& name, const std::string& target, const std::string& temporary, std::size_t slot);

 private:
  struct Held {
    std::string name;       // as the run reports it
    std::string target;     // renamed over by commit()
    std::string temporary;  // the complete new contents
    std::size_t slot;       // the entry for the signal handler
  };
  void discard();

  std::vector<Held> held_;
  std::vector<std::string> removed_;
  bool open_ = true;
};

}  // namespace zelvan::textio
