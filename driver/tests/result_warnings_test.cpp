// The growth test of the warnings on results that cannot mean anything
// (the messages themselves run end to end in the edge-input table).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "driver/result_warnings.hpp"

namespace zelvan::driver {
namespace {

// A history of `n` values: `early` for the first tenth, then `late`, with
// one value `last` at the end.
std::vector<double> history(int n, double early, double late, double last) {
  std::vector<double> x(static_cast<std::size_t>(n), late);
  for (int i = 0; i < n / kEarlyFraction; ++i) x[static_cast<std::size_t>(i)] = early;
  x.back() = last;
  return x;
}

TEST(UnstableGrowth, IsMoreThanAMillionTimesTheLargestEarlyMagnitude) {
  struct Case {
    const char* what;
    std::vector<double> x;
    bool grows;
  };
  const double nan = std::nan("");
  const Case cases[] = {
      {"decaying", history(100, 0.01, 0.001, 0.0), false},
      {"growing to exactly 1e6 times", history(100, 0.01, 0.0, 1.0e4), false},
      {"growing beyond 1e6 times", history(100, 0.01, 0.0, 1.0001e4), true},
      {"negative values count by magnitude", history(100, -0.01, 0.0, -2.0e4), true},
      {"a value that is not a number", history(100, 0.01, 0.0, nan), true},
      {"an infinite value", history(100, 0.01, 0.0, HUGE_VAL), true},
      {"no early scale (a zero start)", history(100, 0.0, 0.0, 1.0), false},
      // Fewer than ten values: the early part is the initial value alone.
      {"a short history", {1.0e-3, 0.0, 2.0e3}, true},
      {"the initial value only", {5.0}, false},
      {"no values", {}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(grows_unstably(c.x), c.grows) << c.what;
}

}  // namespace
}  // namespace zelvan::driver
