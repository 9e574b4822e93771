// Helpers shared by the study tests: scratch folders, files, the example
// input file and runs of shell commands.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

namespace zelvan::study::test_support {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes away.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string stem = "zelvan_study_test";
    if (info != nullptr) stem += std::string("_") + info->test_suite_name() + "_" + info->name();
    std::replace_if(
        stem.begin(), stem.end(), [](char c) { return c == '/' || c == ' '; }, '_');
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

 private:
  fs::path path_;
};

inline void write_text(const fs::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  ASSERT_TRUE(out.good()) << path;
}

inline std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline fs::path source_dir() { return ZELVAN_SOURCE_DIR; }

// The bundled, commented example input file (thin plate, with the sweep
// block, without the flutter-solution group).
inline std::string example_input() { return read_text(source_dir() / "examples" / "zelvan.inp"); }

// Runs `command` with /bin/sh and returns its exit status (128 + signal
// when a signal ended it).
inline int shell(const std::string& command) {
  const int status = std::system(command.c_str());
  if (status == -1) return -1;
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

// A word for the shell in single quotes.
inline std::string quoted(const std::string& word) {
  std::string text = "'";
  for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return text + "'";
}

}  // namespace zelvan::study::test_support
