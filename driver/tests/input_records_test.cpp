// The input file's records: which quantity each field lands in, the
// optional second values of records 10 and 13, the markers that open
// the aerodynamic, coefficient and sweep blocks, and the warnings on input
// that reads, but not as meant.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "driver/input_records.hpp"
#include "driver/messages.hpp"
#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

std::string padded40(const std::string& s) {
  std::string out = s;
  out.resize(40, ' ');
  return out;
}

TEST(InputFile, ReadsEveryMandatoryRecordIntoItsQuantity) {
  const CaseParameters cp = read_text(join(mandatory_records()));
  EXPECT_EQ(cp.t_A, 0.25);
  EXPECT_EQ(cp.title, padded40("Two-DOF test section"));
  EXPECT_EQ(cp.t_E, 8.0);
  EXPECT_EQ(cp.npoints, 2048);
  EXPECT_EQ(cp.y0, (std::array<double, 4>{0.1, 0.2, 0.3, 0.4}));
  EXPECT_EQ(cp.M_1, 5.0);
  EXPECT_EQ(cp.M_2, 0.08);
  EXPECT_EQ(cp.S_m, 0.1);
  EXPECT_EQ(cp.mass_scale, 1.0);
  EXPECT_EQ(cp.D_1, 0.5);
  EXPECT_EQ(cp.D_2, 0.02);
  EXPECT_EQ(cp.K_1, 4000.0);
  EXPECT_EQ(cp.K_m, 0.0);
  EXPECT_EQ(cp.K_2, 180.0);
  EXPECT_EQ(cp.kappa, 7.0);
  EXPECT_EQ(cp.a_0, 10.0);
  EXPECT_EQ(cp.f_0, 4.5);
  EXPECT_EQ(cp.phi, 30.0);
  EXPECT_EQ(cp.tolerance, 1.0e-6);
  EXPECT_EQ(cp.integ_method, 2);
  EXPECT_EQ(cp.listing_unit, 6);
}

TEST(InputFile, TakesTheTitleFromColumns31To70Only) {
  const std::string title = "<-- forty characters of title text --->";
  ASSERT_EQ(title.size(), 39u);
  std::vector<std::string> records = mandatory_records();
  records[0] = place(place(place(right("0.25"), 30, "X"), 31, title + "!"), 71, "Y tail");
  const CaseParameters cp = read_text(join(records));
  EXPECT_EQ(cp.t_A, 0.25);
  EXPECT_EQ(cp.title, title + "!");
}

// Column 70 ends the title; a multi-byte UTF-8 character that it splits is
// cut off whole (blanks instead of its first bytes).
TEST(InputFile, CutsTheTitleBeforeAMultiByteCharacterThatColumn70Splits) {
  struct Case {
    std::string text;   // written from column 31 on
    std::string title;  // the 40 characters read
  };
  const std::string a38(38, 'a'), a39(39, 'a');
  const Case cases[] = {
      {a39 + "\xC3\xA9 tail", a39 + " "},          // 2 bytes at columns 70-71
      {a38 + "\xE2\x82\xAC tail", a38 + "  "},     // 3 bytes at columns 69-71
      {a39 + "\xF0\x9F\x98\x80 tail", a39 + " "},  // 4 bytes at columns 70-73
      {a38 + "\xC3\xA9 tail", a38 + "\xC3\xA9"},   // ends at column 70: kept
      {a38 + "\xC3\xA9", a38 + "\xC3\xA9"},        // the line ends with it
      {"Fl\xC3\xBCgel, Ma 0.5", "Fl\xC3\xBCgel, Ma 0.5" + std::string(25, ' ')},
  };
  for (const Case& c : cases) {
    std::vector<std::string> records = mandatory_records();
    records[0] = place(right("0.25"), 31, c.text);
    EXPECT_EQ(read_text(join(records)).title, c.title) << c.text;
  }
}

TEST(InputFile, ReadsAShortFirstRecordAsABlankTitle) {
  std::vector<std::string> records = mandatory_records();
  records[0] = "0.25";
  const CaseParameters cp = read_text(join(records));
  EXPECT_EQ(cp.t_A, 0.25);
  EXPECT_EQ(cp.title, std::string(40, ' '));
}

