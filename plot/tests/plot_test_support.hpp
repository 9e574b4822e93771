// Helpers shared by the plot tests: a scratch working folder, a fixed
// clock and the lines of a text.
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

#include "plot/clock.hpp"

namespace zelvan::plot::test_support {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, the working folder
// for the lifetime of the object; then the previous working folder is
// restored and the folder removed with everything in it.
class ScratchWorkingDir {
 public:
  ScratchWorkingDir() : previous_(fs::current_path()) {
    std::random_device seed;
    do {
      path_ = fs::temp_directory_path() / ("zelvan_plot_test_" + std::to_string(seed()));
    } while (!fs::create_directory(path_));
    fs::current_path(path_);
  }
  ~ScratchWorkingDir() {
    std::error_code ec;
    fs::current_path(previous_, ec);
    fs::remove_all(path_, ec);
  }
  ScratchWorkingDir(const ScratchWorkingDir&) = delete;
  ScratchWorkingDir& operator=(const ScratchWorkingDir&) = delete;

 private:
  fs::path previous_;
  fs::path path_;
};

inline std::string read_file(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// The lines of `text`, each ended by a line feed.
inline std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text.substr(start, end - start));
  }
  return lines;
}

// `text` blank-padded to `width` columns.
inline std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// Replaces the clock of uhrdat for the lifetime of the object by one that
// starts at `start` and advances one minute with every call.
class FixedClock {
 public:
  explicit FixedClock(const LocalDateTime& start) : previous_(set_local_clock(&tick)) { now() = start; }
  ~FixedClock() { set_local_clock(previous_); }
  FixedClock(const FixedClock&) = delete;
  FixedClock& operator=(const FixedClock&) = delete;

 private:
  static LocalDateTime& now() {
    static LocalDateTime value;
    return value;
  }
  static LocalDateTime tick() { return {now().year, now().month, now().day, now().hour, now().minute++, now().second}; }
  LocalClock previous_;
};

}  // namespace zelvan::plot::test_support
