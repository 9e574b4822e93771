// The coefficient grid of the Possio route: its interpolation error between
// the grid points against exact solves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <limits>
#include <string>

#include "aero/coefficient_grid.hpp"

namespace zelvan::aero {
namespace {

// The p-k analysis asks the grid for 1e-7 of the largest coefficient.
constexpr double kGridTolerance = 1e-7;

struct GridRange {
  double mach, k_lo, k_hi;
};

TEST(PossioGrid, InterpolatesWithinItsToleranceOfTheLargestCoefficientWithThePointsItsRangeTakes) {
  // The bundled example's range at Ma 0.5, and ranges to the end of the
  // domain 2k/(1 - Ma^2) = 25 from low k, at low, middle and high Ma.
  const GridRange ranges[] = {{0.5, 0.37, 5.24}, {0.7, 0.05, 6.375},   {0.95, 0.01, 1.2187},
                              {0.3, 0.05, 10.0}, {0.1001, 0.2, 12.37}, {0.9, 1.0, 2.37}};
  for (const GridRange& r : ranges) {
    AeroRouteEvaluator route(AeroRoute::possio, 0.35, 1.0, "k");
    const CoefficientGrid grid(route, r.mach, r.k_lo, r.k_hi, grid_points(r.mach, r.k_lo, r.k_hi));
    double error = 0.0;
    double largest = 0.0;
    constexpr int kSamples = 60;
    for (int i = 0; i < kSamples; ++i) {
      const double k = r.k_lo * std::pow(r.k_hi / r.k_lo, (i + 0.5) / kSamples);
      const Matrix2 exact = route.coefficients(k, r.mach);
      const Matrix2 interpolated = grid.at(k);
      for (std::size_t j = 0; j < 4; ++j) {
        error = std::max(error, std::abs(exact[j] - interpolated[j]));
        largest = std::max(largest, std::abs(exact[j]));
      }
    }
    EXPECT_LT(error, kGridTolerance * largest) << "Ma " << r.mach << ", k " << r.k_lo << " to " << r.k_hi;
    char text[32];
    std::snprintf(text, sizeof text, "%zu points, %.2e", grid.size(), error / largest);
    RecordProperty("ma_" + std::to_string(r.mach), text);
  }
}

TEST(PossioGrid, EndsWhereTheRoutesDomainEnds) {
  const AeroRouteEvaluator route(AeroRoute::possio, 0.35, 1.0, "k");
  for (const double mach : {0.1001, 0.3, 0.5, 0.7, 0.9, 0.95, 0.999}) {
    const double k = route.highest_frequency(mach);
    EXPECT_TRUE(route.in_domain(k, mach)) << "Ma " << mach;
    EXPECT_FALSE(route.in_domain(k * (1.0 + 4.0 * std::numeric_limits<double>::epsilon()), mach)) << "Ma " << mach;
  }
  EXPECT_EQ(route.highest_frequency(0.05), 0.0);
  EXPECT_EQ(AeroRouteEvaluator(AeroRoute::external, 0.35, 1.0, "k").highest_frequency(0.5), 0.0);
  EXPECT_EQ(AeroRouteEvaluator(AeroRoute::thin_plate, 0.35, 1.0, "k").highest_frequency(0.5), INFINITY);
}

TEST(PossioGrid, FindsTheFrequencyOfAnyValueOfItsVariable) {
  // ln k + k/(1 - Ma) from k = 5e-5 (s = -10) to beyond the domain's end.
  constexpr double kRoundTrip = 8 * std::numeric_limits<double>::epsilon();
  for (const double mach : {0.0, 0.5, 0.95}) {
    for (const double s : {-10.0, -1.0, 0.0, 0.7, 3.0, 30.0, 120.0}) {
      const double k = grid_frequency(s, mach);
      EXPECT_NEAR(grid_variable(k, mach), s, kRoundTrip * std::max(1.0, std::fabs(s))) << "Ma " << mach << ", s " << s;
    }
  }
}

}  // namespace
}  // namespace zelvan::aero