// Records 10 and 13: the second value is read from columns 15-24 only when
// column 25 holds '<'.
struct PairCase {
  const char* label;
  std::string record10;
  std::string record13;
  double mass_scale;
  double S_m_as_read;
  double K_1;
  double K_m;
};

void PrintTo(const PairCase& c, std::ostream* os) { *os << c.label; }

class OptionalSecondValue : public ::testing::TestWithParam<PairCase> {};

TEST_P(OptionalSecondValue, IsReadOnlyWithTheMarkInColumn25) {
  const PairCase& c = GetParam();
  std::vector<std::string> records = mandatory_records();
  records[9] = c.record10;
  records[12] = c.record13;
  const CaseParameters cp = read_text(join(records));
  EXPECT_EQ(cp.mass_scale, c.mass_scale);
  EXPECT_DOUBLE_EQ(cp.M_1, 5.0 * c.mass_scale);
  EXPECT_DOUBLE_EQ(cp.M_2, 0.08 * c.mass_scale);
  EXPECT_DOUBLE_EQ(cp.S_m, c.S_m_as_read * c.mass_scale);
  EXPECT_EQ(cp.K_1, c.K_1);
  EXPECT_EQ(cp.K_m, c.K_m);
  EXPECT_EQ(cp.K_2, 180.0);  // the record after it is still record 14
  EXPECT_EQ(cp.D_1, 0.5);    // and after record 10 comes record 11
}

// A record with `first` in columns 1-10, `second` in 15-24 and '<' in
// column `mark` (0: no mark).
std::string pair_record(const std::string& first, const std::string& second, std::size_t mark) {
  std::string line = place(right(first), 15, right(second));
  if (mark > 0) line = place(line, mark, "<");
  return line;
}

const std::string kPlainK1 = right("4000.0");

INSTANTIATE_TEST_SUITE_P(
    Records10And13, OptionalSecondValue,
    ::testing::Values(
        PairCase{"NoMarksKeepTheDefaults", right("0.1"), kPlainK1, 1.0, 0.1, 4000.0, 0.0},
        PairCase{"ScaleTwoMultipliesAllThreeMasses", pair_record("0.1", "2.0", 25), kPlainK1, 2.0, 0.1, 4000.0, 0.0},
        PairCase{"ScaleOneKeepsTheMasses", pair_record("0.1", "1.0", 25), kPlainK1, 1.0, 0.1, 4000.0, 0.0},
        PairCase{"ScaleZeroMeansOne", pair_record("0.1", "0.0", 25), kPlainK1, 1.0, 0.1, 4000.0, 0.0},
        PairCase{"BlankScaleMeansOne", place(right("0.1"), 25, "<"), kPlainK1, 1.0, 0.1, 4000.0, 0.0},
        PairCase{"NegativeScaleMeansOne", pair_record("0.1", "-2.0", 25), kPlainK1, 1.0, 0.1, 4000.0, 0.0},
        PairCase{"ScaleJustBelowTheLimitMeansOne", pair_record("0.1", "0.9E-10", 25), kPlainK1, 1.0, 0.1, 4000.0, 0.0},
        PairCase{"ScaleAtTheLimitIsKept", pair_record("0.1", "1.0E-10", 25), kPlainK1, 1.0e-10, 0.1, 4000.0, 0.0},
        PairCase{"ScaleWithACommentAfterTheMark", pair_record("0.1", "2.0", 25) + "  S_m; scale", kPlainK1, 2.0, 0.1,
                 4000.0, 0.0},
        PairCase{"ScaleMarkInColumn24IsIgnored", pair_record("0.1", "2.0", 24), kPlainK1, 1.0, 0.1, 4000.0, 0.0},
        PairCase{"ScaleMarkInColumn26IsIgnored", pair_record("0.1", "2.0", 26), kPlainK1, 1.0, 0.1, 4000.0, 0.0},
        PairCase{"StiffnessCouplingWithTheMark", right("0.1"), pair_record("4000.0", "250.0", 25), 1.0, 0.1, 4000.0,
                 250.0},
        PairCase{"StiffnessCouplingWithoutTheMarkIsZero", right("0.1"), pair_record("4000.0", "250.0", 0), 1.0, 0.1,
                 4000.0, 0.0},
        PairCase{"StiffnessMarkInColumn24IsIgnored", right("0.1"), pair_record("4000.0", "250.0", 24), 1.0, 0.1, 4000.0,
                 0.0},
        PairCase{"StiffnessMarkInColumn26IsIgnored", right("0.1"), pair_record("4000.0", "250.0", 26), 1.0, 0.1, 4000.0,
                 0.0},
        PairCase{"BothMarks", pair_record("0.1", "2.0", 25), pair_record("4000.0", "-250.0", 25), 2.0, 0.1, 4000.0,
                 -250.0}),
    ByLabel{});

