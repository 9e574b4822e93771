// The run as a whole: the console text of the start-up, the limit on the
// number of time points, the start-up constants, fresh records for every
// run, and the built program run on the bundled example case.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "aero/aero_state.hpp"
#include "aero/possio_block.hpp"
#include "driver/console_output.hpp"
#include "driver/run_context.hpp"
#include "driver/tests/driver_test_support.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/library_state.hpp"
#include "numlib/machine.hpp"
#include "textio/output_file.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

// The mandatory records with `npoints` in record 3.
std::vector<std::string> records_with_npoints(const std::string& npoints) {
  std::vector<std::string> records = mandatory_records();
  records[2] = right(npoints) + "  npoints";
  return records;
}

// The start-up alone on the mandatory records with `npoints`.
RunResult start_up_with_npoints(const std::string& npoints) {
  ScratchDir dir;
  write_file(dir / "case.inp", join(records_with_npoints(npoints)));
  WorkingDirectory cwd(dir.path());
  return run_start_up({"lnx", "case.inp"});
}

TEST(StartUp, WritesOnlyTheInputDataReadMessage) {
  const RunResult result = start_up_with_npoints("2048");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.console, "\n*** Input data read -\n    Computation has started. \n\n");
}

TEST(StartUp, AcceptsTheLargestNumberOfTimePoints) {
  const RunResult result = start_up_with_npoints("10001");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.console, kInputDataReadText);
  EXPECT_EQ(case_parameters().npoints, 10001);
}

// Too many time points stop the whole program after the start-up message,
// before anything is computed or written.
struct TooManyCase {
  const char* label;
  std::string npoints;
  std::string message;
};

void PrintTo(const TooManyCase& c, std::ostream* os) { *os << c.label; }

class TooManyTimePoints : public ::testing::TestWithParam<TooManyCase> {};

TEST_P(TooManyTimePoints, StopTheRunWithStatus1AndCreateNoFile) {
  const TooManyCase& c = GetParam();
  ScratchDir dir;
  write_file(dir / "case.inp", join(records_with_npoints(c.npoints)));
  RunResult result;
  {
    WorkingDirectory cwd(dir.path());
    result = run_program({"lnx", "case.inp"});
  }
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.console, std::string(kInputDataReadText) + "\n" + c.message +
                                "    Maximum number allowed:  10001\n"
                                "\n"
                                "*** ZELVAN terminated due to npoints > istore\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"case.inp"});
}

INSTANTIATE_TEST_SUITE_P(Limit, TooManyTimePoints,
                         ::testing::Values(TooManyCase{"OneTooMany", "10002", "!!! Too many nodes chosen:   10002\n"},
                                           TooManyCase{"SixDigits", "999999", "!!! Too many nodes chosen:  999999\n"}),
                         ByLabel{});

TEST(StartUp, SetsTheStartUpConstantsAndTheSolverSettings) {
  const RunResult result = start_up_with_npoints("2048");
  ASSERT_EQ(result.status, 0);
  const CaseParameters& cp = case_parameters();
  EXPECT_DOUBLE_EQ(cp.deg2rad, 6.28318530717958 / 360.0);
  EXPECT_DOUBLE_EQ(cp.phi_rad, 30.0 * 6.28318530717958 / 360.0);  // phi = 30 degrees
  EXPECT_EQ(cp.coupling_tolerance, 5);
  const aero::PossioBlock& block = aero::possio_block();
  EXPECT_EQ(block.possio_switches, (std::array<int, 4>{1, 1, 0, 0}));
  EXPECT_EQ(block.xrud, 0.0);
  EXPECT_EQ(block.possio_listing, "possio_sub.out      ");
}

