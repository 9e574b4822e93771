// Collecting a study's results from fixtures shaped like the program's
// zelvan_flutter.json: the table's columns, missing values, the flutter
// speed each case's figure point takes, the cases failed or missing, and
// the figure script.

#include "study/collect.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "study/tests/study_test_support.hpp"

namespace zelvan::study {
namespace {

namespace fs = std::filesystem;

using test_support::read_text;
using test_support::ScratchDir;
using test_support::write_text;

constexpr std::string_view kRunOk = R"({"state": "ok", "exit_status": 0, "signal": null,
  "last_console_line": "done", "seconds": 0.5})";

// A complete result: a critical onset, divergence, a p-k critical point and
// a converged matched point.
constexpr std::string_view kFullResult = R"({
  "title": "fixture", "route": "thin plate", "w_star": 0.3, "Ma": 0.05, "x_ref": 0.5, "rho": 1.2,
  "structural_frequencies": [3.1, 7.9],
  "sweep": {"q": [0, 5], "u": [0, 2.9], "modes": []},
  "crossings": [],
  "critical": {"kind": "flutter onset", "mode": "f_0_2", "q": 105.25, "u": 13.24, "f": 4.78, "d": 0,
               "k": 0.567, "ratio_magnitude": 1.1, "ratio_phase_deg": 20.0},
  "divergence": {"q": 250.5, "u": 20.43},
  "pk": {"q": [], "u": [], "modes": [], "crossings": [],
         "critical": {"kind": "flutter onset", "mode": "f_0_1", "q": 101.25, "u": 12.99, "f": 4.69, "d": 0,
                      "k": 0.5684, "ratio_magnitude": 1.0, "ratio_phase_deg": -55.0}},
  "matched": {"converged": true, "mach_matched": false, "iterations": [], "q": 101.5, "u": 13.0, "f": 4.7,
              "k": 0.5683, "Ma": 0.05}
})";

// No flutter, no divergence, no matched point.
constexpr std::string_view kEmptyResult = R"({"title": "fixture", "critical": null, "divergence": null,
  "pk": null, "matched": null})";

// A matched point that did not converge: the figure takes the p-k speed.
constexpr std::string_view kUnconverged = R"({"critical": {"q": 90.0, "u": 12.25, "f": 4.5, "k": 0.5},
  "divergence": null, "pk": {"critical": {"q": 92.5, "u": 12.4, "f": 4.55, "k": 0.51}},
  "matched": {"converged": false, "q": 80.0, "u": 11.5, "f": 4.4, "k": 0.49, "Ma": 0.05}})";

// The sweep alone (flutter_method 0): the figure takes the critical speed.
constexpr std::string_view kSweepOnly = R"({"critical": {"q": 80.0, "u": 11.75, "f": 4.4, "k": 0.52},
  "divergence": null, "pk": null, "matched": null})";

bool summary_has_no_part_files(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename().string().find(".part-") != std::string::npos) return false;
  }
  return true;
}

void plant_study(const fs::path& dir) {
  write_text(dir / "plan.json", R"({"option": "LNX", "mode": "grid", "fields": ["x_p", "title"], "cases": 6})");
  write_text(dir / "cases.tsv",
             "case\tfolder\tx_p\ttitle\n1\tcase_0001\t0.35\tA\n2\tcase_0002\t0.45\tA\n3\tcase_0003\t0.35\tB, C\n"
             "4\tcase_0004\t0.45\tB, C\n5\tcase_0005\t0.55\tB, C\n6\tcase_0006\t0.65\tB, C\n");
  for (int i = 1; i <= 6; ++i) fs::create_directory(dir / ("case_000" + std::to_string(i)));
  write_text(dir / "case_0001/run.json", kRunOk);
  write_text(dir / "case_0001/zelvan_flutter.json", kFullResult);
  write_text(dir / "case_0002/run.json", kRunOk);
  write_text(dir / "case_0002/zelvan_flutter.json", kEmptyResult);
  // The last console line is the files report's; the summary is the stop message.
  write_text(dir / "case_0003/run.json", R"({"state": "failed", "exit_status": 2, "signal": null,
    "last_console_line": "zelvan.lst", "stop_message": "!!! Input error: file \"zelvan.inp\", line 2", "seconds": 0.01})");
  // case 4 never ran
  write_text(dir / "case_0005/run.json", kRunOk);
  write_text(dir / "case_0005/zelvan_flutter.json", kUnconverged);
  write_text(dir / "case_0006/run.json", kRunOk);
  write_text(dir / "case_0006/zelvan_flutter.json", kSweepOnly);
}

