// plan -> run -> collect with the real program on a small thin-plate study
// (method 1: p-k and the matched point): the table equals the single runs'
// results, a resumed run recomputes nothing complete, and a failing case
// is reported with its stop message while the others complete.  A program
// that writes no zelvan_flutter.json fails these tests.

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "aero/atmosphere.hpp"
#include "study/case_runner.hpp"
#include "study/collect.hpp"
#include "study/input_edit.hpp"
#include "study/plan.hpp"
#include "study/run.hpp"
#include "study/tests/study_test_support.hpp"

namespace zelvan::study {
namespace {

namespace fs = std::filesystem;
using test_support::quoted;
using test_support::read_text;
using test_support::ScratchDir;
using test_support::shell;
using test_support::write_text;

// The bundled thin-plate example with the flutter-solution group, method 1
// and a tight tolerance: the example's own group, from its third marker on
// line 31, is replaced (a "." after it would be the fourth marker).
std::string base_input() {
  const std::string example = test_support::example_input();
  std::size_t third_marker = 0;
  for (int line = 1; line <= 30; ++line) third_marker = example.find('\n', third_marker) + 1;
  return example.substr(0, third_marker) +
         ".           third marker: the flutter-solution records follow\n"
         "         1  flutter_method      1: p-k and the matched point\n"
         "       0.0  sound_speed [m/s]\n"
         "    1.0E-8  match_tolerance\n"
         "        30  match_iterations\n";
}

// Runs the program on `input` alone in `folder`; its zelvan_flutter.json,
// or nothing when it writes none.
std::optional<nlohmann::json> single_run(const fs::path& folder, const std::string& input) {
  fs::create_directories(folder);
  write_text(folder / "zelvan.inp", input);
  const std::string command = "cd " + quoted(folder.string()) + " && ZELVAN_PLOT=0 " + quoted(ZELVAN_EXECUTABLE) +
                              " LNX zelvan.inp >console.txt 2>&1";
  (void)shell(command);
  if (!fs::exists(folder / "zelvan_flutter.json")) return std::nullopt;
  return nlohmann::json::parse(read_text(folder / "zelvan_flutter.json"));
}

// Fails the test when the program does not write zelvan_flutter.json, the
// result every study reads, so that its loss cannot pass for a skip.
#define ASSERT_FLUTTER_OUTPUT(scratch)                                                                        \
  ASSERT_TRUE(single_run((scratch).path() / "probe", base_input()))                                           \
      << "the zelvan program wrote no zelvan_flutter.json (the flutter-solution output) for the base input; " \
         "see probe/console.txt"

fs::path plan(const ScratchDir& dir, const std::string& parameters) {
  write_text(dir.path() / "base.inp", base_input());
  write_text(dir.path() / "s.toml", "base = \"base.inp\"\noption = \"LNX\"\n" + parameters);
  return plan_study(dir.path() / "s.toml");
}

RunSummary run_all(const fs::path& dir) {
  const PlannedStudy study = load_plan(dir);
  std::vector<std::size_t> which(study.cases.size());
  for (std::size_t i = 0; i < which.size(); ++i) which[i] = i;
  RunOptions options;
  options.jobs = 2;
  options.zelvan = ZELVAN_EXECUTABLE;
  return run_cases(study, which, options);
}

nlohmann::json field_or_null(const nlohmann::json& object, const char* key) {
  if (!object.is_object() || !object.contains(key)) return nullptr;
  return object[key];
}

constexpr std::string_view kThreeByTwo = R"([[parameter]]
field = "x_p"
values = [0.33, 0.35, 0.37]
[[parameter]]
field = "rho"
values = [1.1, 1.25]
)";

TEST(EndToEnd, TheTableEqualsTheSingleRunsResults) {
  ScratchDir dir;
  ASSERT_FLUTTER_OUTPUT(dir);
  const fs::path study = plan(dir, std::string(kThreeByTwo));
  const RunSummary summary = run_all(study);
  EXPECT_EQ(summary.ok, 6);
  std::ostringstream log;
  const CollectSummary collected = collect_study(study, log);
  EXPECT_EQ(collected.complete.size(), 6U) << log.str();
  const auto table = nlohmann::json::parse(read_text(study / "study.json"));
  ASSERT_EQ(table.size(), 6U);
  const PlannedStudy planned = load_plan(study);
  int with_critical = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto single = single_run(dir.path() / ("single" + std::to_string(i)),
                                   read_text(study / planned.cases[i].folder / "zelvan.inp"));
    ASSERT_TRUE(single);
    const nlohmann::json& row = table[i];
    const nlohmann::json& critical = (*single)["critical"];
    const nlohmann::json& matched = (*single)["matched"];
    const nlohmann::json pk_critical = field_or_null(field_or_null(*single, "pk"), "critical");
    with_critical += critical.is_object() ? 1 : 0;
    // The same program on the same input: the same numbers, bit for bit.
    EXPECT_EQ(row["status"], 0);
    for (const char* key : {"q", "u", "f", "k"}) {
      EXPECT_EQ(row[std::string("critical_") + key], field_or_null(critical, key)) << i << key;
      EXPECT_EQ(row[std::string("matched_") + key], field_or_null(matched, key)) << i << key;
      EXPECT_EQ(row[std::string("pk_") + key], field_or_null(pk_critical, key)) << i << key;
    }
    if (row["matched_converged"] == true) {
      EXPECT_EQ(row["plotted"], "matched") << i;
    }
    EXPECT_EQ(row["matched_Ma"], field_or_null(matched, "Ma")) << i;
    EXPECT_EQ(row["matched_converged"], field_or_null(matched, "converged")) << i;
    EXPECT_EQ(row["divergence_q"], field_or_null((*single)["divergence"], "q")) << i;
  }
  EXPECT_GT(with_critical, 0) << "no case of the study flutters: the comparison shows little";
  EXPECT_FALSE(table[0]["pk_u"].is_null()) << "method 1 gives a p-k critical point";
}