// Two whole runs in one process: nothing of the first (its coefficients,
// system flags, sweep block and derived frequencies) survives into the
// second.
TEST(Run, StartsEachRunFromFreshRecords) {
  ScratchDir dir;
  // A small f_s: strong aerodynamic damping terms would take the
  // integrator's Cholesky factorisation of its iteration matrix out of
  // its domain.
  const std::string external_aero =
      right("8.0") + right("0.0", 12) + right("0.35", 12) + right("0.05", 12) + right("1.5", 12);
  std::vector<std::string> full =
      mandatory_records() + "." + external_aero + coefficient_records() + "." + sweep_records();
  full[2] = right("256");
  full[20] = right("0");  // no results listing
  write_file(dir / "full.inp", join(full));
  std::vector<std::string> plain = mandatory_records();
  plain[2] = right("100");
  plain[20] = right("0");
  plain[12] = right("9000.0");  // a stiffer plunge changes the structural frequencies
  write_file(dir / "plain.inp", join(plain));
  WorkingDirectory cwd(dir.path());
  const RunResult first = run_program({"lnx", "full.inp"});
  ASSERT_EQ(first.status, 0) << first.console;
  ASSERT_EQ(case_parameters().QR22, 4.1);
  const double first_f_0_1 = case_parameters().f_0_1;
  const RunResult second = run_program({"win", "plain.inp"});
  ASSERT_EQ(second.status, 0) << second.console;
  const CaseParameters& cp = case_parameters();
  EXPECT_EQ(cp.npoints, 100);
  EXPECT_FALSE(cp.is_lnx);
  EXPECT_FALSE(cp.is_unix);
  EXPECT_EQ(cp.f_s, 0.0);
  EXPECT_EQ(cp.w_star, 0.0);
  EXPECT_EQ(cp.QR22, 0.0);
  EXPECT_EQ(cp.x_ref, 1.0);
  EXPECT_EQ(cp.nstep, 20);
  EXPECT_NE(cp.f_0_1, first_f_0_1);
}

// The one reset restores every record of the run context, those of the
// driver and the parts the lower libraries keep, and leaves the libraries
// bound to the context's members.
TEST(RunContext, ResetRestoresEveryRecordAndKeepsTheBindings) {
  reset_run_records();
  RunContext& context = run_context();
  case_parameters().QR22 = 4.1;
  model().route = AeroRoute::possio;
  time_history().Y3[0] = 1.0;
  spectrum().FouF[0] = 3.0;
  context.sweep.steps.resize(2);
  context.flutter_solution.analysed = true;
  const std::vector<std::string> words{"zelvan", "lnx", "case.inp"};
  set_command_line(words);
  aero::possio_block().mach = 0.5;
  std::complex<double> c1, c2, c3, c4;
  aero::cnm3dk(0.3, 0.25, c1, c2, c3, c4);
  int unit = 9;
  numlib::UMACH(-2, unit);
  numlib::E1PSH("OUTER");
  textio::output_files().push_back({"zelvan.dat", textio::FileState::placed});

  reset_run_records();
  EXPECT_EQ(case_parameters().QR22, CaseParameters{}.QR22);
  EXPECT_EQ(model().route, AeroRoute::external);
  EXPECT_EQ(time_history().Y3[0], 0.0);
  EXPECT_EQ(spectrum().FouF[0], 0.0);
  EXPECT_TRUE(sweep_results().steps.empty());
  EXPECT_FALSE(context.flutter_solution.analysed);
  EXPECT_EQ(command_line(), std::vector<std::string>{"zelvan"});
  EXPECT_EQ(aero::possio_block().mach, 0.0);
  EXPECT_EQ(aero::cnm3dk_theodorsen_evaluations(), 0);
  numlib::UMACH(2, unit);
  EXPECT_EQ(unit, 6);
  EXPECT_EQ(numlib::error_level(), 1);
  EXPECT_TRUE(textio::output_files().empty());
  EXPECT_EQ(&numlib::library_state(), &context.library);
  EXPECT_EQ(&aero::aero_state(), &context.aero);
  EXPECT_EQ(&textio::output_records(), &context.output);
}

// The console's layout cache holds parsed layouts, not run state: it is
// keyed by the text, so one buffer that holds two texts in turn gives two
// layouts, and two buffers with one text share one.
TEST(ConsoleLayouts, AreCachedByTheirTextNotByItsAddress) {
  std::string buffer = "(1X,'first')";
  const textio::Layout& first = message_layout(buffer);
  buffer = "(1X,'other')";
  const textio::Layout& second = message_layout(buffer);
  EXPECT_EQ(first.notation(), "(1X,'first')");
  EXPECT_EQ(second.notation(), "(1X,'other')");
  const std::string copy = "(1X,'first')";
  EXPECT_EQ(&message_layout(copy), &first);
}