// The blocks after record 21.
struct Aero {
  std::array<double, 5> values{};        // f_s, w_star, x_p, Ma, aero_scale
  std::array<double, 8> coefficients{};  // QR11 QS11 QR12 QS12 QR21 QS21 QR22 QS22
  double x_ref = 1.0, rho = 1.2, q_start = 0.0;
  int nstep = 20, nextra = 5, coupling_tolerance = 5;
};

const std::array<double, 5> kAeroValues{800.0, 0.3, 0.35, 0.05, 1.5};
const std::array<double, 8> kCoefficients{1.1, -1.2, 2.1, -2.2, 3.1, -3.2, 4.1, -4.2};

Aero with_aero(bool coefficients, bool sweep) {
  Aero a;
  a.values = kAeroValues;
  if (coefficients) a.coefficients = kCoefficients;
  if (sweep) {
    a.x_ref = 0.5;
    a.rho = 1.25;
    a.q_start = 100.0;
    a.nstep = 40;
    a.nextra = 7;
    a.coupling_tolerance = 3;
  }
  return a;
}

Aero read_aero(const CaseParameters& cp) {
  Aero a;
  a.values = {cp.f_s, cp.w_star, cp.x_p, cp.Ma, cp.aero_scale};
  a.coefficients = {cp.QR11, cp.QS11, cp.QR12, cp.QS12, cp.QR21, cp.QS21, cp.QR22, cp.QS22};
  a.x_ref = cp.x_ref;
  a.rho = cp.rho;
  a.q_start = cp.q_start;
  a.nstep = cp.nstep;
  a.nextra = cp.nextra;
  a.coupling_tolerance = cp.coupling_tolerance;
  return a;
}

void expect_aero(const Aero& actual, const Aero& expected) {
  EXPECT_EQ(actual.values, expected.values);
  EXPECT_EQ(actual.coefficients, expected.coefficients);
  EXPECT_EQ(actual.x_ref, expected.x_ref);
  EXPECT_EQ(actual.rho, expected.rho);
  EXPECT_EQ(actual.q_start, expected.q_start);
  EXPECT_EQ(actual.nstep, expected.nstep);
  EXPECT_EQ(actual.nextra, expected.nextra);
  EXPECT_EQ(actual.coupling_tolerance, expected.coupling_tolerance);
}

struct MarkerCase {
  const char* label;
  std::vector<std::string> tail;  // the records after record 21
  Aero expected;
};

void PrintTo(const MarkerCase& c, std::ostream* os) { *os << c.label; }

class Markers : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(Markers, OpenTheBlocksTheyAnnounce) {
  const MarkerCase& c = GetParam();
  const CaseParameters cp = read_text(join(mandatory_records() + c.tail));
  expect_aero(read_aero(cp), c.expected);
  EXPECT_EQ(cp.listing_unit, 6);
}

const std::vector<std::string> kNone;
const std::string kDot = ".           marker";

