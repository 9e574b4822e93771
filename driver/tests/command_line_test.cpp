// The command line: GETARG's fixed-length buffers and its message, and how
// the start-up turns the words into the operating-system option and the
// input file name.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/messages.hpp"
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
  EXPECT_EQ(cp.t_E, c.t_E);
}

const std::string kDefaultName = "zelvan.inp";
const std::string kCaseName = "case.inp";

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
        CommandLineCase{
            "EmptyFileNameMeansTheDefaultFile", {"lnx", ""}, "lnx", false, false, true, true, kDefaultName, 8.0}),
    ByLabel{});

TEST(StartUpCommandLine, UsesALongFileNameWhole) {
  ScratchDir dir;
  const std::string name = "my_wing_case_number_2.inp";
  write_file(dir / name, join(mandatory_records()));
  // The file its first 20 characters name must not be read instead.
  std::vector<std::string> records = mandatory_records();
  records[1] = right("9.0") + "  t_E";
  write_file(dir / name.substr(0, 20), join(records));
  RunResult result;
  {
    WorkingDirectory cwd(dir.path());
    result = run_start_up({"lnx", name});
  }
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.console, kInputDataReadText);
  EXPECT_EQ(case_parameters().input_file, name);
  EXPECT_EQ(case_parameters().t_E, 8.0);
}

// Arguments that end the run before the input file is read: the usage
// text and the version (status 0), an unknown option or too many
// arguments (usage errors, status 2), an operating-system option that is
// none of WIN, SGI, LNX (status 1, the option's own message).  Nothing is
// read or written in any of them.
struct ArgumentCase {
  const char* label;
  std::vector<std::string> arguments;
  int status;
  std::string console;  // the whole console text; "" when only `begins` is checked
  std::string begins = {};
};

void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << c.label; }

class EarlyArguments : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(EarlyArguments, EndTheRunBeforeAnyWork) {
  const ArgumentCase& c = GetParam();
  ScratchDir dir;
  RunResult result;
  {
    WorkingDirectory cwd(dir.path());
    result = run_program(c.arguments);  // no input file in the folder: it must not be needed
  }
  EXPECT_EQ(result.status, c.status) << result.console;
  if (!c.console.empty()) {
    EXPECT_EQ(result.console, c.console);
  }
  EXPECT_TRUE(result.console.starts_with(c.begins)) << result.console;
  EXPECT_TRUE(dir.entries().empty());
}

const std::string kUsageStop = "    Try \"zelvan --help\".\n\n*** ZELVAN terminated due to a usage error\n";
const std::string kWrongOption =
    "\n!!! ZELVAN - No valid OS found for output file\n\n!!! ZELVAN stopped due do wrong option ";

INSTANTIATE_TEST_SUITE_P(
    CommandLines, EarlyArguments,
    ::testing::Values(
        ArgumentCase{"Help", {"--help"}, 0, std::string(msg::kUsageText)},
        ArgumentCase{"ShortHelp", {"-h"}, 0, std::string(msg::kUsageText)},
        ArgumentCase{"HelpAfterTheOption", {"LNX", "-h"}, 0, std::string(msg::kUsageText)},
        ArgumentCase{"Version", {"--version"}, 0, "zelvan " ZELVAN_VERSION "\n"},
        ArgumentCase{"UnknownOption", {"-x"}, 2, "\n!!! Usage error: unknown option \"-x\".\n" + kUsageStop},
        ArgumentCase{"UnknownLongOptionAsFileName",
                     {"LNX", "--verbose"},
                     2,
                     "\n!!! Usage error: unknown option \"--verbose\".\n" + kUsageStop},
        ArgumentCase{
            "ThreeArguments",
            {"lnx", "case.inp", "extra"},
            2,
            "\n!!! Usage error: 3 arguments given, but at most two are taken (option and input file).\n" + kUsageStop},
        // A file name given where the option belongs.
        ArgumentCase{"InputFileInsteadOfTheOption", {"case_b.inp"}, 1, kWrongOption + "cas\n"},
        ArgumentCase{"MixedCaseOption", {"Win", "case.inp"}, 1, kWrongOption + "Win\n"},
        ArgumentCase{"OnlyTheFirstThreeCharactersOfTheOptionCount", {"linux", "case.inp"}, 1, kWrongOption + "lin\n"}),
    ByLabel{});

TEST(Usage, CoversTheArgumentsTheListingChannelsAndTheExitStatuses) {
  const std::string text(msg::kUsageText);
  for (const char* part : {"WIN|SGI|LNX", "input-file", "README", "--version", "FOR0NN", "ZELVAN_PLOT=0", "\n  0 ",
                           "\n  1 ", "\n  2 ", "\n  3 ", "\n  4 ", "\n  70 "}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
}

}  // namespace
}  // namespace zelvan::driver
