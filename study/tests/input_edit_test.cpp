// The text-level editing of input files: every field written with the
// reader's edit descriptors into its own columns and read back by the
// program's reader, comments kept, missing blocks inserted or refused.

#include "study/input_edit.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "driver/input_file.hpp"
#include "study/messages.hpp"
#include "study/tests/study_test_support.hpp"

namespace zelvan::study {
namespace {

namespace fs = std::filesystem;

using test_support::example_input;
using test_support::read_text;
using test_support::ScratchDir;

const FieldSpec& field(std::string_view name) {
  const FieldSpec* f = find_field(name);
  EXPECT_NE(f, nullptr) << name;
  return *f;
}

// Reads `text` with the program's reader.
driver::CaseParameters read_with_program(const std::string& text) {
  ScratchDir dir;
  test_support::write_text(dir.path() / "zelvan.inp", text);
  driver::CaseParameters cp;
  driver::read_input_file(cp, (dir.path() / "zelvan.inp").string());
  return cp;
}

std::string edited(const std::string& base, std::string_view name, const FieldValue& value) {
  InputText input = InputText::parse(base);
  const FieldSpec* f = &field(name);
  const FieldSpec* const one[] = {f};
  insert_missing_blocks(input, one);
  set_field(input, locate_records(input), *f, format_field(*f, value).text);
  return input.str();
}

struct Formatting {
  std::string_view field;
  double value;
  std::string_view text;  // the field's columns
  double as_read;
};

// Each real takes the shortest form that reads back exactly; where none
// does, the nearest one (0.1 + 0.2 is not 0.3, but the field holds 0.3).
TEST(FieldFormatting, WritesTheShortestTextThatTheReaderTurnsBackIntoTheValue) {
  const Formatting cases[] = {
      {"x_p", 0.35, "      0.35", 0.35},
      {"f_s", 100.0, "      100.", 100.0},
      {"Ma", 0.1 + 0.2, "       0.3", 0.3},
      {"t_E", -2.5, "      -2.5", -2.5},
      {"tolerance", 1e-6, "  0.000001", 1e-6},
      {"tolerance", 1.5e-12, "   1.5D-12", 1.5e-12},
      {"K_1", 123456789.0, "123456789.", 123456789.0},
      {"K_1", 6.02e23, "  6.02D+23", 6.02e23},
      {"npoints", 2048, "      2048", 2048},
      {"nstep", -3, "        -3", -3},
      {"M_1", 0.0, "        0.", 0.0},
  };
  for (const Formatting& c : cases) {
    const FormattedValue v = format_field(field(c.field), FieldValue{c.value});
    EXPECT_EQ(v.text, c.text) << c.field << " = " << c.value;
    EXPECT_EQ(std::get<double>(v.as_read), c.as_read) << c.field << " = " << c.value;
  }
}

TEST(FieldFormatting, RefusesValuesThatDoNotFitTheirField) {
  struct Refusal {
    std::string_view field;
    FieldValue value;
    std::string_view message;
  };
  const Refusal cases[] = {
      {"npoints", FieldValue{2.5}, "is an integer (I10), 2.5 is not"},
      {"nstep", FieldValue{1e10}, "does not fit the 10 columns of \"nstep\""},
      {"integ_method", FieldValue{-2147483648.0}, "does not fit the 10 columns"},
      // Ten columns hold five significant digits of this one: 2.5e-5 off.
      {"t_E", FieldValue{1.23456789012e-20}, "does not fit the 10 columns of \"t_E\""},
      {"x_p", FieldValue{std::nan("")}, "needs a finite number"},
      {"title", FieldValue{std::string(41, 'x')}, "is longer than the 40 columns of \"title\""},
      {"title", FieldValue{std::string("tab\there")}, "holds a control character"},
  };
  for (const Refusal& c : cases) {
    try {
      (void)format_field(field(c.field), c.value);
      ADD_FAILURE() << c.field << " accepted a value that does not fit";
    } catch (const msg::StudyError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

// Every field of the table, set in the example to a value of its own,
// reads back through the program's reader as that value, and nothing else
// of the case changes.
TEST(FieldEditing, EveryFieldReadsBackThroughTheProgramsReader) {
  const std::string base = example_input();
  const driver::CaseParameters original = read_with_program(base);
  int n = 0;
  for (const FieldSpec& f : field_table()) {
    ++n;
    if (f.block == Block::coefficients) continue;  // a base with coefficient records below
    if (f.block >= Block::section) continue;       // with the groups' required fields, below
    FieldValue value{f.kind == FieldKind::text      ? FieldValue{std::string("Edited title")}
                     : f.name == "flutter_method"   ? FieldValue{1.0}  // the reader accepts 0 to 2
                     : f.kind == FieldKind::integer ? FieldValue{static_cast<double>(n + 100)}
                                                    : FieldValue{0.25 + n / 64.0}};
    const driver::CaseParameters cp = read_with_program(edited(base, f.name, value));
    const FormattedValue written = format_field(f, value);
    const ProgramCheck check = program_value(f, written.as_read, cp);
    ASSERT_TRUE(check.expected && check.actual) << f.name;
    EXPECT_EQ(*check.expected, *check.actual) << f.name;
    if (f.name != "t_A") {
      EXPECT_EQ(cp.t_A, original.t_A) << f.name;
    }
    if (f.name != "K_2") {
      EXPECT_EQ(cp.K_2, original.K_2) << f.name;
    }
  }
}

TEST(FieldEditing, CoefficientFieldsReadBackFromABaseWithCoefficientRecords) {
  const std::string base = read_text(test_support::source_dir() / "examples/cases/external_sweep_win/zelvan.inp");
  for (const char* name : {"QR11", "QS11", "QR12", "QS12", "QR21", "QS21", "QR22", "QS22"}) {
    const driver::CaseParameters cp = read_with_program(edited(base, name, FieldValue{-7.125}));
    const ProgramCheck check = program_value(field(name), FieldValue{-7.125}, cp);
    EXPECT_EQ(*check.actual, FieldValue{-7.125}) << name;
  }
}

// The typical-section and nonlinear-spring groups that their fields need
// are inserted with their markers; set with all the fields of the groups,
// each reads back.
TEST(FieldEditing, GroupFieldsReadBackWhenTheStudySetsTheGroupsRequiredFields) {
  const std::pair<std::string_view, double> values[] = {{"b", 0.75},          {"a", -0.375},
                                                        {"x_theta", 0.25},    {"r2", 0.5},
                                                        {"mu", 40.0},         {"sigma", 0.0},
                                                        {"f_theta", 9.5},     {"span", 2.0},
                                                        {"zeta_h", 0.015},    {"zeta_theta", 0.0625},
                                                        {"cubic_h", 0.5},     {"freeplay_h", 0.0},
                                                        {"cubic_theta", 0.0}, {"freeplay_theta", 0.0025},
                                                        {"lco_V_start", 1.5}, {"lco_V_end", 3.25},
                                                        {"lco_count", 30.0},  {"lco_theta0", 0.02}};
  InputText input = InputText::parse(example_input());
  std::vector<const FieldSpec*> fields;
  for (const auto& [name, value] : values) fields.push_back(&field(name));
  EXPECT_EQ(unset_required_fields(input, std::span<const FieldSpec* const>(fields.data(), 1)),
            (std::vector<std::string_view>{"r2", "mu", "sigma", "f_theta"}));
  const FieldSpec* cubic = &field("cubic_theta");
  EXPECT_EQ(unset_required_fields(input, std::span<const FieldSpec* const>(&cubic, 1)),
            (std::vector<std::string_view>{"b", "r2", "mu", "sigma", "f_theta", "lco_V_start", "lco_V_end"}));
  EXPECT_TRUE(unset_required_fields(input, fields).empty());
  insert_missing_blocks(input, fields);
  EXPECT_TRUE(unset_required_fields(input, std::span<const FieldSpec* const>(&cubic, 1)).empty());
  for (const auto& [name, value] : values) {
    set_field(input, locate_records(input), field(name), format_field(field(name), FieldValue{value}).text);
  }
  const driver::CaseParameters cp = read_with_program(input.str());
  for (const auto& [name, value] : values) {
    const ProgramCheck check = program_value(field(name), FieldValue{value}, cp);
    ASSERT_TRUE(check.expected && check.actual) << name;
    EXPECT_EQ(*check.actual, FieldValue{value}) << name;
  }
}

// Only the field's columns change: the comment right of it, the other
// lines and their line ends stay byte for byte.
TEST(FieldEditing, KeepsCommentsOtherLinesAndLineEnds) {
  const std::string base = example_input();
  const std::string out = edited(base, "x_p", FieldValue{0.4});
  const InputText before = InputText::parse(base);
  const InputText after = InputText::parse(out);
  ASSERT_EQ(before.lines.size(), after.lines.size());
  for (std::size_t i = 0; i < before.lines.size(); ++i) {
    if (i == 22) {
      EXPECT_EQ(after.lines[i].substr(24, 10), "       0.4");
      EXPECT_EQ(after.lines[i].substr(0, 24), before.lines[i].substr(0, 24));
      EXPECT_EQ(after.lines[i].substr(34), before.lines[i].substr(34));
    } else {
      EXPECT_EQ(after.lines[i], before.lines[i]) << "line " << i + 1;
    }
  }
  std::string crlf;
  for (const std::string& line : before.lines) crlf += line + "\r\n";
  const std::string crlf_out = edited(crlf, "x_p", FieldValue{0.4});
  EXPECT_EQ(crlf_out.find('\n'), crlf_out.find("\r\n") + 1);
  EXPECT_EQ(std::count(crlf_out.begin(), crlf_out.end(), '\r'), std::count(crlf_out.begin(), crlf_out.end(), '\n'));
}

// mass_scale is read only with '<' in column 25: setting it on a line
// without one sets the flag and moves the comment behind it.
TEST(FieldEditing, SecondValueOfRecordTenSetsTheFlagAndKeepsTheComment) {
  InputText input = InputText::parse(example_input());
  input.lines[9] = "       0.1  S_m [kg] mass coupling";
  const std::string base = input.str();
  const std::string out = edited(base, "mass_scale", FieldValue{2.0});
  EXPECT_EQ(InputText::parse(out).lines[9], "       0.1            2.<   S_m [kg] mass coupling");
  const driver::CaseParameters cp = read_with_program(out);
  EXPECT_EQ(cp.mass_scale, 2.0);
  EXPECT_EQ(cp.S_m, 0.1 * 2.0);
}

// A base file that ends after its aerodynamic record gets the sweep block,
// with the reader's defaults, where the reader looks for it.
TEST(MissingBlocks, AreInsertedWithTheDefaultsWhereTheFileEnds) {
  InputText input = InputText::parse(example_input());
  input.lines.resize(23);
  input.ends.resize(23);
  input.ends.back() = "";  // no line end after the last line
  const std::string base = input.str();
  const driver::CaseParameters defaults = read_with_program(base);
  const driver::CaseParameters cp = read_with_program(edited(base, "rho", FieldValue{0.9}));
  EXPECT_EQ(cp.rho, 0.9);
  EXPECT_EQ(cp.x_ref, defaults.x_ref);
  EXPECT_EQ(cp.q_start, defaults.q_start);
  EXPECT_EQ(cp.nstep, defaults.nstep);
  EXPECT_EQ(cp.nextra, defaults.nextra);
  EXPECT_EQ(cp.coupling_tolerance, defaults.coupling_tolerance);

  // The flutter-solution group needs the sweep block before it: both come.
  const InputText with_group = InputText::parse(edited(base, "flutter_method", FieldValue{1.0}));
  const RecordMap map = locate_records(with_group);
  ASSERT_EQ(map.sweep, 24);
  ASSERT_EQ(map.flutter, 31);
  EXPECT_EQ(with_group.lines[31].substr(0, 10), "         1");
  EXPECT_EQ(with_group.lines[33].substr(0, 10), "  0.000001");
  EXPECT_EQ(with_group.lines[34].substr(0, 10), "        30");
  EXPECT_EQ(read_with_program(with_group.str()).rho, defaults.rho);
}

TEST(MissingBlocks, AreRefusedWhereTheyCannotBeInserted) {
  struct Refusal {
    std::size_t keep_lines;       // lines of the example kept
    std::string_view extra_line;  // appended after them
    std::string_view field;
    std::string_view message;
  };
  const Refusal cases[] = {
      {21, "", "x_p", "has no aerodynamic record"},
      {23, "", "QR11", "has no coefficient records"},
      {23, "x  something the reader ignores", "rho", "line 24 of the base file stands where its '.' marker belongs"},
      {30, "end of case", "sound_speed", "line 31 of the base file stands where"},
      {35, "end of case", "b", "needs the typical-section group, but line 36 of the base file stands where"},
  };
  for (const Refusal& c : cases) {
    InputText input = InputText::parse(example_input());
    input.lines.resize(c.keep_lines);
    input.ends.resize(c.keep_lines);
    if (!c.extra_line.empty()) {
      input.lines.emplace_back(c.extra_line);
      input.ends.emplace_back("\n");
    }
    try {
      (void)edited(input.str(), c.field, FieldValue{1.0});
      ADD_FAILURE() << c.field << " was set in a file without its record";
    } catch (const msg::StudyError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace zelvan::study
