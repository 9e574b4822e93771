// Running a planned study with a stand-in for the program (a shell script
// that records how it was started): the case command, failures, resuming,
// interrupting, the Slurm tasks and the command line.

#include "study/run.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "study/case_runner.hpp"
#include "study/collect.hpp"
#include "study/messages.hpp"
#include "study/progress.hpp"
#include "study/slurm.hpp"
#include "study/tests/study_test_support.hpp"

namespace zelvan::study {
namespace {

namespace fs = std::filesystem;

using test_support::quoted;
using test_support::read_text;
using test_support::ScratchDir;
using test_support::shell;
using test_support::write_text;

// The stand-in: prints its arguments and ZELVAN_PLOT, counts its runs in
// the study folder, fails like the program on an input error when t_E is
// 9.5, else writes a zelvan_flutter.json.
constexpr std::string_view kFakeProgram = R"(#!/bin/sh
echo "arguments: $*"
echo "ZELVAN_PLOT=$ZELVAN_PLOT"
echo "$PWD" >> ../invocations
if sed -n 2p zelvan.inp | grep -q '9\.5'; then
  echo "!!! Input error: t_E"
  echo "*** ZELVAN terminated due to an input error"
  exit 2
fi
echo '{"critical": {"q": 1.5, "u": 2.5, "f": 3.5, "k": 0.5}, "divergence": null, "matched": null}' > zelvan_flutter.json
echo "normal end"
)";

// A stand-in that runs until it is stopped; it leaves its pid behind.
constexpr std::string_view kSlowProgram = R"(#!/bin/sh
echo $$ > pid
echo "running"
exec sleep 60
)";

fs::path install_program(const fs::path& dir, std::string_view name, std::string_view text) {
  fs::path path = dir / name;
  write_text(path, text);
  fs::permissions(path, fs::perms::owner_all);
  return path;
}

// A 2 x 2 study (x_p by t_E) planned from the example; cases 2 and 4 have
// t_E = 9.5.
fs::path planned_study(const ScratchDir& dir) {
  write_text(dir.path() / "base.inp", test_support::example_input());
  write_text(dir.path() / "s.toml", R"(base = "base.inp"
option = "LNX"
[[parameter]]
field = "x_p"
values = [0.35, 0.45]
[[parameter]]
field = "t_E"
values = [8.0, 9.5]
)");
  return plan_study(dir.path() / "s.toml");
}

std::size_t invocations(const fs::path& study) {
  std::istringstream lines(read_text(study / "invocations"));
  std::size_t n = 0;
  for (std::string line; std::getline(lines, line);) ++n;
  return n;
}

std::vector<std::size_t> all_cases(const PlannedStudy& study) {
  std::vector<std::size_t> which(study.cases.size());
  for (std::size_t i = 0; i < which.size(); ++i) which[i] = i;
  return which;
}

TEST(Run, StartsEachCaseInItsFolderWithFiguresOffAndRecordsHowItEnded) {
  ScratchDir dir;
  const PlannedStudy study = load_plan(planned_study(dir));
  RunOptions options;
  options.jobs = 2;
  options.zelvan = install_program(dir.path(), "zelvan", kFakeProgram);
  std::ostringstream log;
  options.log = &log;
  const RunSummary summary = run_cases(study, all_cases(study), options);
  EXPECT_EQ(summary.ok, 2);
  EXPECT_EQ(summary.failed, 2);
  EXPECT_EQ(run_exit_status(summary), 1);
  EXPECT_NE(log.str().find("case 2 (case_0002): failed with status 2: !!! Input error: t_E\n"), std::string::npos)
      << log.str();
  EXPECT_NE(log.str().find("[########################] 4/4 done, 2 failed"), std::string::npos) << log.str();

  const std::string console = read_text(study.dir / "case_0001/console.txt");
  EXPECT_NE(console.find("arguments: LNX zelvan.inp"), std::string::npos) << console;
  EXPECT_NE(console.find("ZELVAN_PLOT=0"), std::string::npos) << console;
  const auto ok = read_case_record(study.dir / "case_0003");
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->state, "ok");
  EXPECT_EQ(ok->last_console_line, "normal end");
  EXPECT_TRUE(case_complete(study.dir / "case_0003"));
  const auto failed = read_case_record(study.dir / "case_0004");
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->state, "failed");
  EXPECT_EQ(failed->status(), 2);
  EXPECT_EQ(failed->stop_message, "!!! Input error: t_E");
  EXPECT_EQ(failed->last_console_line, "*** ZELVAN terminated due to an input error");
  EXPECT_FALSE(case_complete(study.dir / "case_0004"));
  EXPECT_EQ(ok->stop_message, "");
}