INSTANTIATE_TEST_SUITE_P(
    AfterRecord21, Markers,
    ::testing::Values(
        MarkerCase{"EndOfFileAtRecord22", kNone, Aero{}}, MarkerCase{"BlankRecord22", kNone + "", Aero{}},
        MarkerCase{"OtherCharacterIgnoresTheRest", kNone + "x" + aero_record() + coefficient_records(), Aero{}},
        MarkerCase{"DotInColumnTwoIsNoMarker", kNone + " ." + aero_record(), Aero{}},
        MarkerCase{"DotWithCoefficientsAndSweep",
                   kNone + kDot + aero_record() + coefficient_records() + kDot + sweep_records(),
                   with_aero(true, true)},
        MarkerCase{"DotWithCoefficientsThenEndOfFile", kNone + kDot + aero_record() + coefficient_records(),
                   with_aero(true, false)},
        MarkerCase{"DotWithCoefficientsThenBlankMarker", kNone + kDot + aero_record() + coefficient_records() + "",
                   with_aero(true, false)},
        MarkerCase{"DotWithCoefficientsThenOtherMarker",
                   kNone + kDot + aero_record() + coefficient_records() + "i" + sweep_records(),
                   with_aero(true, false)},
        MarkerCase{"LowerIWithSweep", kNone + "i" + aero_record() + kDot + sweep_records(), with_aero(false, true)},
        MarkerCase{"UpperIWithSweep", kNone + "I  comment" + aero_record() + "." + sweep_records(),
                   with_aero(false, true)},
        MarkerCase{"UpperIThenEndOfFile", kNone + "I" + aero_record(), with_aero(false, false)},
        MarkerCase{"LowerIThenOtherMarker", kNone + "i" + aero_record() + "x" + sweep_records(),
                   with_aero(false, false)}),
    ByLabel{});

// A record that has held an earlier case must not keep its aerodynamic
// values when the next file leaves them out.
TEST(InputFile, ClearsTheAeroValuesOfAnEarlierCaseWhenTheFileHasNone) {
  ScratchDir dir;
  write_file(dir / "full.inp",
             join(mandatory_records() + kDot + aero_record() + coefficient_records() + kDot + sweep_records()));
  write_file(dir / "plain.inp", join(mandatory_records()));
  write_file(dir / "aero_only.inp", join(mandatory_records() + "i" + aero_record()));

  CaseParameters cp;
  read_input_file(cp, (dir / "full.inp").string());
  read_input_file(cp, (dir / "plain.inp").string());
  expect_aero(read_aero(cp), Aero{});

  read_input_file(cp, (dir / "full.inp").string());
  read_input_file(cp, (dir / "aero_only.inp").string());
  expect_aero(read_aero(cp), with_aero(false, false));
}

// Field reading: every value field of the file goes through the same
// rules, shown here on record 2 (t_E, F10.0) and record 3 (npoints, I10).
struct RealFieldCase {
  const char* label;
  std::string record;
  double expected;
};

void PrintTo(const RealFieldCase& c, std::ostream* os) { *os << c.label; }

class RealField : public ::testing::TestWithParam<RealFieldCase> {};

TEST_P(RealField, ReadsTheValueFromColumns1To10) {
  const RealFieldCase& c = GetParam();
  std::vector<std::string> records = mandatory_records();
  records[1] = c.record;
  const CaseParameters cp = read_text(join(records));
  EXPECT_EQ(cp.t_E, c.expected);
  EXPECT_EQ(cp.npoints, 2048);  // the next record is unaffected
}

INSTANTIATE_TEST_SUITE_P(
    Record2, RealField,
    ::testing::Values(
        RealFieldCase{"Plain", right("8.0"), 8.0},
        RealFieldCase{"CommentAfterColumn10", right("8.0") + "  t_E [s] 12345 1.0E3", 8.0},
        RealFieldCase{"LeftAlignedWithComment", "8.0       t_E", 8.0},
        RealFieldCase{"DigitsRightUpToColumn10", "1234567.89" + std::string("99 end"), 1234567.89},
        RealFieldCase{"ShortLine", "8.0", 8.0}, RealFieldCase{"BlankLine", "", 0.0},
        RealFieldCase{"BlankField", "          t_E", 0.0}, RealFieldCase{"NoDecimalPoint", right("15"), 15.0},
        RealFieldCase{"BlanksInsideAreIgnored", "  1 5.5   ", 15.5}, RealFieldCase{"ExponentE", right("1.5E3"), 1500.0},
        RealFieldCase{"ExponentD", right("1.5D3"), 1500.0}, RealFieldCase{"ExponentLowerCaseD", right("1.5d3"), 1500.0},
        RealFieldCase{"ExponentSignOnly", right("1.5+3"), 1500.0},
        RealFieldCase{"NegativeExponentSignOnly", right("-1.5-3"), -1.5e-3},
        RealFieldCase{"NegativeLowerCaseExponent", right("1.5e-3"), 1.5e-3},
        RealFieldCase{"ExplicitPlusExponent", right("1.5E+3"), 1500.0},
        RealFieldCase{"LargestMagnitudes", right("1e308"), 1e308},
        RealFieldCase{"NegativeLarge", right("-1.7D308"), -1.7e308}),
    ByLabel{});

