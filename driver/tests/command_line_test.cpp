// The command line: GETARG's fixed-length buffers and its message, and how
// the start-up turns the words into the operating-system option and the
// input file name.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

// The five lines GETARG writes for argument `nn` (two digits) when it lies
// beyond the first missing word.
std::string missing_argument_text(const std::string& nn) {
  return "\n *** GETARG " + std::string(38, '*') + "\n Argument Nr. " + nn + " nicht mehr vorhanden\n" +
         std::string(50, '*') + "\n\n";
}

struct GetargCase {
  const char* label;
  int n;
  std::size_t length;
  std::string expected;
  std::string console;
};

void PrintTo(const GetargCase& c, std::ostream* os) { *os << c.label; }

class Getarg : public ::testing::TestWithParam<GetargCase> {};

TEST_P(Getarg, FillsTheBufferAndWritesTheMessageOnlyBeyondTheFirstMissingWord) {
  const GetargCase& c = GetParam();
  const std::vector<std::string> words{"zelvan", "lnx", "case.inp"};
  set_command_line(words);
  std::string buffer(c.length, '#');  // stale contents must not survive
  std::ostringstream console;
  {
    textio::ConsoleRedirect redirect(console);
    GETARG(c.n, buffer);
  }
  EXPECT_EQ(buffer, c.expected);
  EXPECT_EQ(buffer.size(), c.length);
  EXPECT_EQ(console.str(), c.console);
}

INSTANTIATE_TEST_SUITE_P(
    WordsOfTheCommandLine, Getarg,
    ::testing::Values(
        GetargCase{"ProgramName", 0, 10, "zelvan    ", ""},
        GetargCase{"WordPaddedToTheBuffer", 2, 20, "case.inp            ", ""},
        GetargCase{"WordCutToTheBuffer", 2, 4, "case", ""}, GetargCase{"WordExactlyFillingTheBuffer", 1, 3, "lnx", ""},
        GetargCase{"FirstMissingWordGivesBlanksWithoutMessage", 3, 20, std::string(20, ' '), ""},
        GetargCase{"SecondMissingWordGivesTheMessage", 4, 20, std::string(20, ' '), missing_argument_text("04")},
        GetargCase{"TwoDigitNumberInTheMessage", 12, 5, std::string(5, ' '), missing_argument_text("12")}),
    ByLabel{});

TEST(Getarg, WithOnlyTheProgramNameTreatsArgumentOneAsTheFirstMissingWord) {
  const std::vector<std::string> words{"zelvan"};
  set_command_line(words);
  std::string buffer(20, 'x');
  std::ostringstream console;
  {
    textio::ConsoleRedirect redirect(console);
    GETARG(1, buffer);
    EXPECT_EQ(console.str(), "");
    GETARG(2, buffer);
  }
  EXPECT_EQ(buffer, std::string(20, ' '));
  EXPECT_EQ(console.str(), missing_argument_text("02"));
}

// The start-up on the command line.  The scratch folder holds zelvan.inp
// and case.inp, told apart by their end time.
struct CommandLineCase {
  const char* label;
  std::vector<std::string> arguments;
  std::string sys;
  bool is_win, is_sgi, is_lnx, is_unix;
  std::string input_file;
  double t_E;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << c.label; }

class StartUpCommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(StartUpCommandLine, SetsTheSystemFlagsAndReadsTheNamedFile) {
  const CommandLineCase& c = GetParam();
  ScratchDir dir;
  std::vector<std::string> records = mandatory_records();
  write_file(dir / "zelvan.inp", join(records));
  records[1] = right("9.0") + "  t_E";
  write_file(dir / "case.inp", join(records));

  RunResult result;
  {
    WorkingDirectory cwd(dir.path());
    result = run_start_up(c.arguments);
  }
  const CaseParameters& cp = case_parameters();
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.console, kInputDataReadText);  // in particular no GETARG message
  EXPECT_EQ(cp.sys, c.sys);
  EXPECT_EQ(cp.is_win, c.is_win);
  EXPECT_EQ(cp.is_sgi, c.is_sgi);
  EXPECT_EQ(cp.is_lnx, c.is_lnx);
  EXPECT_EQ(cp.is_unix, c.is_unix);
  EXPECT_EQ(cp.input_file, c.input_file);
  EXPECT_EQ(cp.input_file.size(), 20u);
  EXPECT_EQ(cp.t_E, c.t_E);
}

const std::string kDefaultName = "zelvan.inp          ";
const std::string kCaseName = "case.inp            ";

INSTANTIATE_TEST_SUITE_P(
    OptionsAndNames, StartUpCommandLine,
    ::testing::Values(
        CommandLineCase{
            "NoArgumentsMeansWindowsAndTheDefaultFile", {}, "   ", true, false, false, false, kDefaultName, 8.0},
        CommandLineCase{"UpperCaseWin", {"WIN", "case.inp"}, "WIN", true, false, false, false, kCaseName, 9.0},
        CommandLineCase{"LowerCaseWinAlone", {"win"}, "win", true, false, false, false, kDefaultName, 8.0},
        CommandLineCase{"UpperCaseSgi", {"SGI", "case.inp"}, "SGI", false, true, false, true, kCaseName, 9.0},
        CommandLineCase{"LowerCaseSgiAlone", {"sgi"}, "sgi", false, true, false, true, kDefaultName, 8.0},
        CommandLineCase{"UpperCaseLnx", {"LNX", "case.inp"}, "LNX", false, false, true, true, kCaseName, 9.0},
        CommandLineCase{"LowerCaseLnxAlone", {"lnx"}, "lnx", false, false, true, true, kDefaultName, 8.0},
        CommandLineCase{"OnlyTheFirstThreeCharactersCount",
                        {"WINDOWS", "case.inp"},
                        "WIN",
                        true,
                        false,
                        false,
                        false,
                        kCaseName,
                        9.0},
        CommandLineCase{"MixedCaseSetsNoFlag", {"Win", "case.inp"}, "Win", false, false, false, false, kCaseName, 9.0},
        CommandLineCase{"LinuxSetsNoFlag", {"linux", "case.inp"}, "lin", false, false, false, false, kCaseName, 9.0},
        CommandLineCase{
            "EmptyFileNameMeansTheDefaultFile", {"lnx", ""}, "lnx", false, false, true, true, kDefaultName, 8.0},
        CommandLineCase{
            "ExtraWordsAreIgnored", {"lnx", "case.inp", "extra"}, "lnx", false, false, true, true, kCaseName, 9.0}),
    ByLabel{});

TEST(StartUpCommandLine, CutsALongFileNameToTwentyCharacters) {
  ScratchDir dir;
  const std::string cut = "abcdefghij0123456789";
  write_file(dir / cut, join(mandatory_records()));
  RunResult result;
  {
    WorkingDirectory cwd(dir.path());
    result = run_start_up({"lnx", cut + "VWXYZ"});
  }
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.console, kInputDataReadText);
  EXPECT_EQ(case_parameters().input_file, cut);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{cut});
}

}  // namespace
}  // namespace zelvan::driver