// The built program, run as a separate process in a scratch folder.
struct ProcessResult {
  int status = -1;
  std::string output;  // standard output and standard error together
};

ProcessResult run_executable(const fs::path& dir, const std::string& arguments) {
  const std::string command =
      "cd '" + dir.string() + "' && '" + std::string(ZELVAN_EXECUTABLE) + "' " + arguments + " 2>&1";
  ProcessResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot start " << command;
    return result;
  }
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int wait_status = pclose(pipe);
  if (WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  return result;
}

struct ExampleRun {
  const char* label;
  std::string arguments;
  bool windows;
};

void PrintTo(const ExampleRun& c, std::ostream* os) { *os << c.label; }

class BuiltProgram : public ::testing::TestWithParam<ExampleRun> {};

// The bundled example with its templates runs to the end: the thin-plate
// route, the structural modes, and the result files of its system option
// (the annotation file for WIN only).
TEST_P(BuiltProgram, RunsTheBundledExampleToTheEndAndWritesTheResultFiles) {
  ScratchDir dir;
  for (const char* name : {"zelvan.inp", "zelvan.lay0", "zelvan.sty0"})
    fs::copy_file(fs::path(ZELVAN_SOURCE_DIR) / "examples" / name, dir / name);
  const ProcessResult result = run_executable(dir.path(), GetParam().arguments);
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(result.output.rfind(
                std::string(kInputDataReadText) + "\n>>> Aerodynamic loads from 2D thin plate theory. \n\n", 0),
            0u)
      << result.output;
  EXPECT_NE(result.output.find("\n Eigenvalues and eigenvectors (only structural part):\n"), std::string::npos);
  EXPECT_NE(result.output.find("\n *** QR,QS matrices as eventually applied\n"), std::string::npos);
  std::vector<std::string> files{"zelvan.dat",    "zelvan.gp",          "zelvan.inp",          "zelvan.itp",
                                 "zelvan.lay",    "zelvan.lay0",        "zelvan.sty",          "zelvan.sty0",
                                 "zelvan_fl.dat", "zelvan_flutter.dat", "zelvan_flutter.json", "zelvan_ss.dat"};
  if (!GetParam().windows) files.erase(files.begin() + 3);
  EXPECT_EQ(dir.entries(), files);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, BuiltProgram,
                         ::testing::Values(ExampleRun{"WithoutArguments", "", true},
                                           ExampleRun{"WithSystemAndFileName", "LNX zelvan.inp", false},
                                           ExampleRun{"WithSystemOnly", "win", true}),
                         ByLabel{});

TEST(BuiltProgram, ReturnsStatus2AndTheMessageForAMissingFile) {
  ScratchDir dir;
  const ProcessResult result = run_executable(dir.path(), "LNX absent.inp");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.output,
            "\n!!! Input error: cannot open the input file \"absent.inp\": No such file or directory.\n\n"
            "*** ZELVAN terminated due to an input error\n");
  EXPECT_TRUE(dir.entries().empty());
}

TEST(BuiltProgram, ReturnsStatus1ForTooManyTimePoints) {
  ScratchDir dir;
  std::vector<std::string> records = mandatory_records();
  records[2] = right("10002");
  write_file(dir / "zelvan.inp", join(records));
  const ProcessResult result = run_executable(dir.path(), "");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, std::string(kInputDataReadText) +
                               "\n!!! Too many nodes chosen:   10002\n    Maximum number allowed:  10001\n\n"
                               "*** ZELVAN terminated due to npoints > istore\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"zelvan.inp"});
}