struct IntegerFieldCase {
  const char* label;
  std::string record;
  int expected;
};

void PrintTo(const IntegerFieldCase& c, std::ostream* os) { *os << c.label; }

class IntegerField : public ::testing::TestWithParam<IntegerFieldCase> {};

TEST_P(IntegerField, ReadsTheValueFromColumns1To10) {
  const IntegerFieldCase& c = GetParam();
  std::vector<std::string> records = mandatory_records();
  records[2] = c.record;
  const CaseParameters cp = read_text(join(records));
  EXPECT_EQ(cp.npoints, c.expected);
  EXPECT_EQ(cp.y0[0], 0.1);  // the next record is unaffected
}

INSTANTIATE_TEST_SUITE_P(Record3, IntegerField,
                         ::testing::Values(IntegerFieldCase{"RightAligned", right("2048"), 2048},
                                           IntegerFieldCase{"DigitInTheThirdColumn", "  3", 3},
                                           IntegerFieldCase{"DigitInTheThirdColumnWithComment", "  3       npoints", 3},
                                           IntegerFieldCase{"DigitInTheFirstColumn", "3", 3},
                                           IntegerFieldCase{"DigitsAfterColumn10AreComment", right("20") + "99", 20},
                                           IntegerFieldCase{"BlanksInsideAreIgnored", "   1 0 2  ", 102},
                                           IntegerFieldCase{"BlankLine", "", 0},
                                           IntegerFieldCase{"Negative", right("-12"), -12},
                                           IntegerFieldCase{"ExplicitPlus", right("+12"), 12},
                                           IntegerFieldCase{"LargestInteger", "2147483647", 2147483647},
                                           IntegerFieldCase{"MostNegativeThatFits", "-999999999", -999999999}),
                         ByLabel{});

// Input that reads, but most likely not as it was meant: a number that
// goes on past its field, a marker right of a blank column 1.  One warning
// before the confirmation, and the run goes on with what was read.
struct WarningCase {
  const char* label;
  std::vector<std::string> records;
  std::string warning;  // after "!!! Input warning: "
};

void PrintTo(const WarningCase& c, std::ostream* os) { *os << c.label; }

class InputWarning : public ::testing::TestWithParam<WarningCase> {};

TEST_P(InputWarning, PrecedesTheConfirmationAndTheRunGoesOn) {
  const WarningCase& c = GetParam();
  ScratchDir dir;
  write_file(dir / "case.inp", join(c.records));
  RunResult result;
  {
    WorkingDirectory cwd(dir.path());
    result = run_start_up({"lnx", "case.inp"});
  }
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.console,
            "\n!!! Input warning: file \"case.inp\", " + c.warning + "\n\n" + std::string(kInputDataReadText));
}

std::vector<std::string> with_record(std::size_t index, std::string record) {
  std::vector<std::string> records = mandatory_records();
  records[index] = std::move(record);
  return records;
}

const std::vector<std::string> kFlutterGroup{right("0"), right("0.0"), right("0.0"), right("0")};
const std::vector<std::string> kSectionGroup{
    right("0.5"), "", "", right("0.25"), right("20.0"), right("0"), right("8.0"), "", "", ""};