// The p-k columns and `plotted` follow the earlier columns, which keep
// their order and format.
TEST(Collect, WritesTheTableWithEmptyCellsAndNullsWhereNoValueExists) {
  ScratchDir dir;
  plant_study(dir.path());
  std::ostringstream log;
  const CollectSummary summary = collect_study(dir.path(), log);
  EXPECT_EQ(summary.complete, (std::vector<int>{1, 2, 5, 6}));
  EXPECT_EQ(summary.failed, (std::vector<int>{3}));
  EXPECT_EQ(summary.missing, (std::vector<int>{4}));
  EXPECT_NE(log.str().find("case 3 (case_0003) failed with status 2: !!! Input error: file \"zelvan.inp\", line 2\n"),
            std::string::npos)
      << log.str();
  EXPECT_NE(log.str().find("case 4 (case_0004) has no results (not run)"), std::string::npos) << log.str();

  EXPECT_EQ(read_text(dir.path() / "study.csv"),
            "case,x_p,title,status,critical_q,critical_u,critical_f,critical_k,divergence_q,matched_converged,"
            "matched_q,matched_u,matched_f,matched_k,matched_Ma,pk_q,pk_u,pk_f,pk_k,plotted\n"
            "1,0.35,A,0,105.25,13.24,4.78,0.567,250.5,true,101.5,13,4.7,0.5683,0.05,101.25,12.99,4.69,0.5684,matched\n"
            "2,0.45,A,0,,,,,,,,,,,,,,,,\n"
            "3,0.35,\"B, C\",2,,,,,,,,,,,,,,,,\n"
            "4,0.45,\"B, C\",,,,,,,,,,,,,,,,,\n"
            "5,0.55,\"B, C\",0,90,12.25,4.5,0.5,,false,80,11.5,4.4,0.49,0.05,92.5,12.4,4.55,0.51,pk\n"
            "6,0.65,\"B, C\",0,80,11.75,4.4,0.52,,,,,,,,,,,,sweep\n");

  const auto json = nlohmann::ordered_json::parse(read_text(dir.path() / "study.json"));
  ASSERT_EQ(json.size(), 6U);
  std::vector<std::string> keys;
  for (const auto& item : json[0].items()) keys.push_back(item.key());
  PlannedStudy planned;
  planned.fields = {"x_p", "title"};
  EXPECT_EQ(keys, table_columns(planned));
  EXPECT_EQ(json[0]["matched_k"], 0.5683);
  EXPECT_EQ(json[2]["title"], "B, C");
  EXPECT_TRUE(json[1]["critical_q"].is_null());
  EXPECT_TRUE(json[3]["status"].is_null());
  EXPECT_EQ(json[4]["matched_converged"], false);
  EXPECT_EQ(json[4]["pk_u"], 12.4);
  EXPECT_EQ(json[4]["plotted"], "pk");
  EXPECT_TRUE(json[1]["plotted"].is_null());
}

