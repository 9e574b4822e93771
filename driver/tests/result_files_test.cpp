// The result files of a whole run: the layout of zelvan.dat against the
// records it is written from, the listing channels, the files each
// operating-system option writes, and the outputs that cannot be written.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "driver/spectrum.hpp"
#include "driver/tests/driver_test_support.hpp"
#include "driver/time_history.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

// 1PG14.5 keeps six significant digits in its exponent form, five in its
// fixed form: a relative rounding of at most 5e-5.
constexpr double kRecordDigits = 5e-5;
// F12.5 rounds to 0.00001.
constexpr double kListingDigits = 0.5e-5 * 1.000001;

const std::string kVariablesLine =
    R"(  Variables = "t", "Y1", "Y2", "Y3", "Y4", "FouF",  "FouCY3", "FouPY3", "FouCY4", "FouPY4", )"
    R"("GenF1", "GenF2",  "RPart1", "RPart2", "SumP1", "SumP2", "SumPAll" )";

const std::string kListingHeader =
    "\n        ****** Results *******\n\n       t           y(1)        y(2)        y(3)        y(4) \n";

// The lines of a file the program wrote: every line ends in a line end.
std::vector<std::string> record_lines(const std::string& text) {
  EXPECT_TRUE(text.empty() || text.back() == '\n') << "the last line has no line end";
  return lines_of(text);
}

// The fields of a fixed-width record, read as numbers.
std::vector<double> fields(const std::string& line, std::size_t width) {
  std::vector<double> values;
  for (std::size_t at = 0; at < line.size(); at += width) values.push_back(std::stod(line.substr(at, width)));
  return values;
}

// A case of the test-support records with `npoints` time points over
// t_A = 0.25 .. t_E = 8 and the given listing channel.
std::vector<std::string> small_case(int npoints, int listing_unit) {
  std::vector<std::string> records = mandatory_records();
  records[2] = right(std::to_string(npoints)) + "  npoints";
  records[20] = right(std::to_string(listing_unit)) + "  listing_unit";
  return records + "." + aero_record() + coefficient_records();
}

RunResult run_case(const ScratchDir& dir, const std::vector<std::string>& records, const std::string& option) {
  write_file(dir / "case.inp", join(records));
  WorkingDirectory cwd(dir.path());
  return run_program({option, "case.inp"});
}

// What the records of zelvan.dat hold: the initial state, then sample i
// with the spectral line i + 1 beside it.
std::vector<std::vector<double>> expected_records() {
  const CaseParameters& cp = case_parameters();
  const TimeHistory& h = time_history();
  const Spectrum& s = spectrum();
  std::vector<std::vector<double>> rows{{cp.t_A, cp.y0[0], cp.y0[1], cp.y0[2], cp.y0[3], s.FouF[0], s.FouCY3[0],
                                         s.FouPY3[0], s.FouCY4[0], s.FouPY4[0], 0, 0, 0, 0, 0, 0, 0}};
  for (std::size_t i = 1; i < static_cast<std::size_t>(cp.npoints); ++i) {
    const std::size_t r = i - 1;
    rows.push_back({h.t[r], h.Y1[r], h.Y2[r], h.Y3[r], h.Y4[r], s.FouF[i], s.FouCY3[i], s.FouPY3[i], s.FouCY4[i],
                    s.FouPY4[i], h.GenF[0][r], h.GenF[1][r], h.RPart[0][r], h.RPart[1][r], h.SumP[0][r], h.SumP[1][r],
                    h.SumP[0][r] + h.SumP[1][r]});
  }
  return rows;
}

struct LengthCase {
  const char* label;
  int npoints;
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.label; }

class DataFile : public ::testing::TestWithParam<LengthCase> {};

