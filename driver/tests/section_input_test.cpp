// The typical-section group after the fourth marker: which value each
// record lands in, the defaults of blank records, where the group is not
// read, and the values that stop the run at start-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

// The records up to the flutter-solution group ('i' first marker): the
// fourth marker is line 36, the section records lines 37-46.
std::vector<std::string> through_flutter_group() {
  return mandatory_records() + "i" + aero_record() + "." + sweep_records() + "." +
         std::vector<std::string>{right("0"), "", "", ""};
}

// The ten section records, b to zeta_theta.
std::vector<std::string> section_records(std::vector<std::string> values) {
  const char* const names[] = {"b", "a", "x_theta", "r2", "mu", "sigma", "f_theta", "span", "zeta_h", "zeta_theta"};
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = right(values[i]) + "  " + names[i];
  return values;
}

const std::vector<std::string> kRequiredOnly{"0.5", "", "", "0.25", "20.0", "0", "8.0", "", "", ""};

TEST(SectionGroup, ReadsEachRecordIntoItsValueAndBlankOptionalOnesAsTheirDefaults) {
  const CaseParameters full =
      read_text(join(through_flutter_group() + "." +
                     section_records({"0.5", "-0.4", "0.2", "0.3", "20.0", "0.6", "8.0", "2.5", "0.01", "0.02"})));
  ASSERT_TRUE(full.section);
  const SectionInput& s = *full.section;
  EXPECT_EQ((std::vector<double>{s.b, s.a, s.x_theta, s.r2, s.mu, s.sigma, s.f_theta, s.span, s.zeta_h, s.zeta_theta}),
            (std::vector<double>{0.5, -0.4, 0.2, 0.3, 20.0, 0.6, 8.0, 2.5, 0.01, 0.02}));

  const CaseParameters defaults = read_text(join(through_flutter_group() + "." + section_records(kRequiredOnly)));
  ASSERT_TRUE(defaults.section);
  const SectionInput& d = *defaults.section;
  EXPECT_EQ((std::vector<double>{d.b, d.a, d.x_theta, d.r2, d.mu, d.sigma, d.f_theta, d.span, d.zeta_h, d.zeta_theta}),
            (std::vector<double>{0.5, 0.0, 0.0, 0.25, 20.0, 0.0, 8.0, 1.0, 0.0, 0.0}));
}

struct AbsentCase {
  const char* label;
  std::vector<std::string> records;
};

void PrintTo(const AbsentCase& c, std::ostream* os) { *os << c.label; }

class SectionAbsent : public ::testing::TestWithParam<AbsentCase> {};

// Read into a record that held a section before, as the study tool reads
// one file after another.
TEST_P(SectionAbsent, LeavesTheCaseWithoutASectionAndReadsTheRestAsBefore) {
  ScratchDir dir;
  write_file(dir / "with.inp", join(through_flutter_group() + "." + section_records(kRequiredOnly)));
  write_file(dir / "case.inp", join(GetParam().records));
  write_file(dir / "plain.inp", join(through_flutter_group()));
  CaseParameters cp;
  read_input_file(cp, (dir / "with.inp").string());
  ASSERT_TRUE(cp.section);
  read_input_file(cp, (dir / "case.inp").string());
  EXPECT_FALSE(cp.section);
  CaseParameters plain;
  read_input_file(plain, (dir / "plain.inp").string());
  EXPECT_EQ(cp.rho, plain.rho);
}

const std::vector<std::string> kSection = section_records(kRequiredOnly);

INSTANTIATE_TEST_SUITE_P(
    FourthMarker, SectionAbsent,
    ::testing::Values(AbsentCase{"EndOfFileAfterTheFlutterGroup", through_flutter_group()},
                      AbsentCase{"BlankMarkerLine", through_flutter_group() + ""},
                      AbsentCase{"OtherCharacter", through_flutter_group() + "x" + kSection},
                      AbsentCase{"MarkerRightOfColumn1", through_flutter_group() + " ." + kSection},
                      AbsentCase{"AfterAMissingFlutterGroup", mandatory_records() + "i" + aero_record() + "." +
                                                                  sweep_records() + "-" + "." + kSection}),
    ByLabel{});

