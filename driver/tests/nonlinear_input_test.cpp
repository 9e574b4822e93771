// The nonlinear-spring group after the fifth marker: which value each
// record lands in, the defaults of blank records, where the group is not
// read, and the values that stop the run at start-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

// Through the section group ('i' first marker): the fifth marker is line
// 47, the nonlinear records lines 48-55.
std::vector<std::string> through_section_group(const std::string& method = "1",
                                               const std::string& aero = aero_record()) {
  return mandatory_records() + "i" + aero + "." + sweep_records() + "." +
         std::vector<std::string>{right(method), "", "", ""} + "." +
         std::vector<std::string>{right("0.5"), "", "", right("0.25"), right("20.0"), right("0"), right("8.0"),
                                  "",           "", ""};
}

// The eight nonlinear records, cubic_h to lco_theta0 (the fifth marker
// after method 1 on the thin-plate route of aero_record()).
std::vector<std::string> nonlinear_records(std::vector<std::string> values) {
  const char* const names[] = {"cubic_h",     "freeplay_h", "cubic_theta", "freeplay_theta",
                               "lco_V_start", "lco_V_end",  "lco_count",   "lco_theta0"};
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = right(values[i]) + "  " + names[i];
  return values;
}

const std::vector<std::string> kRequiredOnly{"", "", "", "", "1.5", "3.0", "", ""};

std::vector<double> values_of(const NonlinearSpringsInput& n) {
  return {n.cubic_h,
          n.freeplay_h,
          n.cubic_theta,
          n.freeplay_theta,
          n.lco_V_start,
          n.lco_V_end,
          static_cast<double>(n.lco_count),
          n.lco_theta0};
}

TEST(NonlinearGroup, ReadsEachRecordIntoItsValueAndBlankOptionalOnesAsTheirDefaults) {
  const CaseParameters full = read_text(
      join(through_section_group() + "." + nonlinear_records({"0.5", "0", "0", "0.002", "1.25", "2.5", "40", "0.05"})));
  ASSERT_TRUE(full.nonlinear);
  EXPECT_EQ(values_of(*full.nonlinear), (std::vector<double>{0.5, 0.0, 0.0, 0.002, 1.25, 2.5, 40.0, 0.05}));
  const CaseParameters defaults = read_text(join(through_section_group() + "." + nonlinear_records(kRequiredOnly)));
  ASSERT_TRUE(defaults.nonlinear);
  EXPECT_EQ(values_of(*defaults.nonlinear), (std::vector<double>{0.0, 0.0, 0.0, 0.0, 1.5, 3.0, 20.0, 0.01}));
}

// No group where the fifth marker is missing or another character, and
// none without the section group before it, where a "." is told of.
TEST(NonlinearGroup, IsNotReadWithoutItsMarkerOrWithoutTheSectionGroup) {
  const std::vector<std::string> group = nonlinear_records(kRequiredOnly);
  for (const auto& records : {through_section_group(), through_section_group() + "x" + group}) {
    EXPECT_FALSE(read_text(join(records)).nonlinear);
  }
  ScratchDir dir;
  write_file(dir / "case.inp", join(mandatory_records() + "i" + aero_record() + "." + sweep_records() + "." +
                                    std::vector<std::string>{right("0"), "", "", ""} + "-" + "." + group));
  CaseParameters cp;
  const textio::ReadWarnings warnings = read_input_file(cp, (dir / "case.inp").string());
  EXPECT_FALSE(cp.section);
  EXPECT_FALSE(cp.nonlinear);
  EXPECT_EQ(warnings, textio::ReadWarnings{"file \"" + (dir / "case.inp").string() +
                                           "\", line 37: \".\" in column 1 would open a nonlinear-spring group, but "
                                           "that group follows only the typical-section group, which is absent, so "
                                           "it is not read (the springs are linear)."});
}

// kRequiredOnly with record `record` (1-based) holding `value`, and more.
std::vector<std::string> with_values(const std::vector<std::pair<std::size_t, std::string>>& changes) {
  std::vector<std::string> values = kRequiredOnly;
  for (const auto& [record, value] : changes) values[record - 1] = value;
  return values;
}

TEST(NonlinearGroup, StopsAtStartUpOnABadValueNamingItsRecord) {
  struct Case {
    std::vector<std::string> values;
    std::string message;  // after "file "case.inp", line "
  };
  const std::string kPositive = "the value must be positive.";
  const std::vector<Case> cases{
      {with_values({{2, "-0.01"}}),
       "49, columns 1-10 (nonlinear record 2 (freeplay_h)): the value must not be negative."},
      {with_values({{1, "1.0"}, {2, "0.01"}}),
       "49, columns 1-10 (nonlinear record 2 (freeplay_h)): a spring has a cubic term or freeplay, not both: cubic_h "
       "is not 0."},
      {with_values({{3, "-2.0"}, {4, "0.01"}}),
       "51, columns 1-10 (nonlinear record 4 (freeplay_theta)): a spring has a cubic term or freeplay, not both: "
       "cubic_theta is not 0."},
      {with_values({{5, ""}}),
       "52, columns 1-10 (nonlinear record 5 (lco_V_start)): the record is required; a blank field gives no value."},
      {with_values({{5, "0"}}), "52, columns 1-10 (nonlinear record 5 (lco_V_start)): " + kPositive},
      {with_values({{6, "1.5"}}),
       "53, columns 1-10 (nonlinear record 6 (lco_V_end)): lco_V_end must be greater than lco_V_start."},
      {with_values({{7, "1"}}), "54, columns 1-10 (nonlinear record 7 (lco_count)): lco_count must be from 2 to 1000."},
      {with_values({{7, "1001"}}),
       "54, columns 1-10 (nonlinear record 7 (lco_count)): lco_count must be from 2 to 1000."},
      {with_values({{8, "-0.01"}}), "55, columns 1-10 (nonlinear record 8 (lco_theta0)): " + kPositive},
  };
  const std::string external = right("800.0") + right("0.0", 12) + right("0.35", 12) + right("0.05", 12);
  const struct {
    std::vector<std::string> head;
    std::string message;
  } routes[] = {
      {through_section_group("0"),
       "52, columns 1-10 (nonlinear record 5 (lco_V_start)): the limit-cycle sweep marches the state-space model of "
       "the p-k analysis: flutter_method must be 1 or 2."},
      {through_section_group("1", external),
       "52, columns 1-10 (nonlinear record 5 (lco_V_start)): the limit-cycle sweep needs computed aerodynamics (thin "
       "plate or Possio): w_star must not be 0."},
  };
  for (const auto& r : routes) {
    ScratchDir dir;
    WorkingDirectory here(dir.path());
    write_file("case.inp", join(r.head + "." + nonlinear_records(kRequiredOnly)));
    const RunResult run = run_program({"lnx", "case.inp"});
    EXPECT_EQ(run.console, textio::input_error_text("file \"case.inp\", line " + r.message));
  }
  for (const Case& c : cases) {
    ScratchDir dir;
    WorkingDirectory here(dir.path());
    write_file("case.inp", join(through_section_group() + "." + nonlinear_records(c.values)));
    const RunResult r = run_program({"lnx", "case.inp"});
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.console, textio::input_error_text("file \"case.inp\", line " + c.message));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"case.inp"});
  }
}

}  // namespace
}  // namespace zelvan::driver