TEST_P(DataFile, HoldsTheHeaderAndOneRecordPerTimePointWithTheSpectrumShiftedByOneLine) {
  ScratchDir dir;
  const int npoints = GetParam().npoints;
  const RunResult result = run_case(dir, small_case(npoints, 0), "LNX");
  ASSERT_EQ(result.status, 0) << result.console;
  const std::vector<std::string> lines = record_lines(read_file(dir / "zelvan.dat"));
  ASSERT_EQ(lines.size(), 5u + static_cast<std::size_t>(npoints));
  EXPECT_EQ(lines[0], R"(  Title = "Two-DOF test section")");
  EXPECT_EQ(lines[1], kVariablesLine);
  char zone[40];
  std::snprintf(zone, sizeof zone, "  Zone I = %5d, F=Point ", npoints);
  EXPECT_EQ(lines[2], zone);
  const CaseParameters& cp = case_parameters();
  char comment[80];
  std::snprintf(comment, sizeof comment, "#  %9d%12.5f%12.5f%12.5f%12.5f", npoints, cp.f_0_1, 0.01, cp.f_0_2, 0.01);
  EXPECT_EQ(lines[3], comment);
  std::snprintf(comment, sizeof comment, "#  %9d%12.5f%12.5f%12.5f%12.5f", 0, cp.f_0_1, 0.1, cp.f_0_2, 0.1);
  EXPECT_EQ(lines[4], comment);

  const auto rows = expected_records();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::string& line = lines[5 + r];
    ASSERT_EQ(line.size(), 17u * 14u) << "record " << r;
    const std::vector<double> values = fields(line, 14);
    for (std::size_t c = 0; c < 17; ++c)
      EXPECT_NEAR(values[c], rows[r][c], kRecordDigits * std::fabs(rows[r][c]))
          << "record " << r << ", field " << c + 1;
  }
  // The console's blank line comes just before the last record; a single
  // time point has no record after the initial one.
  EXPECT_EQ(result.console.ends_with("\n \n"), npoints > 1) << result.console;
  // The last record is sample nsteps at t_E beside the last spectral line.
  if (npoints > 1) {
    EXPECT_EQ(fields(lines.back(), 14)[0], 8.0);
  }
}

INSTANTIATE_TEST_SUITE_P(TimePoints, DataFile,
                         ::testing::Values(LengthCase{"OnePoint", 1}, LengthCase{"TwoPoints", 2},
                                           LengthCase{"FivePoints", 5}, LengthCase{"SixtyFivePoints", 65}),
                         ByLabel{});

struct ListingCase {
  const char* label;
  int channel;
  const char* variable;  // value of the environment variable "7", or null
  const char* file;      // where the listing goes; null: the console or nowhere
};

void PrintTo(const ListingCase& c, std::ostream* os) { *os << c.label; }

class Listing : public ::testing::TestWithParam<ListingCase> {
 protected:
  void TearDown() override { unsetenv("7"); }
};

// The listing repeats the first ten columns of zelvan.dat; the console
// gets a blank line just before the last record is written, listing or
// not.
TEST_P(Listing, RepeatsTheFirstTenColumnsOnItsChannel) {
  const ListingCase& c = GetParam();
  ScratchDir dir;
  if (c.variable != nullptr) setenv("7", c.variable, 1);
  constexpr int npoints = 9;
  const RunResult result = run_case(dir, small_case(npoints, c.channel), "LNX");
  ASSERT_EQ(result.status, 0) << result.console;
  const auto rows = expected_records();

  std::string listing;
  if (c.channel == 6) {
    listing = result.console.substr(result.console.find(kListingHeader) + kListingHeader.size());
  } else if (c.file != nullptr) {
    const std::string text = read_file(dir / c.file);
    ASSERT_EQ(text.substr(0, kListingHeader.size()), kListingHeader);
    listing = text.substr(kListingHeader.size());
  }
  for (const std::string& name : dir.entries()) {
    EXPECT_TRUE(name == "case.inp" || name.starts_with("zelvan") || (c.file != nullptr && name == c.file)) << name;
  }
  if (c.channel != 6) {
    EXPECT_EQ(result.console.find("****** Results"), std::string::npos);
    EXPECT_TRUE(result.console.ends_with("\n \n")) << result.console;
  }
  if (listing.empty()) {
    EXPECT_EQ(c.channel, 0);
    return;
  }
  // Initial row, blank, rows 1 .. nsteps - 1, blank (on the console only),
  // last row.
  std::vector<std::string> lines = record_lines(listing);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], " ") << "the blank line after the initial row";
  lines.erase(lines.begin() + 1);
  if (c.channel == 6) {
    ASSERT_EQ(lines[lines.size() - 2], " ");
    lines.erase(lines.end() - 2);
  }
  ASSERT_EQ(lines.size(), rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    ASSERT_EQ(lines[r].size(), 120u) << "row " << r;
    const std::vector<double> values = fields(lines[r], 12);
    for (std::size_t col = 0; col < 10; ++col)
      EXPECT_NEAR(values[col], rows[r][col], kListingDigits) << "row " << r << ", column " << col + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Channels, Listing,
    ::testing::Values(ListingCase{"None", 0, nullptr, nullptr}, ListingCase{"Console", 6, nullptr, nullptr},
                      ListingCase{"Channel7", 7, nullptr, "FOR007"},
                      ListingCase{"Channel7NamedByTheEnvironment", 7, "own_listing.txt", "own_listing.txt"}),
    ByLabel{});

