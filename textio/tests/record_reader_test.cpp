// The record reader: field conversion, layout control on input, and the
// messages that end the run on bad input.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "textio/textio.hpp"

namespace zelvan::textio {
namespace {

double read_real(std::string_view line, std::string_view layout = "(F10.0)") {
  double x = -999.0;
  RecordSource src = RecordSource::from_text(line);
  src.read(Layout(layout), std::array<Target, 1>{&x}, "x");
  return x;
}

TEST(RealFields, IgnoreBlanksAndReadAnAllBlankFieldAsZero) {
  EXPECT_EQ(read_real("       1.5"), 1.5);
  EXPECT_EQ(read_real("        15"), 15.0);
  EXPECT_EQ(read_real(""), 0.0);
  EXPECT_EQ(read_real("  1 2 . 5 "), 12.5);
  EXPECT_EQ(read_real("-0.25     comment"), -0.25);
}

TEST(RealFields, AcceptEveryExponentForm) {
  EXPECT_EQ(read_real("1.5E3"), 1500.0);
  EXPECT_EQ(read_real("1.5e-3"), 0.0015);
  EXPECT_EQ(read_real("1.5D3"), 1500.0);
  EXPECT_EQ(read_real("1.5d+3"), 1500.0);
  EXPECT_EQ(read_real("1.5+3"), 1500.0);
  EXPECT_EQ(read_real("1.5-3"), 0.0015);
  EXPECT_EQ(read_real("1e308"), 1e308);
  EXPECT_EQ(read_real(".5"), 0.5);
  EXPECT_EQ(read_real("5."), 5.0);
}

TEST(RealFields, TakeTheLastDigitsAsDecimalsOnlyWhenNoPointIsWritten) {
  EXPECT_EQ(read_real("      1234", "(F10.2)"), 12.34);
  EXPECT_EQ(read_real("     12.34", "(F10.2)"), 12.34);
  EXPECT_EQ(read_real("    1234E1", "(F10.2)"), 123.4);
}

TEST(RealFields, ClassifyBadAndOutOfRangeText) {
  double x = 0.0;
  for (const char* bad :
       {"1.2x3", "abc", "+", "-", ".", "1.5E", "1.5E+", "1..5", "1.5E3.0", "--1", "nan", "inf", "1\t5", "0x10"}) {
    EXPECT_EQ(parse_real_field(bad, 0, x), FieldStatus::invalid) << bad;
  }
  EXPECT_EQ(parse_real_field("1e999", 0, x), FieldStatus::out_of_range);
  EXPECT_EQ(parse_real_field("-1.8e308", 0, x), FieldStatus::out_of_range);
  EXPECT_EQ(parse_real_field("1e-400", 0, x), FieldStatus::ok);
  EXPECT_EQ(x, 0.0);
}

TEST(IntegerFields, IgnoreBlanksRatherThanReadingThemAsZeros) {
  int n = -1;
  EXPECT_EQ(parse_integer_field("  3       ", n), FieldStatus::ok);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(parse_integer_field("          ", n), FieldStatus::ok);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(parse_integer_field(" -2147483648", n), FieldStatus::ok);
  EXPECT_EQ(n, -2147483647 - 1);
  EXPECT_EQ(parse_integer_field("2147483648", n), FieldStatus::out_of_range);
  EXPECT_EQ(parse_integer_field("99999999999999999999", n), FieldStatus::out_of_range);
  for (const char* bad : {"1.0", "1e3", "x", "+", "1-"}) {
    EXPECT_EQ(parse_integer_field(bad, n), FieldStatus::invalid) << bad;
  }
}

TEST(TextFields, PadOrTakeTheRightmostCharactersByTheVariablesLength) {
  RecordSource src = RecordSource::from_text("abcdefgh");
  std::string longer(6, ' '), shorter(2, ' '), own(3, ' ');
  src.read(Layout("(A4)"), std::array<Target, 1>{&longer}, "t");
  EXPECT_EQ(longer, "abcd  ");
  RecordSource src2 = RecordSource::from_text("abcdefgh");
  src2.read(Layout("(A4,A)"), std::array<Target, 2>{&shorter, &own}, "t");
  EXPECT_EQ(shorter, "cd");
  EXPECT_EQ(own, "efg");
}

TEST(InputLayoutControl, SkipsColumnsFollowsSlashesAndRevertsToANewLine) {
  const auto dir = std::filesystem::temp_directory_path() / "zelvan_reader_test";
  std::filesystem::create_directories(dir);
  const auto path = (dir / "records.txt").string();
  std::ofstream(path) << "  1.0  XX  2.0\n3\n4\n5\r\n6";
  RecordSource src = RecordSource::open_file(path);
  double a = 0, b = 0;
  src.read(Layout("(F5.0,4X,F5.0)"), std::array<Target, 2>{&a, &b}, "a, b");
  EXPECT_EQ(a, 1.0);
  EXPECT_EQ(b, 2.0);
  int i = 0, j = 0, k = 0;
  src.read(Layout("(I5,/,I5)"), std::array<Target, 2>{&i, &j}, "i, j");
  EXPECT_EQ(i, 3);
  EXPECT_EQ(j, 4);
  src.read(Layout("(I5)"), std::array<Target, 2>{&i, &k}, "two lines by reversion");
  EXPECT_EQ(i, 5);
  EXPECT_EQ(k, 6);
  EXPECT_EQ(src.lines_read(), 5u);
  EXPECT_TRUE(src.at_end());
  std::string marker(1, ' ');
  EXPECT_FALSE(src.read_unless_end(Layout("(A1)"), std::array<Target, 1>{&marker}, "marker"));
  std::filesystem::remove_all(dir);
}

// A number that goes on in the column right after its field is read as
// far as the field goes and reported, unless another value field of the
// same line reads on from there.
TEST(NumberPastItsField, IsReportedWhereNoOtherFieldReadsOnFromTheNextColumn) {
  struct Case {
    const char* label;
    const char* layout;
    const char* kinds;  // one letter per variable: F real, I integer, A text
    std::string line;
    std::vector<std::string> warnings;
  };
  const auto goes_on = [](const char* columns, const char* field, const char* column, const char* rest) {
    return std::string("file \"case.inp\", line 13, columns ") + columns + " (x): \"" + field +
           "\" is read, but the number goes on in column " + column + " (\"" + rest + "\"), which is not read.";
  };
  const Case cases[] = {
      {"ShiftedPastTheLastField", "(F10.0)", "F", "       4000.0  K_1", {goes_on("1-10", "       400", "11", "0.0")}},
      {"PointAfterTheField", "(F10.0)", "F", "      4000.", {goes_on("1-10", "      4000", "11", ".")}},
      {"ExponentLetterAndDigit", "(F10.0)", "F", "       1.5E3", {goes_on("1-10", "       1.5", "11", "E3")}},
      {"ExponentLetterSignAndDigit", "(F10.0)", "F", "       1.5d-3 x", {goes_on("1-10", "       1.5", "11", "d-3")}},
      {"SignAndDigit", "(F10.0)", "F", "       1.5+3", {goes_on("1-10", "       1.5", "11", "+3")}},
      {"IntoSkippedColumns",
       "(F10.0,2X,F10.0)",
       "FF",
       "      1000.0       2.0",
       {goes_on("1-10", "      1000", "11", ".0")}},
      {"IntegerField", "(I10)", "I", "        2048", {goes_on("1-10", "        20", "11", "48")}},
      {"FieldsEdgeToEdgeOnlyAfterTheLast", "(2F5.0)", "FF", "1.0002.000345", {goes_on("6-10", "2.000", "11", "345")}},
      {"CommentAfterABlank", "(F10.0)", "F", "       1.5 12345", {}},
      {"CommentWordBeginningWithAnExponentLetter", "(F10.0)", "F", "       1.5Damping", {}},
      {"CommentOfDashes", "(F10.0)", "F", "       1.5-- x", {}},
      {"TabAfterTheField", "(F10.0)", "F", "       1.5\t3", {}},
      {"BlankField", "(F10.0)", "F", "          12", {}},
      {"LineEndsWithTheField", "(F10.0)", "F", "      12.5", {}},
      {"TextField", "(A3)", "A", "abc123", {}},
      {"NumberReadOnAsText", "(F3.0,A3)", "FA", "1.5123", {}},
  };
  for (const Case& c : cases) {
    double reals[2] = {};
    int integer = 0;
    std::string text(3, ' ');
    std::vector<Target> targets;
    for (const char* k = c.kinds; *k != '\0'; ++k) {
      if (*k == 'F') targets.emplace_back(&reals[targets.size()]);
      if (*k == 'I') targets.emplace_back(&integer);
      if (*k == 'A') targets.emplace_back(&text);
    }
    RecordSource src = RecordSource::from_text(c.line, "case.inp", 13);
    EXPECT_EQ(src.read(Layout(c.layout), targets, "x"), c.warnings) << c.label;
  }
}

// The message of a stop, without the framing lines.
std::string stop_message(const std::function<void()>& action) {
  try {
    action();
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.exit_status(), 2);
    return stop.console_text();
  }
  ADD_FAILURE() << "no stop";
  return {};
}

TEST(InputErrors, NameTheFileTheLineTheColumnsAndTheQuantity) {
  const auto dir = std::filesystem::temp_directory_path() / "zelvan_reader_errors";
  std::filesystem::create_directories(dir);
  const auto path = (dir / "case.inp").string();
  std::ofstream(path) << "       1.0\n   1.2x3  \n";
  RecordSource src = RecordSource::open_file(path);
  double x = 0.0;
  src.read(Layout("(F10.0)"), std::array<Target, 1>{&x}, "record 1 (t_A)");
  const std::string text =
      stop_message([&] { src.read(Layout("(F10.0)"), std::array<Target, 1>{&x}, "record 2 (t_E)"); });
  EXPECT_EQ(text, "\n!!! Input error: file \"" + path +
                      "\", line 2, columns 1-10 (record 2 (t_E)): \"   1.2x3  \" is not a valid real number.\n\n"
                      "*** ZELVAN terminated due to an input error\n");
  const std::string eof =
      stop_message([&] { src.read(Layout("(F10.0)"), std::array<Target, 1>{&x}, "record 3 (npoints)"); });
  EXPECT_NE(eof.find("ends after line 2, but record 3 (npoints) is still to be read."), std::string::npos) << eof;
  std::filesystem::remove_all(dir);
}

TEST(InputErrors, RejectMissingFilesDirectoriesJunkAndOverlongLines) {
  const auto dir = std::filesystem::temp_directory_path() / "zelvan_reader_junk";
  std::filesystem::create_directories(dir);
  double x = 0.0;
  EXPECT_NE(
      stop_message([&] {
        RecordSource::open_file((dir / "none.inp").string(), "(note)");
      }).find("cannot open the input file \"" + (dir / "none.inp").string() + "\": No such file or directory. (note)"),
      std::string::npos);
  EXPECT_NE(stop_message([&] { RecordSource::open_file(dir.string()); }).find("is a directory"), std::string::npos);

  const auto junk = (dir / "junk.inp").string();
  std::ofstream(junk, std::ios::binary) << std::string(
                                               "\x7f"
                                               "ELF\0\0\x01",
                                               7)
                                        << "\n";
  RecordSource junk_src = RecordSource::open_file(junk);
  EXPECT_NE(stop_message([&] {
              junk_src.read(Layout("(F10.0)"), std::array<Target, 1>{&x}, "r");
            }).find("line 1, column 1 holds the control character 0x7F"),
            std::string::npos);

  const auto wide = (dir / "wide.inp").string();
  std::ofstream(wide) << "       1.0" << std::string(2000, ' ') << "x\n";
  RecordSource wide_src = RecordSource::open_file(wide);
  EXPECT_NE(stop_message([&] {
              wide_src.read(Layout("(F10.0)"), std::array<Target, 1>{&x}, "r");
            }).find("line 1 is longer than 1024 characters"),
            std::string::npos);
  std::filesystem::remove_all(dir);
}

// Characters the user cannot see: a byte-order mark is skipped, a tab or
// another control character in a field is named by its column (never
// written raw), CR-only line ends give one message however long the file
// is, and a line without an end stops the read at the length limit.
TEST(InvisibleCharacters, AreSkippedOrNamedInTheMessage) {
  const auto dir = std::filesystem::temp_directory_path() / "zelvan_reader_invisible";
  std::filesystem::create_directories(dir);
  const auto file = [&](const std::string& name, const std::string& text) {
    auto path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  };
  double x = 0.0, y = 0.0;
  const auto two = [&](const std::string& path) {
    RecordSource src = RecordSource::open_file(path);
    src.read(Layout("(F10.0)"), std::array<Target, 1>{&x}, "record 1 (t_A)");
    src.read(Layout("(F10.0)"), std::array<Target, 1>{&y}, "record 2 (t_E)");
  };
  // The mark counts for nothing, also on a first line of the longest length.
  two(file("bom.inp", "\xEF\xBB\xBF       1.5" + std::string(1014, ' ') + "\r\n       2.5\n"));
  EXPECT_EQ(x, 1.5);
  EXPECT_EQ(y, 2.5);
  // Only at the start of the file.
  EXPECT_NE(stop_message([&] {
              two(file("late_bom.inp", "       1.5\n\xEF\xBB\xBF    2.5\n"));
            }).find("is not a valid real number"),
            std::string::npos);

  const std::string tab = stop_message([&] { two(file("tab.inp", "       1.5\n     \t2.5\n")); });
  EXPECT_NE(tab.find("line 2, columns 1-10 (record 2 (t_E)): a tab character at column 6; write blanks instead."),
            std::string::npos)
      << tab;
  EXPECT_EQ(tab.find('\t'), std::string::npos);
  // A tab right of the fields, in the comment, is no error.
  two(file("comment_tab.inp", "       1.5\tcomment\n       2.5\n"));
  EXPECT_EQ(y, 2.5);
  RecordSource inner = RecordSource::from_text("  \x1b 1.0  ", "case.inp", 4);
  const std::string escape =
      stop_message([&] { inner.read(Layout("(F10.0)"), std::array<Target, 1>{&x}, "record 4 (Y*_0_1)"); });
  EXPECT_NE(escape.find("the control character 0x1B at column 3"), std::string::npos) << escape;

  std::string cr_only;
  for (int i = 0; i < 5000; ++i) cr_only += "       1.0\r";
  const std::string cr = stop_message([&] { two(file("cr.inp", cr_only)); });
  EXPECT_EQ(cr, "\n!!! Input error: file \"" + (dir / "cr.inp").string() +
                    "\", line 1: lines end in CR only; convert the file to LF or CR LF line ends.\n\n"
                    "*** ZELVAN terminated due to an input error\n");
  // A last line ending in CR alone still reads.
  two(file("last_cr.inp", "       1.5\r\n       2.5\r"));
  EXPECT_EQ(y, 2.5);

  if (std::filesystem::exists("/dev/zero")) {
    EXPECT_EQ(stop_message([&] { two("/dev/zero"); }),
              "\n!!! Input error: file \"/dev/zero\", line 1 is longer than 1024 characters.\n\n"
              "*** ZELVAN terminated due to an input error\n");
  }
  std::filesystem::remove_all(dir);
}

TEST(InputErrors, ReportAnInternalTextUnderTheNameAndLineItCameFrom) {
  RecordSource inner = RecordSource::from_text("   x      ", "case.inp", 10);
  double x = 0.0;
  EXPECT_NE(stop_message([&] {
              inner.read(Layout("(F10.0)"), std::array<Target, 1>{&x}, "record 10 (S_m)");
            }).find("file \"case.inp\", line 10, columns 1-10 (record 10 (S_m))"),
            std::string::npos);
}

}  // namespace
}  // namespace zelvan::textio