struct BadSectionCase {
  const char* label;
  std::vector<std::string> values;  // the records, b to zeta_theta
  std::string message;              // after "file "case.inp", line "
};

void PrintTo(const BadSectionCase& c, std::ostream* os) { *os << c.label; }

class BadSectionValue : public ::testing::TestWithParam<BadSectionCase> {};

TEST_P(BadSectionValue, StopsAtStartUpNamingTheRecordAndWritesNoFile) {
  ScratchDir dir;
  WorkingDirectory here(dir.path());
  write_file("case.inp", join(through_flutter_group() + "." + section_records(GetParam().values)));
  const RunResult r = run_program({"lnx", "case.inp"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.console, textio::input_error_text("file \"case.inp\", line " + GetParam().message));
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"case.inp"});
}

// kRequiredOnly with record `record` (1-based) holding `value`.
std::vector<std::string> with_value(std::size_t record, std::string value) {
  std::vector<std::string> values = kRequiredOnly;
  values[record - 1] = std::move(value);
  return values;
}

const std::string kRequired = "the record is required; a blank field gives no value.";
const std::string kPositive = "the value must be positive.";
const std::string kNegative = "the value must not be negative.";

INSTANTIATE_TEST_SUITE_P(
    SectionRecords, BadSectionValue,
    ::testing::Values(
        BadSectionCase{"BlankHalfChord", with_value(1, ""), "37, columns 1-10 (section record 1 (b)): " + kRequired},
        BadSectionCase{"ZeroHalfChord", with_value(1, "0.0"), "37, columns 1-10 (section record 1 (b)): " + kPositive},
        BadSectionCase{"AxisOffTheChord", with_value(2, "1.5"),
                       "38, columns 1-10 (section record 2 (a)): a must lie from -1 to 1 (the pitch axis on the "
                       "chord, in half chords aft of mid-chord)."},
        BadSectionCase{"GyrationRadiusNotAboveTheMassOffset", with_value(3, "0.5"),
                       "40, columns 1-10 (section record 4 (r2)): r2 must be greater than x_theta squared (a "
                       "positive radius of gyration about the centre of mass)."},
        BadSectionCase{"BlankGyrationRadius", with_value(4, ""),
                       "40, columns 1-10 (section record 4 (r2)): " + kRequired},
        BadSectionCase{"NegativeMassRatio", with_value(5, "-20.0"),
                       "41, columns 1-10 (section record 5 (mu)): " + kPositive},
        BadSectionCase{"BlankFrequencyRatio", with_value(6, ""),
                       "42, columns 1-10 (section record 6 (sigma)): " + kRequired},
        BadSectionCase{"NegativeFrequencyRatio", with_value(6, "-0.5"),
                       "42, columns 1-10 (section record 6 (sigma)): " + kNegative},
        BadSectionCase{"ZeroPitchFrequency", with_value(7, "0"),
                       "43, columns 1-10 (section record 7 (f_theta)): " + kPositive},
        BadSectionCase{"BlankPitchFrequency", with_value(7, ""),
                       "43, columns 1-10 (section record 7 (f_theta)): " + kRequired},
        BadSectionCase{"ZeroSpanWritten", with_value(8, "0."),
                       "44, columns 1-10 (section record 8 (span)): " + kPositive},
        BadSectionCase{"NegativePlungeDamping", with_value(9, "-0.01"),
                       "45, columns 1-10 (section record 9 (zeta_h)): " + kNegative},
        BadSectionCase{"NegativePitchDamping", with_value(10, "-0.01"),
                       "46, columns 1-10 (section record 10 (zeta_theta)): " + kNegative}),
    ByLabel{});

TEST(SectionGroup, EndingBeforeItsLastRecordStopsNamingTheRecordStillToBeRead) {
  ScratchDir dir;
  WorkingDirectory here(dir.path());
  std::vector<std::string> records = through_flutter_group() + "." + section_records(kRequiredOnly);
  records.resize(records.size() - 7);  // b, a, x_theta only
  write_file("case.inp", join(records));
  const RunResult r = run_program({"lnx", "case.inp"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.console, textio::input_error_text(
                           "the file \"case.inp\" ends after line 39, but section record 4 (r2) is still to be read."));
}

}  // namespace
}  // namespace zelvan::driver
