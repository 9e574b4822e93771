// Input files the program cannot use: each ends the run with status 2 and
// a single message naming the file and the place of the fault, and leaves
// nothing behind in the working folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

std::string input_error_text(const std::string& message) {
  return "\n!!! Input error: " + message + "\n\n*** ZELVAN terminated due to an input error\n";
}

struct ErrorCase {
  const char* label;
  std::vector<std::string> arguments;
  std::string file_name;  // what the test puts into the working folder ("" for nothing)
  std::string content;    // the file's bytes
  bool as_directory;      // file_name is made a folder instead
  std::string message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.label; }

class BadInput : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(BadInput, StopsWithStatus2AndOneMessageAndCreatesNoFile) {
  const ErrorCase& c = GetParam();
  ScratchDir dir;
  std::vector<std::string> expected_entries;
  if (!c.file_name.empty()) {
    if (c.as_directory) {
      fs::create_directory(dir / c.file_name);
    } else {
      write_file(dir / c.file_name, c.content);
    }
    expected_entries.push_back(c.file_name);
  }
  RunResult result;
  {
    WorkingDirectory cwd(dir.path());
    result = run_program(c.arguments);
  }
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.console, input_error_text(c.message));
  EXPECT_EQ(dir.entries(), expected_entries);
}

// The mandatory records with record `number` (1-based) replaced.
std::string with_record(std::size_t number, const std::string& record) {
  std::vector<std::string> records = mandatory_records();
  records[number - 1] = record;
  return join(records);
}

// The mandatory records cut after record `last`, then `tail`.
std::string first_records(std::size_t last, const std::vector<std::string>& tail = {}) {
  std::vector<std::string> records = mandatory_records();
  records.resize(last);
  return join(records + tail);
}

std::string with_nul_in_column_3_of_record_5() {
  std::string record = right("0.2");
  record[2] = '\0';
  return with_record(5, record);
}

const std::vector<std::string> kFile{"lnx", "case.inp"};
const std::string kCase = "case.inp";
const std::string kEndsAfter = "the file \"case.inp\" ends after line ";