// The sweep takes nstep + nextra + 1 steps, at most 1000000; the start-up
// refuses one more before anything is computed.
TEST(StartUp, AcceptsTheLargestSweepAndRefusesOneStepMore) {
  for (const int nstep : {999994, 999995}) {
    CaseInput input;
    input.sweep = true;
    input.nstep = nstep;
    input.nextra = 5;
    ScratchDir dir;
    write_file(dir / "case.inp", join(case_records(input)));
    RunResult result;
    {
      WorkingDirectory cwd(dir.path());
      result = run_start_up({"lnx", "case.inp"});
    }
    if (nstep == 999994) {
      EXPECT_EQ(result.status, 0) << result.console;
    } else {
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(result.console, std::string(kInputDataReadText) +
                                    "\n!!! The flutter sweep would take 1000001 steps (nstep + nextra + 1), but at "
                                    "most 1000000 are allowed.\n\n*** ZELVAN terminated due to too many sweep steps\n");
    }
  }
}

// The console reaches a file line by line: a run killed while it waits
// (here for a layout template that is a pipe nobody writes) has left
// every line it wrote before in its log.  The wait reads the log with
// grep -s: the background shell may not have created it yet, and grep's
// complaint would otherwise stand in front of the log in the output.
TEST(BuiltProgram, HandsOnEveryConsoleLineSoAKilledRunLeavesItsLog) {
  ScratchDir dir;
  fs::copy_file(fs::path(ZELVAN_SOURCE_DIR) / "examples" / "zelvan.inp", dir / "zelvan.inp");
  const std::string script = "cd '" + dir.path().string() +
                             "' && mkfifo zelvan.lay0 && ('" ZELVAN_EXECUTABLE
                             "' LNX zelvan.inp > console.log 2>&1 & pid=$!; "
                             "for i in $(seq 600); do grep -qs 'QR,QS matrices' console.log && break; sleep 0.1; done; "
                             "{ kill -9 $pid; wait $pid; } 2>/dev/null; cat console.log)";
  const ProcessResult result = run_executable(dir.path(), "--version");  // the program exists
  ASSERT_EQ(result.status, 0);
  const ShellRun killed = run_in_shell(script);
  EXPECT_TRUE(killed.output.starts_with(std::string(kInputDataReadText))) << killed.output;
  EXPECT_NE(killed.output.find("\n Eigenvalues and eigenvectors (only structural part):\n"), std::string::npos);
  EXPECT_NE(killed.output.find("\n *** QR,QS matrices as eventually applied\n"), std::string::npos);
  // The run was killed while zelvan.dat was begun: its temporary remains
  // (SIGKILL cannot be caught), no zelvan.dat was created.
  EXPECT_FALSE(fs::exists(dir / "zelvan.dat"));
}

// A termination request or a hang-up (and an interrupt, Ctrl-C, which a
// background job of this shell would ignore) removes the temporaries of
// the files the run had begun, then ends the run as the signal does; the
// older result files stay as they were.
TEST(BuiltProgram, RemovesItsTemporariesWhenTerminated) {
  for (const char* signal_name : {"TERM", "HUP"}) {
    ScratchDir dir;
    fs::copy_file(fs::path(ZELVAN_SOURCE_DIR) / "examples" / "zelvan.inp", dir / "zelvan.inp");
    write_file(dir / "zelvan.dat", "older\n");
    const std::string script = "cd '" + dir.path().string() +
                               "' && mkfifo zelvan.lay0 && ('" ZELVAN_EXECUTABLE
                               "' LNX zelvan.inp > console.log 2>&1 & pid=$!; "
                               "for i in $(seq 600); do ls -a | grep -q '^.zelvan.dat.tmp-' && break; sleep 0.1; done; "
                               "ls -a | grep -c '^.zelvan.dat.tmp-'; "
                               "kill -" +
                               std::string(signal_name) +
                               " $pid; wait $pid; echo status $?; ls -a | grep -c '^\\.'; true)";
    const ShellRun run = run_in_shell(script);
    // One temporary while the run waits; afterwards only "." and "..".
    EXPECT_TRUE(run.output.starts_with("1\n")) << signal_name << "\n" << run.output;
    EXPECT_TRUE(run.output.ends_with("\n2\n")) << signal_name << "\n" << run.output;
    EXPECT_EQ(run.output.find("status 0"), std::string::npos) << run.output;
    EXPECT_EQ(read_file(dir / "zelvan.dat"), "older\n");
  }
}

}  // namespace
}  // namespace zelvan::driver
