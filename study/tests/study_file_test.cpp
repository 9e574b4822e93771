// The study file: its values, ranges and combinations, and every error it
// can hold, each naming its line and creating nothing.

#include "study/study_file.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "aero/atmosphere.hpp"
#include "driver/input_file.hpp"
#include "study/messages.hpp"
#include "study/plan.hpp"
#include "study/tests/study_test_support.hpp"

namespace zelvan::study {
namespace {

namespace fs = std::filesystem;

using test_support::ScratchDir;
using test_support::write_text;

// A study folder with the example as base.zelvan and `toml` as s.toml.
fs::path study_with(const ScratchDir& dir, const std::string& toml) {
  write_text(dir.path() / "base.inp", test_support::example_input());
  write_text(dir.path() / "s.toml", toml);
  return dir.path() / "s.toml";
}

double as_number(const FieldValue& v) { return std::get<double>(v); }

TEST(StudyFile, ReadsValuesRangesAndTheOptions) {
  ScratchDir dir;
  const auto path = study_with(dir, R"(base = "base.inp"
option = "lnx"
[[parameter]]
field = "x_p"
values = [0.35, 0.4, 1]
[[parameter]]
field = "rho"
range = { start = 1.0, stop = 0.5, count = 3 }
[[parameter]]
field = "title"
values = ["first", "second"]
)");
  const StudyDefinition study = read_study_file(path);
  EXPECT_EQ(study.option, "LNX");
  EXPECT_EQ(study.mode, Mode::grid);
  EXPECT_EQ(study.base_file, dir.path() / "base.inp");
  ASSERT_EQ(study.parameters.size(), 3U);
  EXPECT_EQ(study.parameters[0].line, 3);
  EXPECT_EQ(as_number(study.parameters[0].values[2]), 1.0);
  EXPECT_EQ(as_number(study.parameters[1].values[1]), 0.75);
  EXPECT_EQ(std::get<std::string>(study.parameters[2].values[1]), "second" + std::string(34, ' '));
  EXPECT_EQ(expand_cases(study).size(), 18U);
}

TEST(Ranges, HitBothEndsExactlyAndSpaceEvenlyOrGeometrically) {
  const auto linear = range_values(0.2, 0.8, 7, false);
  ASSERT_EQ(linear.size(), 7U);
  EXPECT_EQ(linear.front(), 0.2);
  EXPECT_EQ(linear.back(), 0.8);
  // Rounding of start + (stop - start) * i / 6 only: a few ulps.
  for (int i = 0; i < 7; ++i) EXPECT_NEAR(linear[static_cast<std::size_t>(i)], 0.2 + 0.1 * i, 4e-16);
  const auto log = range_values(1.0, 1000.0, 4, true);
  EXPECT_EQ(log.front(), 1.0);
  EXPECT_EQ(log.back(), 1000.0);
  // exp(log(x)) loses a few ulps of the logarithm's magnitude.
  EXPECT_NEAR(log[1], 10.0, 1e-13);
  EXPECT_NEAR(log[2], 100.0, 1e-12);
  EXPECT_EQ(range_values(0.5, 0.5, 1, false), std::vector<double>{0.5});
}

TEST(Combinations, GridPutsTheFirstParameterOutermostAndZipPairsTheLists) {
  StudyDefinition study;
  study.parameters.resize(2);
  study.parameters[0].values.resize(3);
  study.parameters[1].values.resize(2);
  const std::vector<std::vector<std::size_t>> grid{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}};
  EXPECT_EQ(expand_cases(study), grid);
  study.mode = Mode::zip;
  study.parameters[1].values.resize(3);
  const std::vector<std::vector<std::size_t>> zip{{0, 0}, {1, 1}, {2, 2}};
  EXPECT_EQ(expand_cases(study), zip);
}

// Each bad study file stops plan with a message naming the file and the
// line, and leaves no folder (nor a temporary one) behind.
TEST(BadStudyFiles, StopPlanWithTheLineAndCreateNothing) {
  struct Bad {
    std::string_view toml;
    int line;
    std::string_view message;
  };
  const std::string head = "base = \"base.inp\"\n";  // line 1
  const Bad cases[] = {
      {"colour = \"red\"\n", 2, "unknown key \"colour\""},
      {"[[parameter]]\nfield = \"x_pp\"\nvalues = [0.3]\n", 3, "unknown field \"x_pp\""},
      {"[[parameter]]\nfield = \"npoints\"\nvalues = [1024, 2.5]\n", 4, "is an integer (I10), 2.5 is not"},
      {"[[parameter]]\nfield = \"K_1\"\nvalues = [1e30, 1.23456789e-30]\n", 4, "does not fit the 10 columns"},
      {"[[parameter]]\nfield = \"x_p\"\nvalues = []\n", 4, "\"values\" is empty"},
      {"[[parameter]]\nfield = \"x_p\"\nvalues = [\"a\"]\n", 4, "takes numbers, not a text"},
      {"[[parameter]]\nfield = \"x_p\"\nrange = { start = 0.2, stop = 0.4, count = 0 }\n", 4,
       "range.count must be an integer of at least 1, not 0"},
      {"[[parameter]]\nfield = \"x_p\"\nrange = { start = 0.2, stop = 0.4, count = 1 }\n", 4,
       "range.count = 1 needs start = stop"},
      {"[[parameter]]\nfield = \"rho\"\nrange = { start = -1.0, stop = 2.0, count = 3, spacing = \"log\" }\n", 4,
       "needs start and stop above zero"},
      {"[[parameter]]\nfield = \"rho\"\nrange = { start = 1.0, stop = 2.0, count = 3, spacing = \"cubic\" }\n", 4,
       "range.spacing \"cubic\""},
      {"[[parameter]]\nfield = \"rho\"\nrange = { start = 1.0, count = 3 }\n", 4, "\"range.stop\" is missing"},
      {"[[parameter]]\nfield = \"nstep\"\nrange = { start = 1, stop = 2, count = 3 }\n", 4,
       "is an integer (I10), 1.5 is not"},
      {"mode = \"zip\"\n[[parameter]]\nfield = \"x_p\"\nvalues = [0.3, 0.4]\n[[parameter]]\nfield = \"rho\"\n"
       "values = [1.0]\n",
       6, "\"x_p\" has 2 values and \"rho\" has 1"},
      {"mode = \"both\"\n", 2, "mode \"both\""},
      {"option = \"VMS\"\n", 2, "option \"VMS\""},
      {"[[parameter]]\nfield = \"x_p\"\nvalues = [0.3]\n[[parameter]]\nfield = \"x_p\"\nvalues = [0.4]\n", 6,
       "already a parameter on line 2"},
      {"[[parameter]]\nfield = \"x_p\"\nvalues = [0.3]\nrange = { start = 1.0, stop = 2.0, count = 2 }\n", 2,
       "either \"values\" or \"range\""},
      {"[[parameter]]\nfield = \"x_p\"\n", 2, "needs \"values\" or \"range\""},
      {"[[parameter]]\nfield = \"x_p\"\nvalues = [0.3,\n", 4, "not a valid TOML file"},
      {"[[parameter]]\nfield = \"QR11\"\nvalues = [0.3]\n", 2, "has no coefficient records"},
      {"[[parameter]]\nfield = \"altitude\"\nvalues = [0.0]\n[[parameter]]\nfield = \"rho\"\nvalues = [1.0]\n", 6,
       "\"rho\" sets the field \"rho\", which the parameter \"altitude\" on line 2 sets already"},
      {"[[parameter]]\nfield = \"sound_speed\"\nvalues = [340.0]\n[[parameter]]\nfield = \"altitude\"\n"
       "values = [0.0]\n",
       6, "\"altitude\" sets the field \"sound_speed\", which the parameter \"sound_speed\" on line 2"},
      {"[[parameter]]\nfield = \"altitude\"\nvalues = [0.0, 20001.0]\n", 4,
       "the altitude 20001 m is outside the standard atmosphere's 0 to 20000 m"},
      {"[[parameter]]\nfield = \"altitude\"\nrange = { start = -100.0, stop = 1000.0, count = 2 }\n", 4,
       "the altitude -100 m is outside"},
      {"[[parameter]]\nfield = \"altitude\"\nvalues = [\"high\"]\n", 4, "\"altitude\" takes numbers, not a text"},
      {"[envelope]\naltitude = [0.0]\nspeed = [100.0]\n[[parameter]]\nfield = \"x_p\"\nvalues = [0.3]\n", 2,
       "an [envelope] needs the parameter \"altitude\""},
      {"[[parameter]]\nfield = \"altitude\"\nvalues = [0.0]\n[envelope]\naltitude = [0.0, 5000.0]\nspeed = [100.0]\n",
       5, "envelope.altitude has 2 values and envelope.speed has 1"},
      {"[[parameter]]\nfield = \"altitude\"\nvalues = [0.0]\n[envelope]\naltitude = [5000.0, 0.0]\nspeed = [1.0, "
       "2.0]\n",
       6, "envelope.altitude must increase"},
      {"[[parameter]]\nfield = \"altitude\"\nvalues = [0.0]\n[envelope]\naltitude = [0.0]\nspeed = [1.0]\nkind = "
       "\"calibrated\"\n",
       8, "envelope.kind \"calibrated\""},
      {"[[parameter]]\nfield = \"mu\"\nvalues = [20.0]\n", 2,
       "so the study must also set \"b\", \"r2\", \"sigma\" and \"f_theta\""},
      {"[[parameter]]\nfield = \"cubic_theta\"\nvalues = [3.0]\n", 2,
       "\"cubic_theta\" needs the nonlinear-spring group, which the base file lacks; it is inserted with its "
       "required records blank, so the study must also set \"b\", \"r2\", \"mu\", \"sigma\", \"f_theta\", "
       "\"lco_V_start\" and \"lco_V_end\""},
  };
  for (const Bad& c : cases) {
    ScratchDir dir;
    const auto path = study_with(dir, head + std::string(c.toml));
    try {
      (void)plan_study(path);
      ADD_FAILURE() << "planned:\n" << c.toml;
    } catch (const msg::StudyError& e) {
      const std::string expected = path.string() + ", line " + std::to_string(c.line) + ": ";
      EXPECT_EQ(std::string(e.what()).rfind(expected, 0), 0U) << e.what() << "\nexpected: " << expected;
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    // Only the two files of the test are there.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2) << c.toml;
  }
}

TEST(BadStudyFiles, AMissingBaseFileOrAnExistingFolderIsRefused) {
  ScratchDir dir;
  write_text(dir.path() / "s.toml", "base = \"nowhere.inp\"\n[[parameter]]\nfield = \"x_p\"\nvalues = [0.3]\n");
  EXPECT_THROW((void)plan_study(dir.path() / "s.toml"), msg::StudyError);
  const auto path = study_with(dir, "base = \"base.inp\"\n[[parameter]]\nfield = \"x_p\"\nvalues = [0.3]\n");
  fs::create_directory(dir.path() / "s");
  try {
    (void)plan_study(path);
    ADD_FAILURE() << "planned into an existing folder";
  } catch (const msg::StudyError& e) {
    EXPECT_NE(std::string(e.what()).find("already exists"), std::string::npos) << e.what();
  }
}

TEST(Plan, WritesOneReadableInputPerCaseTheTemplatesAndTheCaseTable) {
  ScratchDir dir;
  const auto path = study_with(dir, R"(base = "base.inp"
[[parameter]]
field = "x_p"
values = [0.35, 0.45]
[[parameter]]
field = "Ma"
range = { start = 0.02, stop = 0.08, count = 3 }
)");
  write_text(dir.path() / "zelvan.lay0", "layout template\n");
  const fs::path planned = plan_study(path, dir.path() / "out");
  EXPECT_EQ(test_support::read_text(planned / "cases.tsv"),
            "case\tfolder\tx_p\tMa\n"
            "1\tcase_0001\t0.35\t0.02\n2\tcase_0002\t0.35\t0.05\n3\tcase_0003\t0.35\t0.08\n"
            "4\tcase_0004\t0.45\t0.02\n5\tcase_0005\t0.45\t0.05\n6\tcase_0006\t0.45\t0.08\n");
  EXPECT_EQ(test_support::read_text(planned / "case_0006/zelvan.lay0"), "layout template\n");
  EXPECT_FALSE(fs::exists(planned / "case_0006/zelvan.sty0"));
  const std::string input = test_support::read_text(planned / "case_0005/zelvan.inp");
  EXPECT_NE(input.find("     100.0         0.3        0.45        0.05         1.0  f_s"), std::string::npos);
  const PlannedStudy study = load_plan(planned);
  EXPECT_EQ(study.option, "LNX");
  ASSERT_EQ(study.cases.size(), 6U);
  EXPECT_EQ(study.cases[4].values, (std::vector<FieldValue>{0.45, 0.05}));
}

// The altitude sets rho and sound_speed of each case from the standard
// atmosphere, to the digits their fields hold (kFitTolerance), and notes
// the altitude beside both.
TEST(Plan, SetsTheAirOfEachCaseFromTheStandardAtmosphereAtItsAltitude) {
  ScratchDir dir;
  const auto path = study_with(dir, R"(base = "base.inp"
[[parameter]]
field = "altitude"
values = [0, 5000, 12000]
)");
  const fs::path planned = plan_study(path, dir.path() / "out");
  EXPECT_EQ(test_support::read_text(planned / "cases.tsv"),
            "case\tfolder\taltitude\n1\tcase_0001\t0\n2\tcase_0002\t5000\n3\tcase_0003\t12000\n");
  const PlannedStudy study = load_plan(planned);
  ASSERT_EQ(study.cases.size(), 3U);
  EXPECT_EQ(study.cases[2].values, (std::vector<FieldValue>{12000.0}));
  for (const PlannedCase& c : study.cases) {
    const double h = std::get<double>(c.values.front());
    const aero::AirState air = aero::standard_atmosphere(h);
    const fs::path input = planned / c.folder / "zelvan.inp";
    driver::CaseParameters cp;
    driver::read_input_file(cp, input.string());
    EXPECT_NEAR(cp.rho / air.density, 1.0, kFitTolerance) << h;
    EXPECT_NEAR(cp.sound_speed / air.sound_speed, 1.0, kFitTolerance) << h;
    const std::string note = "standard atmosphere at " + value_text(FieldValue{h}) + " m (geopotential)";
    const std::string text = test_support::read_text(input);
    EXPECT_NE(text.find("  rho: " + note + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  sound_speed: " + note + "\n"), std::string::npos) << text;
  }
}

// Every study under examples/studies plans: its study file reads, and each
// case's input reads back with the values the study gave it.
TEST(Plan, PlansEveryBundledStudy) {
  std::size_t studies = 0;
  for (const auto& entry : fs::directory_iterator(test_support::source_dir() / "examples" / "studies")) {
    ScratchDir dir;
    const fs::path planned = plan_study(entry.path() / "study.toml", dir.path() / "out");
    EXPECT_FALSE(load_plan(planned).cases.empty()) << entry.path();
    ++studies;
  }
  EXPECT_GE(studies, 3U);
}

}  // namespace
}  // namespace zelvan::study
