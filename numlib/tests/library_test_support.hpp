// Shared pieces of the numerical library's tests: a fixture that resets the
// library's process-wide state and captures its message lines, and a seeded
// source of reproducible random numbers.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "core/core.hpp"
#include "numlib/numlib.hpp"

namespace zelvan::numlib::test_support {

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_error_handler();
    reset_units();
    reset_option_store();
  }
  void TearDown() override { reset_error_handler(); }

  // Runs `action`; returns true when it stopped the run as a library error.
  static bool stops(const std::function<void()>& action) {
    try {
      action();
    } catch (const core::RunStop& stop) {
      EXPECT_EQ(stop.exit_status(), 3);
      return true;
    }
    return false;
  }

  // The message text with continuation lines joined to their first line.
  std::string unwrapped() const {
    std::string text = out.str();
    const std::string continuation = "\n ***          ";
    for (std::size_t at; (at = text.find(continuation)) != std::string::npos;)
      text.replace(at, continuation.size(), " ");
    return text;
  }

  std::ostringstream out;
  core::StreamSink sink{out};
  core::MessageSinkRedirect redirect{sink};
};

// Where element (i, j), 0-based, of a matrix stored by columns with leading
// dimension ld lies; the offset is formed in std::size_t.
inline std::size_t column_major(int i, int j, int ld) {
  return static_cast<std::size_t>(j) * static_cast<std::size_t>(ld) + static_cast<std::size_t>(i);
}

// Uniform numbers from a fixed-seed engine.  The mapping of the engine's
// bits is written out, so the sequence is the same with every standard
// library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}
  // Uniform in [-1, 1).
  double uniform() { return static_cast<double>(engine_() >> 11) * 0x1p-52 - 1.0; }
  std::complex<double> complex_uniform() {
    const double re = uniform();
    return {re, uniform()};
  }
  // Uniform integer in [0, n).
  int below(int n) { return static_cast<int>(engine_() % static_cast<std::uint64_t>(n)); }

 private:
  std::mt19937_64 engine_;
};

// The largest value of an error measure seen so far and where it occurred;
// a NaN sticks as the worst value.
struct Worst {
  double value = 0.0;
  std::string where;
  void note(double v, const std::string& at) {
    if (std::isnan(value) || v <= value) return;
    value = v;
    where = at;
  }
};

}  // namespace zelvan::numlib::test_support