// The stop message is the first line of the stop block at the end of the
// console, shaped here like the program's stops: the paragraph of output
// just before it, a warning earlier in the run or right before the stop
// and the files report after it are passed over.
TEST(StopMessage, IsTheFirstLineOfTheStopThatEndsTheConsole) {
  struct Case {
    const char* what;
    const char* console;
    const char* message;
  };
  const Case cases[] = {
      {"a limit stop right after the data-read paragraph",
       "\n*** Input data read -\n    Computation has started. \n\n\n!!! Too many nodes chosen:   20000\n"
       "    Maximum number allowed:  10001\n\n*** ZELVAN terminated due to npoints > istore\n",
       "!!! Too many nodes chosen:   20000"},
      {"a library stop with a traceback and the files report",
       "\n>>> Aerodynamic loads from 2D thin plate theory. \n\n Time history of the solution:\n\n\n"
       " *** TERMINAL ERROR 8 from DI2PAG.  The tolerance TOL =\n ***          -1.0D-06.  It must be greater than "
       "zero.\n     Here is a traceback of subprogram calls in reverse order:\n     DI2PAG    5    8\n"
       "*** Result files written completely before the stop:\n    zelvan_fl.dat\n    zelvan_flutter.json\n",
       "*** TERMINAL ERROR 8 from DI2PAG.  The tolerance TOL ="},
      {"an output error after a warning earlier in the run",
       "\n!!! Sign of input fs changed from minus to plus.   \n\n>>> Aerodynamic loads\n\n"
       "!!! Output error: cannot create the file \"zelvan_fl.dat\": Is a directory.\n\n"
       "*** ZELVAN terminated due to an output error\n*** Result files left incomplete (do not use them):\n"
       "    zelvan.lst\n",
       "!!! Output error: cannot create the file \"zelvan_fl.dat\": Is a directory."},
      {"a stop right after a warning, CR LF line ends",
       " q0 table\r\n\r\n!!! The spectrum is aliased.\r\n\r\n!!! The time history needs a reference frequency\r\n"
       "    is real and positive.\r\n\r\n*** ZELVAN terminated due to undefined structural frequencies\r\n",
       "!!! The time history needs a reference frequency"},
      {"a stop without blank lines after ordinary output",
       "arguments: LNX zelvan.inp\n!!! Input error: t_E\n*** ZELVAN terminated due to an input error\n",
       "!!! Input error: t_E"},
      {"a run ended by a signal in the middle of a table",
       "\n!!! Sign of input fs changed from minus to plus.\n\n        ****** Results *******\n\n"
       "       t           y(1)\n   0.0000       1.0000E-02\n",
       ""},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    write_text(dir.path() / "console.txt", c.console);
    EXPECT_EQ(stop_message(dir.path() / "console.txt"), c.message) << c.what;
  }
}

// A second run starts only the cases that are not complete; collect then
// has every complete case and reports the failed ones with their status.
TEST(Run, ResumingSkipsCompleteCasesAndCollectSeesThemAll) {
  ScratchDir dir;
  const PlannedStudy study = load_plan(planned_study(dir));
  RunOptions options;
  options.zelvan = install_program(dir.path(), "zelvan", kFakeProgram);
  (void)run_cases(study, all_cases(study), options);
  EXPECT_EQ(invocations(study.dir), 4U);
  const auto complete_before = fs::last_write_time(study.dir / "case_0001/zelvan_flutter.json");

  const RunSummary again = run_cases(study, all_cases(study), options);
  EXPECT_EQ(again.skipped, 2);
  EXPECT_EQ(again.failed, 2);
  EXPECT_EQ(invocations(study.dir), 6U);
  EXPECT_EQ(fs::last_write_time(study.dir / "case_0001/zelvan_flutter.json"), complete_before);

  std::ostringstream log;
  const CollectSummary collected = collect_study(study.dir, log);
  EXPECT_EQ(collected.complete, (std::vector<int>{1, 3}));
  EXPECT_EQ(collected.failed, (std::vector<int>{2, 4}));
  EXPECT_TRUE(collected.missing.empty());
  const std::string csv = read_text(study.dir / "study.csv");
  EXPECT_NE(csv.find("\n2,0.35,9.5,2,,,,,,,,,,,,,,,,\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\n3,0.45,8,0,1.5,2.5,3.5,0.5,,,,,,,,,,,,sweep\n"), std::string::npos) << csv;
}

