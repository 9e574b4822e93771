// One case of a study: starting the program in the case's folder, and the
// record of how its run ended (run.json in the folder).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace zelvan::study {

// The program a case runs: `given` (the --zelvan option) when set, else the
// environment variable ZELVAN_EXE, else "zelvan" beside this executable,
// else ../driver/zelvan from it (the build tree).  Returns an absolute path;
// StudyError when none of them is an executable file.
std::filesystem::path find_zelvan(const std::optional<std::filesystem::path>& given);

// Starts `zelvan OPTION zelvan.inp` in `case_dir` with figures off
// (ZELVAN_PLOT=0 added to this process's environment), standard output and
// standard error to case_dir/console.txt, in a process group of its own
// (so that Ctrl-C reaches only zelvan-study, which forwards it), with the
// default signal dispositions and an empty signal mask.  Removes an old
// run.json first.  Returns the child's pid; StudyError when it cannot start.
pid_t start_case(const std::filesystem::path& case_dir, const std::filesystem::path& zelvan, const std::string& option);

// How a case's run ended.  state: "ok" (exit status 0), "failed" (any
// other ending) or "interrupted" (ended by zelvan-study's forwarding of
// Ctrl-C or SIGTERM).
struct CaseRecord {
  std::string state;
  std::optional<int> exit_status;  // when the program exited
  std::optional<int> signal;       // when a signal ended it
  std::string last_console_line;   // the last non-blank line of console.txt
  std::string stop_message;        // stop_message() of console.txt; "" after status 0 or when there is none
  double seconds = 0.0;            // wall time of the run

  // The status for tables: the exit status, or 128 + the signal number.
  int status() const { return exit_status ? *exit_status : 128 + signal.value_or(0); }
  // What a failed case is reported with: its stop message, else (a run
  // ended by a signal prints none) the last console line.
  const std::string& summary() const { return stop_message.empty() ? last_console_line : stop_message; }
};

// Builds the record of a child that ended with `wait_status` (from
// waitpid) after `seconds`, and writes it to case_dir/run.json (atomically),
// with the time it ended ("ended", s since 1970, for measuring how busy a
// run kept the cores).
// `interrupted`: zelvan-study had forwarded an interrupt to it.
CaseRecord record_case(const std::filesystem::path& case_dir, int wait_status, double seconds, bool interrupted);

// The record in case_dir/run.json; nothing when there is none or it cannot
// be read.
std::optional<CaseRecord> read_case_record(const std::filesystem::path& case_dir);

// A case is complete when its last run ended with status 0 (run.json says
// "ok") and its zelvan_flutter.json exists.  The program replaces result
// files only by complete ones, and run.json is written after the program
// has ended, so a run stopped at any point leaves the case incomplete.
bool case_complete(const std::filesystem::path& case_dir);

// The last non-blank line of a text file ("" when none).
std::string last_line(const std::filesystem::path& file);

// The message of the stop that ends the console text in `file`, without
// leading and trailing blanks; "" when the text does not end in one.
//
// A stopped run ends with its stop block: message lines, which begin with
// "!!!" or "***" and a blank (after blanks), each with the indented lines that follow
// it directly (a message's continuation, a traceback, a list of files),
// and blank lines.  The block is what follows the last line of ordinary
// output, and its paragraphs (separated by blank lines) each open with a
// message line.  The program's own stops write their message as a "!!!"
// paragraph followed by "***" lines (the stop line, the files report): the
// stop message is the first line of the block's last paragraph that opens
// with "!!!", so that a warning printed just before the stop is passed
// over.  When no paragraph opens with "!!!" (an error of the numerical
// library, which writes only "***" lines), it is the block's first line.
std::string stop_message(const std::filesystem::path& file);

}  // namespace zelvan::study
