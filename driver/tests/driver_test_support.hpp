// Helpers shared by the driver tests: scratch folders, input files built
// record by record, and runs of the whole program or of its first steps
// with the console captured.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "aero/aero.hpp"
#include "driver/driver.hpp"
#include "driver/flutter.hpp"
#include "driver/model.hpp"
#include "driver/run_context.hpp"
#include "driver/spectrum.hpp"
#include "driver/time_history.hpp"
#include "numlib/numlib.hpp"
#include "test_support/by_label.hpp"
#include "test_support/scratch_dir.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver::test_support {

namespace fs = std::filesystem;

// The runs of the program in the driver tests draw no figures, also when a
// test binary is started without ctest (which sets ZELVAN_PLOT=0): a value
// set in the environment is kept.
inline const bool kFiguresOff = ::setenv("ZELVAN_PLOT", "0", 0) == 0;

using zelvan::test_support::WorkingDirectory;

// A scratch folder named after the running test (see
// zelvan::test_support::ScratchDir).
class ScratchDir : public zelvan::test_support::ScratchDir {
 public:
  ScratchDir() : zelvan::test_support::ScratchDir(test_stem()) {}

 private:
  static std::string test_stem() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string stem = "zelvan_driver_test";
    if (info != nullptr) {
      stem += '_';
      stem += info->test_suite_name();
      stem += '_';
      stem += info->name();
    }
    return stem;
  }
};

