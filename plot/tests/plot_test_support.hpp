// Helpers shared by the plot tests: a scratch working folder, a fixed
// clock and the lines of a text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "plot/clock.hpp"
#include "test_support/scratch_dir.hpp"

namespace zelvan::plot::test_support {

namespace fs = std::filesystem;

// A scratch folder that is the working folder for the lifetime of the
// object (see zelvan::test_support::ScratchWorkingDir).
class ScratchWorkingDir : public zelvan::test_support::ScratchWorkingDir {
 public:
  ScratchWorkingDir() : zelvan::test_support::ScratchWorkingDir("zelvan_plot_test") {}
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