// Ctrl-C reaches zelvan-study alone (the cases run in process groups of
// their own); it forwards it, waits for the cases, records them as
// interrupted, starts no other case and ends with status 130.
TEST(Run, AnInterruptStopsTheRunningCasesAndRecordsThem) {
  ScratchDir dir;
  const fs::path study = planned_study(dir);
  const fs::path program = install_program(dir.path(), "zelvan", kSlowProgram);
  const std::string command = "timeout --preserve-status -s INT 2 " + quoted(ZELVAN_STUDY_EXECUTABLE) + " run " +
                              quoted(study.string()) + " -j 2 --zelvan " + quoted(program.string()) + " 2>" +
                              quoted((dir.path() / "log").string());
  EXPECT_EQ(shell(command), 130) << read_text(dir.path() / "log");
  for (const char* folder : {"case_0001", "case_0002"}) {
    const auto record = read_case_record(study / folder);
    ASSERT_TRUE(record) << folder;
    EXPECT_EQ(record->state, "interrupted");
    EXPECT_EQ(record->status(), 128 + SIGINT);
    const std::string pid = read_text(study / folder / "pid");
    EXPECT_FALSE(fs::exists("/proc/" + pid.substr(0, pid.find('\n')))) << "the case is still running";
  }
  EXPECT_FALSE(fs::exists(study / "case_0003/run.json"));
  EXPECT_FALSE(fs::exists(study / "case_0003/console.txt"));
  EXPECT_NE(read_text(dir.path() / "log").find("0 failed, 2 interrupted, 2 not run"), std::string::npos)
      << read_text(dir.path() / "log");
}

// A case that ignores SIGINT is ended by the second Ctrl-C (SIGKILL).
TEST(Run, ASecondInterruptKillsCasesThatIgnoreTheFirst) {
  ScratchDir dir;
  const fs::path study = planned_study(dir);
  const fs::path program = install_program(
      dir.path(), "zelvan", std::string("#!/bin/sh\ntrap '' INT\n") + std::string(kSlowProgram.substr(10)));
  const std::string command = quoted(ZELVAN_STUDY_EXECUTABLE) + " run " + quoted(study.string()) + " -j 1 --zelvan " +
                              quoted(program.string()) + " 2>" + quoted((dir.path() / "log").string()) +
                              " & pid=$!; sleep 1; kill -INT $pid; sleep 1; kill -INT $pid; wait $pid";
  EXPECT_EQ(shell(command), 130) << read_text(dir.path() / "log");
  const auto record = read_case_record(study / "case_0001");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->state, "interrupted");
  EXPECT_EQ(record->signal, SIGKILL);
  EXPECT_FALSE(fs::exists(study / "case_0002/run.json"));
}

TEST(Run, TheProgramIsTheOneNamedElseTheEnvironmentsElseNone) {
  ScratchDir dir;
  const fs::path program = install_program(dir.path(), "zelvan", kFakeProgram);
  EXPECT_EQ(find_zelvan(program), program);
  EXPECT_THROW((void)find_zelvan(dir.path() / "missing"), msg::StudyError);
  write_text(dir.path() / "not-executable", "#!/bin/sh\n");
  EXPECT_THROW((void)find_zelvan(dir.path() / "not-executable"), msg::StudyError);
  ::setenv("ZELVAN_EXE", program.c_str(), 1);
  EXPECT_EQ(find_zelvan(std::nullopt), program);
  ::unsetenv("ZELVAN_EXE");
}