struct OptionCase {
  const char* label;
  const char* option;
  int status;
  std::vector<std::string> files;  // besides case.inp
};

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.label; }

class OperatingSystemOption : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OperatingSystemOption, SelectsTheResultFiles) {
  const OptionCase& c = GetParam();
  ScratchDir dir;
  const RunResult result = run_case(dir, small_case(5, 0), c.option);
  EXPECT_EQ(result.status, c.status) << result.console;
  std::vector<std::string> files = c.files;
  files.insert(files.begin(), "case.inp");
  EXPECT_EQ(dir.entries(), files);
}

INSTANTIATE_TEST_SUITE_P(Options, OperatingSystemOption,
                         ::testing::Values(OptionCase{"WIN",
                                                      "WIN",
                                                      0,
                                                      {"zelvan.dat", "zelvan.gp", "zelvan.itp", "zelvan.lay",
                                                       "zelvan.sty", "zelvan_fl.dat", "zelvan_flutter.dat",
                                                       "zelvan_flutter.json"}},
                                           OptionCase{"LNX",
                                                      "lnx",
                                                      0,
                                                      {"zelvan.dat", "zelvan.gp", "zelvan.lay", "zelvan.sty",
                                                       "zelvan_fl.dat", "zelvan_flutter.dat", "zelvan_flutter.json"}},
                                           OptionCase{"SGI",
                                                      "SGI",
                                                      0,
                                                      {"zelvan.dat", "zelvan.gp", "zelvan.lay", "zelvan.sty",
                                                       "zelvan_fl.dat", "zelvan_flutter.dat", "zelvan_flutter.json"}},
                                           // The option is checked at start-up, before anything is written.
                                           OptionCase{"Invalid", "XYZ", 1, {}}),
                         ByLabel{});

