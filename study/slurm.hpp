// The Slurm path of a study: a job array over the planned cases whose
// tasks run the same case command as `zelvan-study run`.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "study/plan.hpp"

namespace zelvan::study {

struct SlurmOptions {
  std::filesystem::path study_exe;  // zelvan-study, absolute
  std::filesystem::path zelvan;     // the program, absolute
  int chunk = 1;                    // cases per array task
  std::optional<std::string> partition;
  std::optional<std::string> time;  // Slurm's time limit per task, e.g. 10:00
};

// The text of study.sbatch: one array task per `chunk` cases, each task
// running `zelvan-study run-case DIR TASK --chunk C --zelvan PROGRAM`,
// its output in DIR/slurm/.
std::string sbatch_script(const PlannedStudy& study, const SlurmOptions& options);

// Writes DIR/study.sbatch (and creates DIR/slurm/); returns its path.
std::filesystem::path write_sbatch(const PlannedStudy& study, const SlurmOptions& options);

// Submits `script` with `sbatch --parsable` (found on PATH) from the
// script's folder and returns the job id; StudyError when sbatch cannot be
// started or fails (with its message).
std::string submit_sbatch(const std::filesystem::path& script);

}  // namespace zelvan::study