// Writes `content` byte for byte.
inline void write_file(const fs::path& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The date and time of the run in the style file, masked as the golden
// files have them.
inline std::string mask_date(const std::string& text) {
  static const std::regex kDateTime(R"(\\n\d\d\.\d\d\.\d\d  \d\d:\d\d")");
  return std::regex_replace(text, kDateTime, R"(\ndd.mm.yy  hh:mm")");
}

// `line` with `text` written from column `column` (1-based) on, the line
// blank-padded as far as needed.
inline std::string place(std::string line, std::size_t column, std::string_view text) {
  const std::size_t start = column - 1;
  if (line.size() < start + text.size()) line.resize(start + text.size(), ' ');
  line.replace(start, text.size(), text);
  return line;
}

// A value right-aligned in a field of `width` columns.
inline std::string right(std::string_view value, std::size_t width = 10) {
  std::string field(width > value.size() ? width - value.size() : 0, ' ');
  field += value;
  return field;
}

// The 21 mandatory records of a valid case, each value distinct so that
// a value landing in the wrong quantity shows.  Comments follow column 10
// as in the files users write.
inline std::vector<std::string> mandatory_records() {
  return {
      place(right("0.25"), 31, "Two-DOF test section"),
      right("8.0") + "  t_E",
      right("2048") + "  npoints",
      right("0.1") + "  Y*_0_1",
      right("0.2") + "  Y*_0_2",
      right("0.3") + "  Y_0_1",
      right("0.4") + "  Y_0_2",
      right("5.0") + "  M_1",
      right("0.08") + "  M_2",
      right("0.1") + "  S_m",
      right("0.5") + "  D_1",
      right("0.02") + "  D_2",
      right("4000.0") + "  K_1",
      right("180.0") + "  K_2",
      right("7.0") + "  kappa",
      right("10.0") + "  a_0",
      right("4.5") + "  f_0",
      right("30.0") + "  phi",
      right("1.0E-6") + "  tolerance",
      right("2") + "  integ_method",
      right("6") + "  listing_unit",
  };
}

// The aerodynamic record: f_s, w_star, x_p, Ma, aero_scale.
inline std::string aero_record() {
  return right("800.0") + right("0.3", 12) + right("0.35", 12) + right("0.05", 12) + right("1.5", 12);
}

// The four coefficient records.
inline std::vector<std::string> coefficient_records() {
  return {right("1.1") + right("-1.2", 12), right("2.1") + right("-2.2", 12), right("3.1") + right("-3.2", 12),
          right("4.1") + right("-4.2", 12)};
}

// The six sweep records.
inline std::vector<std::string> sweep_records() {
  return {right("0.5") + "  x_ref", right("1.25") + "  rho", right("100.0") + "  q_start",
          right("40") + "  nstep",  right("7") + "  nextra", right("3") + "  coupling_tolerance"};
}

// The lines of `text`, each without its line end; text after the last line
// end is not a line.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Joins records into file text, each record ended by `line_end`.
inline std::string join(const std::vector<std::string>& records, std::string_view line_end = "\n") {
  std::string text;
  for (const std::string& record : records) {
    text += record;
    text += line_end;
  }
  return text;
}

// The names of the folders directly inside `cases_dir` (one folder per
// example case), sorted.
inline std::vector<std::string> case_names(const fs::path& cases_dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(cases_dir))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline std::vector<std::string> operator+(std::vector<std::string> a, std::string b) {
  a.push_back(std::move(b));
  return a;
}

using zelvan::test_support::ByLabel;

// The console text of a run up to the end of the start-up.
inline constexpr std::string_view kInputDataReadText = "\n*** Input data read -\n    Computation has started. \n\n";

struct RunResult {
  int status = -1;
  std::string console;
};

// Runs the whole program with `arguments` after the program's name and
// returns its status and console text.
inline RunResult run_program(const std::vector<std::string>& arguments) {
  std::vector<std::string> words{"zelvan"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::ostringstream console;
  RunResult result;
  {
    textio::ConsoleRedirect redirect(console);
    result.status = run_zelvan(words);
  }
  result.console = console.str();
  return result;
}

// Runs `steps` with the console captured.  A stop is reported as the
// program reports it: its console text after what was written so far, and
// its exit status.
template <class Steps>
RunResult capture_run(Steps&& steps) {
  std::ostringstream console;
  RunResult result;
  {
    textio::ConsoleRedirect redirect(console);
    try {
      steps();
      result.status = 0;
    } catch (const textio::RunStop& stop) {
      console << stop.console_text();
      result.status = stop.exit_status();
    }
  }
  result.console = console.str();
  return result;
}

// The start-up alone, on fresh records, for the command line `arguments`
// after the program's name.
inline RunResult run_start_up(const std::vector<std::string>& arguments) {
  reset_run_records();
  std::vector<std::string> words{"zelvan"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  set_command_line(words);
  return capture_run([] { start_up(); });
}

// The model of the run's case into the run context, as the run builds it.
inline void build_run_model() {
  RunContext& run = run_context();
  run.model = build_model(run.case_parameters);
}

// The flutter analysis of the run's case and model, its sweep and
// solution into the run context, as the run keeps them.
inline void analyse_run_flutter() {
  RunContext& run = run_context();
  FlutterAnalysis flutter = flutter_analysis(run.case_parameters, run.model);
  run.sweep = std::move(flutter.sweep);
  run.flutter_solution = std::move(flutter.solution);
}

// Writes `records` as "case.inp" into the working folder and runs the
// start-up and the model on it, and with `flutter` the flutter analysis.
inline RunResult run_analysis(const std::vector<std::string>& records, bool flutter = true) {
  write_file("case.inp", join(records));
  reset_run_records();
  const std::vector<std::string> words{"zelvan", "lnx", "case.inp"};
  set_command_line(words);
  return capture_run([flutter] {
    start_up();
    build_run_model();
    if (flutter) analyse_run_flutter();
  });
}

// A value as the shortest text (at most 10 characters) that reads back as
// the same double; fails the test when there is none.
inline std::string field_text(double value) {
  char text[32];
  for (int digits = 17; digits >= 1; --digits) {
    std::snprintf(text, sizeof text, "%.*G", digits, value);
    if (std::string_view(text).size() <= 10 && std::stod(text) == value) {
      // Shorten as long as the value still reads back unchanged.
      std::string best = text;
      for (int fewer = digits - 1; fewer >= 1; --fewer) {
        std::snprintf(text, sizeof text, "%.*G", fewer, value);
        if (std::stod(text) != value) break;
        best = text;
      }
      return best;
    }
  }
  ADD_FAILURE() << "no 10-column field for " << value;
  return "0";
}

// A whole case for the analysis steps: the structure and the aerodynamic
// and sweep blocks.  The time-history quantities are those of
// mandatory_records().
struct CaseInput {
  double M_1 = 1.0, M_2 = 1.0, S_m = 0.0;
  double K_1 = 400.0, K_m = 0.0, K_2 = 100.0;
  char marker = 'i';  // '.': with the coefficient records; 'i': without
  double f_s = 1000.0, w_star = 0.0, x_p = 0.35, Ma = 0.0, aero_scale = 1.0;
  std::array<double, 8> coefficients{};  // QR11 QS11 QR12 QS12 QR21 QS21 QR22 QS22
  bool sweep = false;                    // the sweep block, else its defaults
  double rho = 1.2, q_start = 0.0;
  int nstep = 20, nextra = 5;
};

inline std::vector<std::string> case_records(const CaseInput& c) {
  std::vector<std::string> records = mandatory_records();
  records[7] = right(field_text(c.M_1));
  records[8] = right(field_text(c.M_2));
  records[9] = right(field_text(c.S_m));
  records[12] = place(place(right(field_text(c.K_1)), 15, right(field_text(c.K_m))), 25, "<");
  records[13] = right(field_text(c.K_2));
  records.emplace_back(1, c.marker);
  records.push_back(right(field_text(c.f_s)) + right(field_text(c.w_star), 12) + right(field_text(c.x_p), 12) +
                    right(field_text(c.Ma), 12) + right(field_text(c.aero_scale), 12));
  if (c.marker == '.') {
    for (std::size_t i = 0; i < 8; i += 2)
      records.push_back(right(field_text(c.coefficients[i])) + right(field_text(c.coefficients[i + 1]), 12));
  }
  if (c.sweep) {
    records.emplace_back(".");
    records.push_back(right("1.0"));
    records.push_back(right(field_text(c.rho)));
    records.push_back(right(field_text(c.q_start)));
    records.push_back(right(std::to_string(c.nstep)));
    records.push_back(right(std::to_string(c.nextra)));
    records.push_back(right("5"));
  }
  return records;
}

// Reads `text`, written to a scratch file, into a fresh record.
inline CaseParameters read_text(std::string_view text) {
  ScratchDir dir;
  const fs::path file = dir / "case.inp";
  write_file(file, text);
  CaseParameters cp;
  read_input_file(cp, file.string());
  return cp;
}

// A shell command run to its end: its standard output and standard error
// together, and its exit status (-1 when it did not exit normally).
struct ShellRun {
  int status = -1;
  std::string output;
};

inline ShellRun run_in_shell(const std::string& command) {
  ShellRun run;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot start " << command;
    return run;
  }
  char buffer[4096];
  for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
  const int wait_status = pclose(pipe);
  if (WIFEXITED(wait_status)) run.status = WEXITSTATUS(wait_status);
  return run;
}

}  // namespace zelvan::driver::test_support
