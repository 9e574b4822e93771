// The matched point's iteration on model critical crossings: the secant
// where substitution oscillates, the bisection where a secant step leaves
// the bracket, and each of its stops.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>

#include "flutter/matched_point.hpp"
#include "test_support/by_label.hpp"

namespace zelvan::flutter {
namespace {

// A crossing with the given k and u.
Crossing crossing_with(double k, double u) {
  Crossing c;
  c.k = k;
  c.u = u;
  c.q = 0.6 * u * u;
  return c;
}

TEST(MatchedPoint, SecantConvergesWhereSubstitutionOscillates) {
  // k_F(w) = k* - 0.65 (w - k*) + 0.3 (w - k*)^2: substitution gains only a
  // factor 0.65 per step.
  const double k_star = 0.5;
  int calls = 0;
  const CriticalAt critical = [&](double w, double) -> std::optional<Crossing> {
    ++calls;
    const double e = w - k_star;
    return crossing_with(k_star - 0.65 * e + 0.3 * e * e, 10.0);
  };
  const MatchedPoint m = matched_point(0.6, 0.0, MatchSettings{.tolerance = 1e-10, .iteration_limit = 30}, critical,
                                       [](double k, double mach) { return k > 0.0 && std::fabs(mach) < 1.0; });
  EXPECT_TRUE(m.converged());
  EXPECT_LE(calls, 10);
  EXPECT_NEAR(m.critical->k, k_star, 1e-9);
}

TEST(MatchedPoint, BisectsWhereTheSecantStepLeavesTheBracketAndStillConverges) {
  // k_F(w) = w - (exp(30 (w - k*)) - 1)/30: the residual is flat below k*
  // and steep above it.  From 0.55 the substitution step overshoots below
  // k*, and the secant through the two iterates there points past 0.55.
  constexpr double k_star = 0.5;
  constexpr double kTolerance = 1e-10;
  // The residual's slope is -1 at k*, so an iterate whose residual meets
  // the tolerance is within it of k*, with a margin of 2 for the slope
  // away from k*.
  constexpr double kFixedPointBound = 2.0 * kTolerance * k_star;
  const CriticalAt critical = [&](double w, double) -> std::optional<Crossing> {
    return crossing_with(w - std::expm1(30.0 * (w - k_star)) / 30.0, 10.0);
  };
  const MatchedPoint m =
      matched_point(0.55, 0.0, MatchSettings{.tolerance = kTolerance, .iteration_limit = 30}, critical,
                    [](double k, double mach) { return k > 0.0 && std::fabs(mach) < 1.0; });
  ASSERT_TRUE(m.converged());
  EXPECT_NEAR(m.iterations.back().w_star, k_star, kFixedPointBound);
  EXPECT_NEAR(m.critical->k, k_star, kFixedPointBound);
  // A bisection step: an iterate exactly midway between two earlier ones.
  const auto& it = m.iterations;
  bool bisected = false;
  for (std::size_t n = 2; n < it.size(); ++n) {
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i + 1; j < n; ++j) bisected |= it[n].w_star == 0.5 * (it[i].w_star + it[j].w_star);
    }
  }
  EXPECT_TRUE(bisected);
}

struct StopCase {
  std::string label;
  MatchStop stop;
  MatchSettings settings;
  std::function<std::optional<Crossing>(double, double)> critical;
};

class MatchedPointStop : public ::testing::TestWithParam<StopCase> {};

TEST_P(MatchedPointStop, EndsWithTheLastIterateNotConverged) {
  const StopCase& c = GetParam();
  const MatchedPoint m = matched_point(0.5, 0.3, c.settings, c.critical, [](double k, double mach) {
    return k > 0.0 && k < 2.0 && mach >= 0.1 && mach < 1.0;
  });
  EXPECT_EQ(m.stop, c.stop);
  EXPECT_FALSE(m.converged());
  EXPECT_FALSE(m.iterations.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Stops, MatchedPointStop,
    ::testing::Values(
        StopCase{"NoOnset", MatchStop::no_onset, MatchSettings{},
                 [](double w, double) -> std::optional<Crossing> {
                   if (w != 0.5) return std::nullopt;
                   return crossing_with(0.4, 10.0);
                 }},
        StopCase{"MachOutside", MatchStop::mach_outside, MatchSettings{.match_mach = true, .sound_speed = 10.0},
                 [](double w, double) -> std::optional<Crossing> { return crossing_with(w, 30.0); }},
        StopCase{"FrequencyOutside", MatchStop::frequency_outside, MatchSettings{},
                 [](double w, double) -> std::optional<Crossing> { return crossing_with(w + 1.0, 10.0); }},
        StopCase{"Limit", MatchStop::limit, MatchSettings{.tolerance = 1e-12, .iteration_limit = 2},
                 [](double w, double) -> std::optional<Crossing> { return crossing_with(0.4 + 0.1 * w, 10.0); }}),
    test_support::ByLabel{});

}  // namespace
}  // namespace zelvan::flutter
