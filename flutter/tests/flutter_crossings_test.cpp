// The crossings of a tracked series: onsets of both modes refined to the
// tolerance, and the critical one of lower |q| in either order and on a
// sweep in negative q.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "flutter/flutter_crossings.hpp"
#include "test_support/by_label.hpp"

namespace zelvan::flutter {
namespace {

// A refined crossing: 1e-10 relative in q, with margin for the rounding of
// the eigen-solver at the root.
constexpr double kRefinedTolerance = 1e-9;

double relative(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// Onsets of both modes at the given q, table-driven over which comes first.
struct OnsetCase {
  std::string label;
  std::array<double, 2> onset;  // q of the onset of tracked modes 0 and 1
  double q_end;                 // the sweep runs from 0 to q_end in ten steps
};

class BothModesUnstable : public ::testing::TestWithParam<OnsetCase> {};

TEST_P(BothModesUnstable, ReportsBothOnsetsAndTakesTheOneOfLowerMagnitudeAsCritical) {
  const OnsetCase& c = GetParam();
  // d = 1 - q/onset for each mode, linear in q, so the refinement lands on
  // the onset itself.
  TrackedSeries series;
  for (int i = 0; i <= 10; ++i) {
    const double q = c.q_end * i / 10.0;
    series.q.push_back(q);
    for (std::size_t m = 0; m < 2; ++m) {
      FlutterMode mode;
      mode.f = 5.0 + static_cast<double>(m);
      mode.d = 1.0 - q / c.onset[m];
      series.modes[m].push_back(mode);
    }
  }
  const ModeInBracket linear = [](double q, double q_a, const FlutterMode& a, double q_b,
                                  const FlutterMode& b) -> std::optional<FlutterMode> {
    FlutterMode m = a;
    m.d = a.d + (q - q_a) / (q_b - q_a) * (b.d - a.d);
    return m;
  };
  const std::vector<Crossing> crossings = find_crossings(series, linear, 1.2, 1.0);
  ASSERT_EQ(crossings.size(), 2u);
  for (std::size_t m = 0; m < 2; ++m) {
    EXPECT_EQ(crossings[m].kind, CrossingKind::onset);
    EXPECT_EQ(crossings[m].mode, static_cast<int>(m));
    EXPECT_LT(relative(crossings[m].q, c.onset[m]), kRefinedTolerance) << crossings[m].q;
  }
  const std::size_t first = std::fabs(c.onset[0]) < std::fabs(c.onset[1]) ? 0 : 1;
  const std::optional<Crossing> critical = critical_crossing(crossings);
  ASSERT_TRUE(critical);
  EXPECT_EQ(critical->mode, static_cast<int>(first));
  EXPECT_EQ(critical->q, crossings[first].q);
}

INSTANTIATE_TEST_SUITE_P(Orders, BothModesUnstable,
                         ::testing::Values(OnsetCase{"SecondModeFirst", {270.0, 130.0}, 400.0},
                                           OnsetCase{"FirstModeFirst", {130.0, 270.0}, 400.0},
                                           // The lower |q| is the larger q here.
                                           OnsetCase{"NegativeSweep", {-270.0, -130.0}, -400.0}),
                         test_support::ByLabel{});

}  // namespace
}  // namespace zelvan::flutter
