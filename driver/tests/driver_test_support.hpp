// Helpers shared by the driver tests: scratch folders, input files built
// record by record, and runs of the whole program with the console captured.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/driver.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver::test_support {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes away.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string stem = "zelvan_driver_test";
    if (info != nullptr) {
      stem += '_';
      stem += info->test_suite_name();
      stem += '_';
      stem += info->name();
    }
    std::replace_if(stem.begin(), stem.end(), [](char c) { return c == '/' || c == ' '; }, '_');
    std::random_device seed;
    for (;;) {
      path_ = fs::temp_directory_path() / (stem + '_' + std::to_string(seed()));
      if (fs::create_directory(path_)) break;
    }
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const fs::path& path() const { return path_; }
  fs::path operator/(const fs::path& name) const { return path_ / name; }

  // The names of the entries in the folder, sorted.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

// Makes `dir` the working folder for the lifetime of the object.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }
  ~WorkingDirectory() {
    std::error_code ec;
    fs::current_path(previous_, ec);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  fs::path previous_;
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
  return {right("0.5") + "  x_ref", right("1.25") + "  rho",   right("100.0") + "  q_start",
          right("40") + "  nstep", right("7") + "  nextra", right("3") + "  coupling_tolerance"};
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

inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline std::vector<std::string> operator+(std::vector<std::string> a, std::string b) {
  a.push_back(std::move(b));
  return a;
}

// Names the instances of a parameterised test by their `label` field.
struct ByLabel {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& param_info) const {
    return param_info.param.label;
  }
};

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

// Reads `text`, written to a scratch file, into a fresh record.
inline CaseParameters read_text(std::string_view text) {
  ScratchDir dir;
  const fs::path file = dir / "case.inp";
  write_file(file, text);
  CaseParameters cp;
  read_input_file(cp, file.string());
  return cp;
}

}  // namespace zelvan::driver::test_support
