// zelvan-study: parameter studies of zelvan cases, on this machine's cores
// or as a Slurm job array.
//   zelvan-study plan STUDY.toml [--dir DIR]
//   zelvan-study run DIR [-j N] [--zelvan PROGRAM]
//   zelvan-study slurm DIR [--submit] [--partition P] [--time T] [--chunk C] [--zelvan PROGRAM]
//   zelvan-study collect DIR
// and, for the Slurm array tasks, the hidden verb
//   zelvan-study run-case DIR TASK [--chunk C] [--zelvan PROGRAM]
// Exit status: 0 done; 1 a case failed (run, run-case) or a case has no
// results (collect); 2 a bad command line, study file or study folder;
// 130 interrupted.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <optional>
#include <thread>

#include "study/case_runner.hpp"
#include "study/collect.hpp"
#include "study/messages.hpp"
#include "study/plan.hpp"
#include "study/run.hpp"
#include "study/slurm.hpp"

namespace {

namespace fs = std::filesystem;
using namespace zelvan::study;

std::optional<fs::path> optional_path(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return fs::path(text);
}

int default_jobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

// The values of the command line, whichever verb they belong to.
struct CommandLine {
  std::string study_file;
  std::string dir;
  std::string zelvan;
  int jobs = default_jobs();
  int chunk = 1;
  int task = 0;
  bool submit = false;
  std::string partition;
  std::string time_limit;
};

// The verbs run (local: every case, cl.jobs at a time) and run-case (the
// cases of one array task, one at a time); the exit status.
int run_study(const CommandLine& cl, bool local) {
  const PlannedStudy study = load_plan(cl.dir);
  RunOptions options;
  options.zelvan = find_zelvan(optional_path(cl.zelvan));
  options.log = &std::cerr;
  std::vector<std::size_t> which;
  if (local) {
    options.jobs = cl.jobs;
    options.terminal = ::isatty(STDERR_FILENO) == 1;
    for (std::size_t i = 0; i < study.cases.size(); ++i) which.push_back(i);
  } else {
    options.jobs = 1;
    which = task_cases(study.cases.size(), cl.task, cl.chunk);
  }
  const RunSummary summary = run_cases(study, which, options);
  std::cerr << summary.total << " case(s): " << summary.ok << " ok, " << summary.skipped << " complete before, "
            << summary.failed << " failed, " << summary.interrupted << " interrupted, " << summary.not_run
            << " not run\n";
  return run_exit_status(summary);
}

// The verb slurm: the job array's script, submitted on --submit; argv0
// names this program when /proc/self/exe cannot be read.
int write_slurm_job(const CommandLine& cl, const char* argv0) {
  const PlannedStudy study = load_plan(cl.dir);
  SlurmOptions options;
  std::error_code error;
  options.study_exe = fs::read_symlink("/proc/self/exe", error);
  if (error) options.study_exe = fs::absolute(argv0);
  options.zelvan = find_zelvan(optional_path(cl.zelvan));
  options.chunk = cl.chunk;
  if (!cl.partition.empty()) options.partition = cl.partition;
  if (!cl.time_limit.empty()) options.time = cl.time_limit;
  const fs::path script = write_sbatch(study, options);
  const int tasks = task_count(study.cases.size(), cl.chunk);
  if (tasks > 1001) std::cerr << msg::compose(msg::kArrayTooLarge, {std::to_string(tasks)}) << '\n';
  std::cerr << "wrote " << script.string() << " (" << tasks << " array task(s))\n";
  if (cl.submit) std::cout << submit_sbatch(script) << '\n';
  return 0;
}

int study_main(int argc, char** argv) {
  CLI::App app{"zelvan-study: parameter studies of zelvan cases, on local cores or a Slurm cluster"};
  app.require_subcommand(1);

  CommandLine cl;

  CLI::App* plan = app.add_subcommand("plan", "Create the study folder with one input file per case");
  plan->add_option("study", cl.study_file, "The study file (TOML)")->required();
  plan->add_option("--dir", cl.dir, "The study folder (default: the study file's name without .toml, beside it)");

  CLI::App* run = app.add_subcommand("run", "Run the planned cases on this machine");
  run->add_option("dir", cl.dir, "The study folder")->required();
  run->add_option("-j,--jobs", cl.jobs, "Cases at a time (default: the number of cores)")->check(CLI::PositiveNumber);
  run->add_option("--zelvan", cl.zelvan, "The zelvan program (default: $ZELVAN_EXE, else beside zelvan-study)");

  CLI::App* slurm = app.add_subcommand("slurm", "Write DIR/study.sbatch, a Slurm job array over the cases");
  slurm->add_option("dir", cl.dir, "The study folder")->required();
  slurm->add_flag("--submit", cl.submit, "Submit it with sbatch and print the job id");
  slurm->add_option("--partition", cl.partition, "The Slurm partition");
  slurm->add_option("--time", cl.time_limit, "The time limit of each array task, in Slurm's notation");
  slurm->add_option("--chunk", cl.chunk, "Cases per array task (default 1)")->check(CLI::PositiveNumber);
  slurm->add_option("--zelvan", cl.zelvan, "The zelvan program (default: $ZELVAN_EXE, else beside zelvan-study)");

  CLI::App* collect = app.add_subcommand("collect", "Write study.csv, study.json, study.gp and study.png");
  collect->add_option("dir", cl.dir, "The study folder")->required();

  CLI::App* run_case = app.add_subcommand("run-case", "Run the cases of one Slurm array task");
  run_case->group("");  // hidden: the job array's command
  run_case->add_option("dir", cl.dir, "The study folder")->required();
  run_case->add_option("task", cl.task, "The array task (0-based)")->required();
  run_case->add_option("--chunk", cl.chunk, "Cases per array task")->check(CLI::PositiveNumber);
  run_case->add_option("--zelvan", cl.zelvan, "The zelvan program");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : 2;
  }

  try {
    if (plan->parsed()) {
      const fs::path planned = plan_study(cl.study_file, optional_path(cl.dir));
      std::cout << "planned " << load_plan(planned).cases.size() << " case(s) in " << planned.string() << '\n';
      return 0;
    }
    if (run->parsed() || run_case->parsed()) return run_study(cl, run->parsed());
    if (slurm->parsed()) return write_slurm_job(cl, argv[0]);
    const CollectSummary summary = collect_study(cl.dir, std::cerr);
    return summary.failed.empty() && summary.missing.empty() ? 0 : 1;
  } catch (const msg::StudyError& e) {
    std::cerr << "zelvan-study: " << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "zelvan-study: internal error: " << e.what() << '\n';
    return 70;
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return study_main(argc, argv);
  } catch (...) {
    return 70;  // the option parser's set-up failed, or writing the message did
  }
}