TEST(OperatingSystemOption, IsRejectedAtStartUpBeforeAnyWork) {
  ScratchDir dir;
  const RunResult result = run_case(dir, small_case(5, 6), "XYZABC");
  EXPECT_EQ(result.status, 1);
  // Only the option's message and stop line: nothing was read, computed or
  // written, so there is no file report either.
  EXPECT_EQ(result.console,
            "\n!!! ZELVAN - No valid OS found for output file\n\n!!! ZELVAN stopped due do wrong option XYZ\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"case.inp"});
}

// The built program in a scratch folder, with a shell command before it.
struct ProcessResult {
  int status = -1;
  std::string output;
};

ProcessResult run_executable(const std::string& shell_command) {
  ProcessResult result;
  FILE* pipe = popen((shell_command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, n);
  const int wait_status = pclose(pipe);
  if (WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  return result;
}

const std::string kOutputStop = "\n*** ZELVAN terminated due to an output error\n";

struct OutputFaultCase {
  const char* label;
  // Prepares the scratch folder (in it) and starts the program.
  std::string command;
  std::string message;
  std::vector<std::string> files_left;  // besides case.inp
  std::string report;                   // the file report after the stop line
};

void PrintTo(const OutputFaultCase& c, std::ostream* os) { *os << c.label; }

class OutputFault : public ::testing::TestWithParam<OutputFaultCase> {};

// The run stops at the first file it cannot write, names it, and ends with
// status 4; it replaces no result file, and its report lists the results it
// had computed.
TEST_P(OutputFault, StopsTheRunNamingTheFile) {
  const OutputFaultCase& c = GetParam();
  ScratchDir dir;
  write_file(dir / "case.inp", join(small_case(5, 7)));
  const ProcessResult result = run_executable("cd '" + dir.path().string() + "' && " + c.command);
  EXPECT_EQ(result.status, 4) << result.output;
  EXPECT_NE(result.output.find("\n!!! Output error: " + c.message), std::string::npos) << result.output;
  EXPECT_TRUE(result.output.ends_with(kOutputStop + c.report)) << result.output;
  std::vector<std::string> files = c.files_left;
  files.insert(files.begin(), "case.inp");
  EXPECT_EQ(dir.entries(), files);
}

const std::string kNothingReplaced =
    "*** No result file was replaced: the folder holds what it held before this run.\n";
// A stop in the result step: the flutter analysis had computed its files.
const std::string kFlutterFilesComputed =
    kNothingReplaced +
    "*** Results this run had computed, not put in place:\n    zelvan_fl.dat\n    zelvan_flutter.dat\n    "
    "zelvan_flutter.json\n";
const std::string kProgram = "'" + std::string(ZELVAN_EXECUTABLE) + "'";

INSTANTIATE_TEST_SUITE_P(
    Faults, OutputFault,
    ::testing::Values(
        OutputFaultCase{"DirectoryNamedLikeTheDataFile",
                        "mkdir zelvan.dat && " + kProgram + " LNX case.inp",
                        "cannot create the file \"zelvan.dat\": Is a directory.",
                        {"zelvan.dat"},
                        kFlutterFilesComputed},
        // The working folder is removed under the program: nothing can be
        // created in it (the input comes through standard input).
        OutputFaultCase{"FolderRemoved",
                        "mkdir out && cd out && rmdir ../out && " + kProgram + " LNX /dev/stdin < ../case.inp",
                        "cannot create the file \"zelvan_fl.dat\": No such file or directory.",
                        {},
                        ""},
        // A full disk: writing fails, and the close says so.
        OutputFaultCase{"DiskFull",
                        "ln -s /dev/full zelvan.dat && " + kProgram + " LNX case.inp",
                        "the file \"zelvan.dat\" could not be written completely: No space left on device.",
                        {"zelvan.dat"},
                        kFlutterFilesComputed},
        OutputFaultCase{"ListingFileInAMissingFolder",
                        "env 7=absent/listing.txt " + kProgram + " LNX case.inp",
                        "cannot create the file \"absent/listing.txt\": No such file or directory.",
                        {},
                        kFlutterFilesComputed},
        // A write-protected result file is kept: the run stops when it
        // comes to it.
        OutputFaultCase{"ReadOnlyStyleFile",
                        "touch zelvan.sty && chmod a-w zelvan.sty && " + kProgram + " LNX case.inp",
                        "cannot create the file \"zelvan.sty\": Permission denied.",
                        {"zelvan.sty"},
                        kFlutterFilesComputed}),
    ByLabel{});

// What a folder holds: every entry, hidden ones included, with the
// contents of each regular file.
std::map<std::string, std::string> folder_state(const ScratchDir& dir) {
  std::map<std::string, std::string> state;
  for (const std::string& name : dir.entries())
    state[name] = fs::is_regular_file(dir / name) ? read_file(dir / name) : std::string("(not a file)");
  return state;
}

// A run that stops, at any stage, replaces no file: after a complete run
// (and a figure of it), a second case with other values stops, and the
// folder is byte for byte what it was, with no temporary and no lock file.
struct StopStage {
  const char* label;
  std::string prepare;      // shell commands in the folder before the second run
  std::string environment;  // before the program
  std::size_t record;       // the record the second case changes besides K_1 (0: none)
  std::string value;
  int status;
};

void PrintTo(const StopStage& c, std::ostream* os) { *os << c.label; }

class AtomicResults : public ::testing::TestWithParam<StopStage> {};

TEST_P(AtomicResults, AStopLeavesTheFolderAsItWas) {
  const StopStage& c = GetParam();
  ScratchDir dir;
  write_file(dir / "case.inp", join(small_case(64, 7)));
  const std::string cd = "cd '" + dir.path().string() + "' && ";
  ASSERT_EQ(run_in_shell(cd + kProgram + " LNX case.inp").status, 0);
  write_file(dir / "zelvan-time.png", "a figure of the first run");

  std::vector<std::string> other = small_case(64, 7);
  other[12] = right("4100.0") + "  K_1";
  if (c.record > 0) other[c.record - 1] = right(c.value);
  write_file(dir / "case.inp", join(other));
  ASSERT_EQ(run_in_shell(cd + (c.prepare.empty() ? "true" : c.prepare)).status, 0);
  const auto before = folder_state(dir);
  const ShellRun stopped = run_in_shell(cd + c.environment + " " + kProgram + " LNX case.inp");
  EXPECT_EQ(stopped.status, c.status) << stopped.output;
  EXPECT_NE(stopped.output.find(kNothingReplaced), std::string::npos) << stopped.output;
  EXPECT_TRUE(folder_state(dir) == before) << stopped.output;
}

INSTANTIATE_TEST_SUITE_P(Stages, AtomicResults,
                         ::testing::Values(StopStage{"ALibraryStopInTheTimeHistory", "", "", 19, "0.0", 3},
                                           StopStage{"AReadOnlyLaterFile", "chmod a-w zelvan.sty", "", 0, "", 4},
                                           StopStage{"ABadTemplateAtTheEnd", "mkdir zelvan.lay0", "", 0, "", 2},
                                           StopStage{"AFullDiskUnderTheListing", "", "env 7=/dev/full", 0, "", 4}),
                         ByLabel{});

// The result files of a folder (everything but the inputs and the logs),
// date-masked, by name.
std::map<std::string, std::string> results_in(const ScratchDir& dir) {
  std::map<std::string, std::string> results;
  for (const std::string& name : dir.entries()) {
    if (name.ends_with(".inp") || name.ends_with(".log") || name == "zelvan.lay0" || name == "zelvan.sty0") continue;
    results[name] = mask_date(read_file(dir / name));
  }
  return results;
}

// Two runs started together in one folder: the one that takes the folder
// completes, the other stops at once with the lock message (status 5),
// and every file of the folder is the one the completed run writes alone.
// The layout template is a pipe that the test fills only after one run has
// ended, so the winner is still running (it waits at its result step, with
// the lock) while the other one starts: the two always overlap.
TEST(OneRunPerFolder, TwoRunsStartedTogetherLeaveOnlyTheFilesOfTheOneThatCompleted) {
  constexpr int kRaces = 8;
  const fs::path examples = fs::path(ZELVAN_SOURCE_DIR) / "examples";
  std::vector<std::string> b = small_case(64, 7);
  b[0] = place(right("0.25"), 31, "Case B of the race");
  b[12] = right("4100.0") + "  K_1";
  const std::map<std::string, std::vector<std::string>> inputs{{"a", small_case(64, 7)}, {"b", b}};
  std::map<std::string, std::map<std::string, std::string>> alone;
  for (const auto& [name, records] : inputs) {
    ScratchDir single;
    write_file(single / "case.inp", join(records));
    fs::copy_file(examples / "zelvan.lay0", single / "zelvan.lay0");
    fs::copy_file(examples / "zelvan.sty0", single / "zelvan.sty0");
    ASSERT_EQ(run_in_shell("cd '" + single.path().string() + "' && " + kProgram + " LNX case.inp").status, 0);
    alone[name] = results_in(single);
  }

  ScratchDir dir;
  for (const auto& [name, records] : inputs) write_file(dir / (name + ".inp"), join(records));
  fs::copy_file(examples / "zelvan.sty0", dir / "zelvan.sty0");
  const std::string template_file = (examples / "zelvan.lay0").string();
  // The pipe is filled (which waits for the winner to open it) once the
  // other run has ended with status 5; after 30 s without that, anyway.
  const std::string race = "cd '" + dir.path().string() + "' && { rm -f a.log b.log; (" + kProgram +
                           " LNX a.inp > a.log 2>&1; echo $? >> a.log) & (" + kProgram +
                           " LNX b.inp > b.log 2>&1; echo $? >> b.log) & "
                           "for i in $(seq 600); do tail -n 1 a.log b.log 2>/dev/null | grep -qx 5 && break; "
                           "sleep 0.05; done; "
                           "timeout 60 sh -c \"cat '" +
                           template_file + "' > zelvan.lay0\"; wait; }";
  ASSERT_EQ(run_in_shell("cd '" + dir.path().string() + "' && mkfifo zelvan.lay0").status, 0);
  for (int i = 0; i < kRaces; ++i) {
    run_in_shell(race);
    const std::string a_log = read_file(dir / "a.log"), b_log = read_file(dir / "b.log");
    const bool a_won = a_log.ends_with("\n0\n");
    const std::string& loser = a_won ? b_log : a_log;
    ASSERT_TRUE(a_won || b_log.ends_with("\n0\n")) << a_log << b_log;
    EXPECT_TRUE(loser.ends_with("\n\n*** ZELVAN terminated: the folder is in use by another run\n5\n")) << loser;
    EXPECT_NE(loser.find("!!! The folder \"" + dir.path().string() + "\" is in use by another run of ZELVAN (process "),
              std::string::npos)
        << loser;
    EXPECT_TRUE(results_in(dir) == alone[a_won ? "a" : "b"]) << "race " << i << ", " << (a_won ? "a" : "b") << " won";
  }
}

// The input is never a result: an input file or a template that is, by
// name or as the same file under another name, a file the run writes stops
// the run at start-up as an input error naming both; nothing is written.
struct InputResultCase {
  const char* label;
  std::string prepare;  // shell commands in the folder before the run
  std::string arguments;
  std::string environment;  // variables before the program ("": none)
  int status;
  std::string message;  // the input-error message ("": the run ends normally)
};

void PrintTo(const InputResultCase& c, std::ostream* os) { *os << c.label; }

class InputThatIsAResult : public ::testing::TestWithParam<InputResultCase> {};

TEST_P(InputThatIsAResult, StopsAtStartUpNamingBothAndWritesNothing) {
  const InputResultCase& c = GetParam();
  ScratchDir dir;
  write_file(dir / "case.inp", join(small_case(5, 7)));
  const std::string cd = "cd '" + dir.path().string() + "' && ";
  ASSERT_EQ(run_in_shell(cd + (c.prepare.empty() ? "true" : c.prepare)).status, 0);
  const std::vector<std::string> entries = dir.entries();
  std::vector<std::string> contents;
  contents.reserve(entries.size());
  for (const std::string& name : entries) contents.push_back(read_file(dir / name));

  const ShellRun run = run_in_shell(cd + c.environment + " '" + std::string(ZELVAN_EXECUTABLE) + "' " + c.arguments);
  EXPECT_EQ(run.status, c.status) << run.output;
  if (c.status == 0) return;
  EXPECT_EQ(run.output, "\n!!! Input error: " + c.message + "\n\n*** ZELVAN terminated due to an input error\n");
  EXPECT_EQ(dir.entries(), entries);
  for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(read_file(dir / entries[i]), contents[i]) << entries[i];
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, InputThatIsAResult,
    ::testing::Values(
        InputResultCase{"InputNamedLikeTheDataFile", "cp case.inp zelvan.dat", "LNX zelvan.dat", "", 2,
                        "the input file \"zelvan.dat\" is the file \"zelvan.dat\" that this run writes; give the "
                        "input another name."},
        InputResultCase{"InputNamedLikeTheFlutterTableWithAFolderPart", "cp case.inp zelvan_fl.dat",
                        "LNX ./zelvan_fl.dat", "", 2,
                        "the input file \"./zelvan_fl.dat\" is the file \"zelvan_fl.dat\" that this run writes; give "
                        "the input another name."},
        // The same file under another name: a hard link and a symbolic link.
        InputResultCase{"InputHardLinkedToTheStyleFile", "ln case.inp zelvan.sty", "SGI case.inp", "", 2,
                        "the input file \"case.inp\" is the file \"zelvan.sty\" that this run writes; give the input "
                        "another name."},
        InputResultCase{"InputLinkedToThePossioListing", "mv case.inp possio_sub.out && ln -s possio_sub.out a.inp",
                        "LNX a.inp", "", 2,
                        "the input file \"a.inp\" is the file \"possio_sub.out\" that this run writes; give the input "
                        "another name."},
        InputResultCase{"InputNamedLikeTheListingFile", "", "LNX case.inp", "env 7=case.inp", 2,
                        "the input file \"case.inp\" is the file \"case.inp\" that this run writes; give the input "
                        "another name."},
        // The annotation file is written under WIN only.
        InputResultCase{"InputNamedLikeTheAnnotationFileUnderWin", "cp case.inp zelvan.itp", "WIN zelvan.itp", "", 2,
                        "the input file \"zelvan.itp\" is the file \"zelvan.itp\" that this run writes; give the "
                        "input another name."},
        InputResultCase{"InputNamedLikeTheAnnotationFileUnderLnx", "cp case.inp zelvan.itp", "LNX zelvan.itp", "", 0,
                        ""},
        InputResultCase{"TemplateLinkedToTheLayoutFile", "echo old > zelvan.lay && ln -s zelvan.lay zelvan.lay0",
                        "LNX case.inp", "", 2,
                        "the template file \"zelvan.lay0\" is the file \"zelvan.lay\" that this run writes; give "
                        "the input another name."},
        InputResultCase{"InputNamedLikeAFigure", "cp case.inp zelvan.pdf", "LNX zelvan.pdf", "", 2,
                        "the input file \"zelvan.pdf\" is the file \"zelvan.pdf\" that this run writes; give the "
                        "input another name."},
        InputResultCase{"InputNamedLikeTheLockFile", "cp case.inp .zelvan.lock", "LNX .zelvan.lock", "", 2,
                        "the input file \".zelvan.lock\" is the file \".zelvan.lock\" that this run writes; give "
                        "the input another name."},
        // The listing never replaces another file of the run, a figure,
        // the figure script or the document included.
        InputResultCase{"ListingNamedLikeTheDataFile", "", "LNX case.inp", "env 7=./zelvan.dat", 2,
                        "the listing file of channel 7, \"./zelvan.dat\", is the file \"zelvan.dat\" that this run "
                        "reads or writes; name another file in the environment variable 7."},
        InputResultCase{"ListingNamedLikeAFigure", "", "LNX case.inp", "env 7=zelvan-flutter.png", 2,
                        "the listing file of channel 7, \"zelvan-flutter.png\", is the file \"zelvan-flutter.png\" "
                        "that this run reads or writes; name another file in the environment variable 7."},
        InputResultCase{"ListingNamedLikeTheFigureScript", "", "LNX case.inp", "env 7=zelvan.gp", 2,
                        "the listing file of channel 7, \"zelvan.gp\", is the file \"zelvan.gp\" that this run "
                        "reads or writes; name another file in the environment variable 7."},
        InputResultCase{"ListingNamedLikeTheDocument", "", "LNX case.inp", "env 7=zelvan.pdf", 2,
                        "the listing file of channel 7, \"zelvan.pdf\", is the file \"zelvan.pdf\" that this run "
                        "reads or writes; name another file in the environment variable 7."},
        InputResultCase{"ListingNamedLikeTheLockFile", "", "LNX case.inp", "env 7=.zelvan.lock", 2,
                        "the listing file of channel 7, \".zelvan.lock\", is the file \".zelvan.lock\" that this run "
                        "reads or writes; name another file in the environment variable 7."},
        InputResultCase{"ListingLinkedToAFigure", "echo old > zelvan.pdf && ln -s zelvan.pdf out.txt", "LNX case.inp",
                        "env 7=out.txt", 2,
                        "the listing file of channel 7, \"out.txt\", is the file \"zelvan.pdf\" that this run "
                        "reads or writes; name another file in the environment variable 7."}),
    ByLabel{});

}  // namespace
}  // namespace zelvan::driver