INSTANTIATE_TEST_SUITE_P(
    ReadAsItStands, InputWarning,
    ::testing::Values(
        WarningCase{"NumberPastTheLastFieldOfARecord", with_record(12, "       4000.0  K_1"),
                    "line 13, columns 1-10 (record 13 (K_1, K_m)): \"       400\" is read, but the number goes on in "
                    "column 11 (\"0.0\"), which is not read."},
        WarningCase{"IntegerPastItsField", with_record(2, "        2048  npoints"),
                    "line 3, columns 1-10 (record 3 (npoints)): \"        20\" is read, but the number goes on in "
                    "column 11 (\"48\"), which is not read."},
        WarningCase{"NumberIntoTheSkippedColumnsBeforeTheNextField",
                    mandatory_records() + "i" + place(aero_record(), 3, right("800.0")),
                    "line 23, columns 1-10 (the aerodynamic record (f_s, w_star, x_p, Ma, aero_scale)): \"       800\" "
                    "is read, but the number goes on in column 11 (\".0\"), which is not read."},
        WarningCase{"FirstMarkerRightOfColumn1", mandatory_records() + "  i  marker" + aero_record(),
                    "line 22 (record 22 (first marker)): column 1 is blank and \"i\" stands in column 3; a marker "
                    "counts only in column 1, so the aerodynamic records and the groups after them are not read "
                    "(f_s = 0, no aerodynamics, sweep defaults)."},
        WarningCase{"SecondMarkerRightOfColumn1", mandatory_records() + "i" + aero_record() + " ." + sweep_records(),
                    "line 24 (the second marker): column 1 is blank and \".\" stands in column 2; a marker counts "
                    "only in column 1, so the sweep records and the flutter-solution group are not read (their "
                    "defaults apply)."},
        WarningCase{"ThirdMarkerAfterATab",
                    mandatory_records() + "i" + aero_record() + "." + sweep_records() + "\t." + kFlutterGroup,
                    "line 31 (the third marker): column 1 is blank and \".\" stands in column 2; a marker counts only "
                    "in column 1, so the flutter-solution group is not read (its defaults apply)."},
        WarningCase{"FourthMarkerRightOfColumn1",
                    mandatory_records() + "i" + aero_record() + "." + sweep_records() + "." + kFlutterGroup + " ." +
                        kSectionGroup,
                    "line 36 (the fourth marker): column 1 is blank and \".\" stands in column 2; a marker counts "
                    "only in column 1, so the typical-section group is not read (the structure comes from records "
                    "8-14)."},
        WarningCase{"SectionGroupWithoutTheFlutterGroup",
                    mandatory_records() + "i" + aero_record() + "." + sweep_records() + "-" + "." + kSectionGroup,
                    "line 32: \".\" in column 1 would open a typical-section group, but a section group follows "
                    "only the flutter-solution group, which is absent, so the group is not read (the structure "
                    "comes from records 8-14)."}),
    ByLabel{});

// The flutter-solution group names its records in its own messages; the
// table of input records, from which the README and the study fields
// come, must name them alike.
TEST(InputRecordTable, NamesTheFlutterRecordsAsTheFlutterGroupsMessagesDo) {
  EXPECT_EQ(record_label(InputBlock::flutter, 1), msg::kFlutterRecordMethod);
  EXPECT_EQ(record_label(InputBlock::flutter, 2), msg::kFlutterRecordSoundSpeed);
  EXPECT_EQ(record_label(InputBlock::flutter, 3), msg::kFlutterRecordTolerance);
  EXPECT_EQ(record_label(InputBlock::flutter, 4), msg::kFlutterRecordIterations);
  EXPECT_EQ(record_layout(InputBlock::flutter, 1), "(I10)");
  EXPECT_EQ(record_layout(InputBlock::flutter, 2), "(F10.0)");
}

// The example, the golden cases and the studies' base files: every input
// file under examples/ reads without a warning.
TEST(InputWarning, IsGivenForNoBundledInput) {
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(ZELVAN_SOURCE_DIR) / "examples")) {
    if (entry.path().extension() != ".inp") continue;
    ++files;
    CaseParameters cp;
    EXPECT_EQ(read_input_file(cp, entry.path().string()), textio::ReadWarnings{}) << entry.path();
  }
  EXPECT_GE(files, 9u);
}

TEST(InputFile, ReadsAFileWithoutALineEndAfterTheLastRecord) {
  std::string text = join(mandatory_records());
  text.pop_back();
  const CaseParameters cp = read_text(text);
  EXPECT_EQ(cp.listing_unit, 6);
  expect_aero(read_aero(cp), Aero{});
}

TEST(InputFile, AcceptsALineOf1024Characters) {
  std::vector<std::string> records = mandatory_records();
  records[1] = place(right("8.0"), 1024, "|");
  ASSERT_EQ(records[1].size(), 1024u);
  const CaseParameters cp = read_text(join(records, "\r\n"));
  EXPECT_EQ(cp.t_E, 8.0);
}

}  // namespace
}  // namespace zelvan::driver
