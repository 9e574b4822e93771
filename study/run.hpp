// Running the cases of a planned study on this machine, N at a time.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <vector>

#include "study/plan.hpp"

namespace zelvan::study {

struct RunOptions {
  int jobs = 1;                  // cases at a time, at least 1
  std::filesystem::path zelvan;  // the program (find_zelvan)
  std::ostream* log = nullptr;   // progress and failures; nothing when null
  bool terminal = false;         // redraw a progress bar in place (log is a terminal)
};

struct RunSummary {
  int total = 0;         // cases asked for
  int skipped = 0;       // complete before the run
  int ok = 0;            // ran and ended with status 0
  int failed = 0;        // ran and ended otherwise
  int interrupted = 0;   // stopped by a forwarded interrupt
  int not_run = 0;       // not started because of an interrupt
  bool stopped = false;  // an interrupt (SIGINT or SIGTERM) arrived
};

// Runs the cases `which` (indices into study.cases) that are not complete,
// `jobs` at a time; records each one's ending in its run.json.  A failed
// case does not stop the others.  SIGINT or SIGTERM (blocked during the
// run and taken synchronously) is forwarded to the running cases as SIGINT
// (a second one as SIGKILL), to each case's process group; no new case starts, the running ones are
// waited for and recorded as interrupted.  StudyError when a case cannot
// be started (the running ones are waited for first).
RunSummary run_cases(const PlannedStudy& study, const std::vector<std::size_t>& which, const RunOptions& options);

// The exit status of a run: 130 when interrupted, 1 when a case failed,
// else 0.
int run_exit_status(const RunSummary& summary);

// The cases of Slurm array task `task` (0-based) with `chunk` cases per
// task: indices task*chunk .. min(count, (task+1)*chunk) - 1.  StudyError
// when the task holds no case.
std::vector<std::size_t> task_cases(std::size_t count, int task, int chunk);

// The number of array tasks for `count` cases, `chunk` per task.
int task_count(std::size_t count, int chunk);

}  // namespace zelvan::study