// A study over altitude with the matched Mach number (method 2): each
// case's air is the standard atmosphere's at its altitude, each converged
// matched point has Ma a = u to the matching tolerance, and the table's
// equivalent airspeed is u sqrt(rho/rho_0).
TEST(EndToEnd, AStudyOverAltitudeFliesEachCaseInItsStandardAir) {
  ScratchDir dir;
  ASSERT_FLUTTER_OUTPUT(dir);
  std::string base = base_input();
  const std::string method_1 = "         1  flutter_method      1: p-k and the matched point";
  base.replace(base.find(method_1), method_1.size(), "         2  flutter_method      2: matched in Mach");
  const std::string no_sound_speed = "       0.0  sound_speed [m/s]";
  base.replace(base.find(no_sound_speed), no_sound_speed.size(), "     340.0  sound_speed [m/s]");
  write_text(dir.path() / "base.inp", base);
  write_text(dir.path() / "s.toml",
             "base = \"base.inp\"\n[[parameter]]\nfield = \"altitude\"\nvalues = [0, 6000, 11000]\n");
  const fs::path study = plan_study(dir.path() / "s.toml");
  EXPECT_EQ(run_all(study).ok, 3);
  std::ostringstream log;
  EXPECT_EQ(collect_study(study, log).complete.size(), 3U) << log.str();
  const auto table = nlohmann::json::parse(read_text(study / "study.json"));
  ASSERT_EQ(table.size(), 3U);
  int converged = 0;
  for (const nlohmann::json& row : table) {
    const aero::AirState air = aero::standard_atmosphere(row["altitude"].get<double>());
    EXPECT_NEAR(row["rho"].get<double>() / air.density, 1.0, kFitTolerance) << row;
    EXPECT_NEAR(row["sound_speed"].get<double>() / air.sound_speed, 1.0, kFitTolerance) << row;
    if (row["matched_converged"] != true) continue;
    ++converged;
    const double u = row["matched_u"].get<double>();
    // The matching tolerance of the base file (1e-8), on Ma and on k.
    EXPECT_NEAR(row["matched_Ma"].get<double>() * row["sound_speed"].get<double>() / u, 1.0, 1e-7) << row;
    EXPECT_DOUBLE_EQ(row["matched_eas"].get<double>(), u * std::sqrt(row["rho"].get<double>() / 1.225)) << row;
  }
  EXPECT_EQ(converged, 3) << table.dump(1);
}