// Flutter: the converged matched speed, else the p-k one, else the sweep's,
// each kind with its point style and key line; the divergence speed; one
// curve pair per value of the second parameter.
TEST(Collect, FigurePlotsMatchedElsePkElseSweepSpeedsPerValueOfTheSecondParameter) {
  ScratchDir dir;
  plant_study(dir.path());
  std::ostringstream log;
  (void)collect_study(dir.path(), log);
  const std::string script = read_text(dir.path() / "study.gp");
  EXPECT_NE(script.find("$curve1 << EOD\n0.35 13 matched\nEOD\n"), std::string::npos) << script;
  EXPECT_NE(script.find("$curve2 << EOD\n0.35 20.43\nEOD\n"), std::string::npos) << script;
  EXPECT_NE(script.find("$curve3 << EOD\n0.55 12.4 pk\n0.65 11.75 sweep\nEOD\n"), std::string::npos) << script;
  EXPECT_EQ(script.find("$curve4"), std::string::npos) << script;
  for (const char* plot :
       {"$curve1 using 1:2 with lines linecolor 1 dashtype 1 title 'flutter (title = A)'",
        "$curve1 using 1:(strcol(3) eq 'matched' ? $2 : NaN) with points linecolor 1 pointtype 7 notitle",
        "$curve2 using 1:2 with linespoints linecolor 1 dashtype 2 pointtype 6 title 'divergence (title = A)'",
        "$curve3 using 1:(strcol(3) eq 'pk' ? $2 : NaN) with points linecolor 2 pointtype 5 notitle",
        "$curve3 using 1:(strcol(3) eq 'sweep' ? $2 : NaN) with points linecolor 2 pointtype 9 notitle",
        "NaN with points linecolor 'black' pointtype 7 title 'flutter: matched point'",
        "NaN with points linecolor 'black' pointtype 5 title 'flutter: p-k critical point'",
        "NaN with points linecolor 'black' pointtype 9 title 'flutter: sweep crossing (frozen k)'"}) {
    EXPECT_NE(script.find(plot), std::string::npos) << plot << "\n" << script;
  }
  EXPECT_EQ(script.find("$curve3 using 1:(strcol(3) eq 'matched'"), std::string::npos) << script;
  if (test_support::shell("command -v gnuplot >/dev/null") == 0) {
    EXPECT_TRUE(fs::is_regular_file(dir.path() / "study.png")) << log.str();
    EXPECT_TRUE(summary_has_no_part_files(dir.path()));
  }
}

// Over altitude the figure is the flutter boundary: speeds across, the
// altitude up, the matched equivalent airspeed u sqrt(rho/rho_0) from the
// case's own air (the example input's rho 1.2) as a third curve, and the
// envelope with the margin to flutter at each case's altitude.
TEST(Collect, FigureOverAltitudeIsTheFlutterBoundaryWithTheEquivalentAirspeedAndTheEnvelope) {
  ScratchDir dir;
  write_text(dir.path() / "plan.json", R"({"option": "LNX", "mode": "grid", "fields": ["altitude"], "cases": 2,
    "envelope": {"altitude": [0, 8000], "speed": [10, 14], "kind": "true"}})");
  write_text(dir.path() / "cases.tsv", "case\tfolder\taltitude\n1\tcase_0001\t0\n2\tcase_0002\t4000\n");
  for (const char* folder : {"case_0001", "case_0002"}) {
    fs::create_directory(dir.path() / folder);
    write_text(dir.path() / folder / "run.json", kRunOk);
    write_text(dir.path() / folder / "zelvan_flutter.json", kFullResult);
    write_text(dir.path() / folder / "zelvan.inp", test_support::example_input());
  }
  std::ostringstream log;
  (void)collect_study(dir.path(), log);
  const auto table = nlohmann::json::parse(read_text(dir.path() / "study.json"));
  ASSERT_EQ(table.size(), 2U);
  EXPECT_EQ(table[0]["rho"], 1.2);
  EXPECT_DOUBLE_EQ(table[0]["matched_eas"].get<double>(), 13.0 * std::sqrt(1.2 / 1.225));
  // The matched u = 13 m/s against the envelope's 10 m/s at 0 m and 12 m/s
  // (linear) at 4000 m.
  EXPECT_DOUBLE_EQ(table[0]["envelope_margin"].get<double>(), 30.0);
  EXPECT_DOUBLE_EQ(table[1]["envelope_margin"].get<double>(), 100.0 / 12.0);
  const std::string script = read_text(dir.path() / "study.gp");
  for (const char* line :
       {"set ylabel 'altitude [m] (geopotential)'",
        "$curve1 using 2:1 with lines linecolor 1 dashtype 1 title 'flutter'",
        "$curve1 using (strcol(3) eq 'matched' ? $2 : NaN):1 with points",
        "$curve2 using 2:1 with linespoints linecolor 1 dashtype 2 pointtype 6 title 'divergence'",
        "$curve3 using 2:1 with linespoints linecolor 1 dashtype 3 pointtype 4 title 'flutter, equivalent airspeed'"}) {
    EXPECT_NE(script.find(line), std::string::npos) << line << "\n" << script;
  }
}

}  // namespace
}  // namespace zelvan::study