std::vector<ErrorCase> error_cases() {
  const std::vector<std::string> dot_block = std::vector<std::string>{"."} + aero_record() + coefficient_records();
  const std::vector<std::string> none;
  return {
      // The file cannot be opened.
      {"MissingFile", kFile, "", "", false, "cannot open the input file \"case.inp\": No such file or directory."},
      {"MissingDefaultFile",
       {},
       "",
       "",
       false,
       "cannot open the input file \"zelvan.inp\": No such file or directory."},
      {"DirectoryInsteadOfAFile",
       {"lnx", "folder.inp"},
       "folder.inp",
       "",
       true,
       "\"folder.inp\" is a directory, not an input file."},
      {"MissingFileWithALongName",
       {"lnx", "abcdefghij0123456789VWXYZ"},
       "",
       "",
       false,
       "cannot open the input file \"abcdefghij0123456789VWXYZ\": No such file or directory."},
      {"MissingFileWithATwentyCharacterName",
       {"lnx", "abcdefghij0123456789"},
       "",
       "",
       false,
       "cannot open the input file \"abcdefghij0123456789\": No such file or directory."},

      // The file ends too early.
      {"EmptyFile", kFile, kCase, "", false, kEndsAfter + "0, but record 1 (t_A, title) is still to be read."},
      {"EndsAfterRecord9", kFile, kCase, first_records(9), false,
       kEndsAfter + "9, but record 10 (S_m, mass_scale) is still to be read."},
      {"EndsAfterRecord14", kFile, kCase, first_records(14), false,
       kEndsAfter + "14, but record 15 (kappa) is still to be read."},
      {"EndsAfterRecord20", kFile, kCase, first_records(20), false,
       kEndsAfter + "20, but record 21 (listing_unit) is still to be read."},
      {"EndsRightAfterTheDotMarker", kFile, kCase, first_records(21, none + "."), false,
       kEndsAfter + "22, but the aerodynamic record (f_s, w_star, x_p, Ma, aero_scale) is still to be read."},
      {"EndsRightAfterTheIMarker", kFile, kCase, first_records(21, none + "i  aero record only"), false,
       kEndsAfter + "22, but the aerodynamic record (f_s, w_star, x_p, Ma, aero_scale) is still to be read."},
      {"EndsInsideTheCoefficientRecords", kFile, kCase,
       first_records(21, none + "." + aero_record() + coefficient_records()[0] + coefficient_records()[1]), false,
       kEndsAfter + "25, but coefficient record 3 (QR21, QS21) is still to be read."},
      {"EndsRightAfterTheSecondMarker", kFile, kCase, first_records(21, dot_block + "."), false,
       kEndsAfter + "28, but sweep record 1 (x_ref) is still to be read."},
      {"EndsInsideTheSweepRecords", kFile, kCase,
       first_records(21,
                     none + "i" + aero_record() + "." + sweep_records()[0] + sweep_records()[1] + sweep_records()[2]),
       false, kEndsAfter + "27, but sweep record 4 (nstep) is still to be read."},

      // The file is not text.
      {"NulByteInARecord", kFile, kCase, with_nul_in_column_3_of_record_5(), false,
       "file \"case.inp\", line 5, column 3 holds the control character 0x00; this is not a text file."},
      {"NulByteWhereTheMarkerIsLookedFor", kFile, kCase, first_records(21, none + std::string(1, '\0')), false,
       "file \"case.inp\", line 22, column 1 holds the control character 0x00; this is not a text file."},
      {"ExecutableFile", kFile, kCase,
       std::string("\x7f"
                   "ELF\x02\x01\x01\0\0\0\0\0",
                   12),
       false, "file \"case.inp\", line 1, column 1 holds the control character 0x7F; this is not a text file."},
      {"LineOf1025Characters", kFile, kCase, with_record(4, place(right("0.1"), 1025, "|")), false,
       "file \"case.inp\", line 4 is longer than 1024 characters."},
      {"LineOf1025CharactersBeforeACarriageReturn", kFile, kCase,
       join(mandatory_records(), "\r\n").insert(0, std::string(1025, ' ') + "\r\n"), false,
       "file \"case.inp\", line 1 is longer than 1024 characters."},

      // A field holds something that is not a number of its kind.
      {"OtherCharactersInARealField", kFile, kCase, with_record(8, right("1.2x3")), false,
       "file \"case.inp\", line 8, columns 1-10 (record 8 (M_1)): \"     1.2x3\" is not a valid real number."},
      {"RealOverflowingADouble", kFile, kCase, with_record(16, right("1e999")), false,
       "file \"case.inp\", line 16, columns 1-10 (record 16 (a_0)): \"     1e999\" is beyond the range of "
       "double precision numbers."},
      {"IntegerOverflowingInt32", kFile, kCase, with_record(20, "2147483648"), false,
       "file \"case.inp\", line 20, columns 1-10 (record 20 (integ_method)): \"2147483648\" is beyond the "
       "integer range -2147483648 to 2147483647."},
      {"DecimalPointInAnIntegerField", kFile, kCase, with_record(3, right("2048.0")), false,
       "file \"case.inp\", line 3, columns 1-10 (record 3 (npoints)): \"    2048.0\" is not a valid integer."},
      {"BadScaleAfterTheMark", kFile, kCase, with_record(10, place(place(right("0.1"), 15, right("2.0x")), 25, "<")),
       false,
       "file \"case.inp\", line 10, columns 15-24 (record 10 (S_m, mass_scale)): \"      2.0x\" is not a valid "
       "real number."},
      {"BadValueInsideTheAeroRecord", kFile, kCase,
       first_records(21, none + "i" + (right("800.0") + right("0.3x", 12))), false,
       "file \"case.inp\", line 23, columns 13-22 (the aerodynamic record (f_s, w_star, x_p, Ma, aero_scale)): "
       "\"      0.3x\" is not a valid real number."},
      {"BadIntegerInsideTheSweepRecords", kFile, kCase,
       first_records(21, none + "i" + aero_record() + "." + sweep_records()[0] + sweep_records()[1] +
                             sweep_records()[2] + right("4.0")),
       false,
       "file \"case.inp\", line 28, columns 1-10 (sweep record 4 (nstep)): \"       4.0\" is not a valid "
       "integer."},
  };
}

INSTANTIATE_TEST_SUITE_P(InputErrors, BadInput, ::testing::ValuesIn(error_cases()), ByLabel{});

}  // namespace
}  // namespace zelvan::driver
