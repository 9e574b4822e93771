// The run as a whole: the console text of the start-up, the limit on the
// number of time points, the start-up constants, and the built program
// run on the bundled example case.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "aero/possio_block.hpp"
#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

// Runs the program on the mandatory records with `npoints` in record 3.
RunResult run_with_npoints(const std::string& npoints) {
  ScratchDir dir;
  std::vector<std::string> records = mandatory_records();
  records[2] = right(npoints) + "  npoints";
  write_file(dir / "case.inp", join(records));
  WorkingDirectory cwd(dir.path());
  return run_program({"lnx", "case.inp"});
}

TEST(Run, WritesTheInputDataReadMessageAndEndsNormally) {
  const RunResult result = run_with_npoints("2048");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.console, "\n*** Input data read -\n    Computation has started. \n\n");
}

TEST(Run, AcceptsTheLargestNumberOfTimePoints) {
  const RunResult result = run_with_npoints("10001");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.console, kInputDataReadText);
  EXPECT_EQ(case_parameters().npoints, 10001);
}

TEST(Run, StopsWithStatus1WhenTooManyTimePointsAreAsked) {
  const RunResult result = run_with_npoints("10002");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.console,
            std::string(kInputDataReadText) +
                "\n"
                "!!! Too many nodes chosen:   10002\n"
                "    Maximum number allowed:  10001\n"
                "\n"
                "*** ZELVAN terminated due to npoints > istore\n");
}

TEST(Run, ShowsAHugeNumberOfTimePointsInTheLimitMessage) {
  const RunResult result = run_with_npoints("999999");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.console.find("!!! Too many nodes chosen:  999999\n"), std::string::npos) << result.console;
}

TEST(Run, SetsTheStartUpConstantsAndTheSolverSettings) {
  const RunResult result = run_with_npoints("2048");
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

TEST(Run, StartsEachRunFromFreshRecords) {
  ScratchDir dir;
  write_file(dir / "full.inp", join(mandatory_records() + "." + aero_record() + coefficient_records() + "." +
                                    sweep_records()));
  std::vector<std::string> plain = mandatory_records();
  plain[2] = right("100");
  write_file(dir / "plain.inp", join(plain));
  WorkingDirectory cwd(dir.path());
  ASSERT_EQ(run_program({"lnx", "full.inp"}).status, 0);
  ASSERT_EQ(case_parameters().QR22, 4.1);
  ASSERT_EQ(run_program({"win", "plain.inp"}).status, 0);
  const CaseParameters& cp = case_parameters();
  EXPECT_EQ(cp.npoints, 100);
  EXPECT_FALSE(cp.is_lnx);
  EXPECT_FALSE(cp.is_unix);
  EXPECT_EQ(cp.f_s, 0.0);
  EXPECT_EQ(cp.w_star, 0.0);
  EXPECT_EQ(cp.QR22, 0.0);
  EXPECT_EQ(cp.x_ref, 1.0);
  EXPECT_EQ(cp.nstep, 20);
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
};

void PrintTo(const ExampleRun& c, std::ostream* os) { *os << c.label; }

class BuiltProgram : public ::testing::TestWithParam<ExampleRun> {};

TEST_P(BuiltProgram, ReadsTheBundledExampleAndEndsNormally) {
  ScratchDir dir;
  fs::copy_file(fs::path(ZELVAN_SOURCE_DIR) / "examples" / "zelvan.inp", dir / "zelvan.inp");
  const ProcessResult result = run_executable(dir.path(), GetParam().arguments);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, kInputDataReadText);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, BuiltProgram,
                         ::testing::Values(ExampleRun{"WithoutArguments", ""},
                                           ExampleRun{"WithSystemAndFileName", "LNX zelvan.inp"},
                                           ExampleRun{"WithSystemOnly", "win"}),
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
}

}  // namespace
}  // namespace zelvan::driver