TEST(EndToEnd, AResumedRunRecomputesNoCompleteCase) {
  ScratchDir dir;
  ASSERT_FLUTTER_OUTPUT(dir);
  const fs::path study = plan(dir, std::string(kThreeByTwo));
  EXPECT_EQ(run_all(study).ok, 6);
  const auto written = fs::last_write_time(study / "case_0001/zelvan_flutter.json");
  const RunSummary again = run_all(study);
  EXPECT_EQ(again.skipped, 6);
  EXPECT_EQ(again.ok, 0);
  EXPECT_EQ(fs::last_write_time(study / "case_0001/zelvan_flutter.json"), written);
  // A case whose results went missing is the only one run again.
  fs::remove(study / "case_0004/zelvan_flutter.json");
  const RunSummary third = run_all(study);
  EXPECT_EQ(third.skipped, 5);
  EXPECT_EQ(third.ok, 1);
  std::ostringstream log;
  EXPECT_EQ(collect_study(study, log).complete.size(), 6U) << log.str();
}

TEST(EndToEnd, AFailingCaseIsReportedWithItsStatusAndTheOthersComplete) {
  ScratchDir dir;
  ASSERT_FLUTTER_OUTPUT(dir);
  // npoints = 20000 is beyond the program's limit of 10001 time points.
  const fs::path study = plan(dir, R"([[parameter]]
field = "x_p"
values = [0.35, 0.40]
[[parameter]]
field = "npoints"
values = [1024, 20000]
)");
  const RunSummary summary = run_all(study);
  EXPECT_EQ(summary.ok, 2);
  EXPECT_EQ(summary.failed, 2);
  const auto record = read_case_record(study / "case_0002");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->status(), 1);
  EXPECT_EQ(record->last_console_line, "*** ZELVAN terminated due to npoints > istore");
  EXPECT_EQ(record->stop_message, "!!! Too many nodes chosen:   20000");
  std::ostringstream log;
  const CollectSummary collected = collect_study(study, log);
  EXPECT_NE(log.str().find("case 2 (case_0002) failed with status 1: !!! Too many nodes chosen:   20000\n"),
            std::string::npos)
      << log.str();
  EXPECT_EQ(collected.complete, (std::vector<int>{1, 3}));
  EXPECT_EQ(collected.failed, (std::vector<int>{2, 4}));
  const std::string csv = read_text(study / "study.csv");
  EXPECT_NE(csv.find("\n2,0.35,20000,1,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\n4,0.4,20000,1,"), std::string::npos) << csv;
}

// An error of the numerical library in the time history (a tolerance it
// refuses) stops the run after the flutter results and the files report:
// the case is summarised by the stop's first line, the note that says what
// the program was computing, not by the report's last file name.
TEST(EndToEnd, AFailedCaseIsSummarisedByItsStopMessageNotItsLastConsoleLine) {
  ScratchDir dir;
  ASSERT_FLUTTER_OUTPUT(dir);
  const fs::path study = plan(dir, "[[parameter]]\nfield = \"tolerance\"\nvalues = [1e-30]\n");
  EXPECT_EQ(run_all(study).failed, 1);
  const auto record = read_case_record(study / "case_0001");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->status(), 3);
  const std::string note = "!!! While integrating the equations of motion from t = 0.00000E+00 s to t = 3.90816E-03 s";
  EXPECT_EQ(record->stop_message, note);
  EXPECT_NE(record->last_console_line, record->stop_message);
  std::ostringstream log;
  EXPECT_EQ(collect_study(study, log).failed, (std::vector<int>{1}));
  EXPECT_NE(log.str().find("failed with status 3: " + note + "\n"), std::string::npos) << log.str();
}

}  // namespace
}  // namespace zelvan::study