TEST(Progress, ShowsCasesFailuresElapsedTimeAndTheEstimateLeft) {
  // 12 s for the 6 cases run so far (3 more were complete): 11 left take 22 s.
  EXPECT_EQ(progress_line({20, 9, 1, 6, 12.0}, 20),
            "[#########-----------]  9/20 done, 1 failed, 0:12 elapsed, ~0:22 left");
  EXPECT_EQ(progress_line({20, 3, 0, 0, 0.4}, 20), "[###-----------------]  3/20 done, 0 failed, 0:00 elapsed, ? left");
  EXPECT_EQ(progress_line({5, 5, 5, 5, 61.0}, 10), "[##########] 5/5 done, 5 failed, 1:01 elapsed, 0:00 left");
  EXPECT_EQ(clock_text(3725.2), "1:02:05");
}

TEST(SlurmTasks, CoverEveryCaseOnceInChunks) {
  EXPECT_EQ(task_count(7, 1), 7);
  EXPECT_EQ(task_count(7, 3), 3);
  EXPECT_EQ(task_cases(7, 0, 3), (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(task_cases(7, 2, 3), (std::vector<std::size_t>{6}));
  EXPECT_THROW((void)task_cases(7, 3, 3), msg::StudyError);
  EXPECT_THROW((void)task_cases(7, -1, 3), msg::StudyError);
}

TEST(SlurmScript, IsAJobArrayWhoseTasksRunTheCaseCommand) {
  PlannedStudy study;
  study.dir = "/data/my study";
  study.cases.resize(7);
  SlurmOptions options{"/opt/bin/zelvan-study", "/opt/bin/zelvan", 3, "short", "10:00"};
  const std::string script = sbatch_script(study, options);
  EXPECT_EQ(script.rfind("#!/bin/bash\n", 0), 0U);
  const std::string command =
      "exec '/opt/bin/zelvan-study' run-case '/data/my study' \"$SLURM_ARRAY_TASK_ID\" --chunk 3 --zelvan "
      "'/opt/bin/zelvan'\n";
  for (const std::string line : {"#SBATCH --array=0-2\n", "#SBATCH --partition=short\n", "#SBATCH --time=10:00\n",
                                 "#SBATCH --output=/data/my study/slurm/task-%A_%a.out\n", command.c_str()}) {
    EXPECT_NE(script.find(line), std::string::npos) << line << "\n" << script;
  }
  options.partition.reset();
  options.time.reset();
  EXPECT_EQ(sbatch_script(study, options).find("--partition"), std::string::npos);
}

// The command line: a bad study file ends with status 2 and the line; the
// hidden run-case verb runs one task's cases.
TEST(CommandLine, ReportsErrorsWithStatusTwoAndRunsOneTasksCases) {
  ScratchDir dir;
  write_text(dir.path() / "base.inp", test_support::example_input());
  write_text(dir.path() / "bad.toml", "base = \"base.inp\"\n[[parameter]]\nfield = \"x_q\"\nvalues = [1]\n");
  const std::string exe = quoted(ZELVAN_STUDY_EXECUTABLE);
  const std::string log = quoted((dir.path() / "log").string());
  EXPECT_EQ(shell(exe + " plan " + quoted((dir.path() / "bad.toml").string()) + " 2>" + log), 2);
  EXPECT_NE(read_text(dir.path() / "log").find("bad.toml, line 3: unknown field \"x_q\""), std::string::npos)
      << read_text(dir.path() / "log");
  EXPECT_EQ(shell(exe + " plan 2>" + log), 2);

  const fs::path study = planned_study(dir);
  const fs::path program = install_program(dir.path(), "zelvan", kFakeProgram);
  const std::string run_case =
      exe + " run-case " + quoted(study.string()) + " 1 --chunk 2 --zelvan " + quoted(program.string()) + " 2>" + log;
  EXPECT_EQ(shell(run_case), 1);  // case 4 fails
  EXPECT_FALSE(fs::exists(study / "case_0001/run.json"));
  EXPECT_TRUE(case_complete(study / "case_0003"));
  EXPECT_EQ(read_case_record(study / "case_0004")->status(), 2);
  EXPECT_EQ(shell(exe + " run-case " + quoted(study.string()) + " 2 --chunk 2 2>" + log), 2);
}

}  // namespace
}  // namespace zelvan::study
