// The coefficient grid of the Possio route: its interpolation error between
// the grid points against exact solves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>

#include "aero/coefficient_grid.hpp"

namespace zelvan::aero {
namespace {

// The interpolation error relative to the largest coefficient.
constexpr double kGridTolerance = 1e-5;

TEST(PossioGrid, InterpolatesWithinItsToleranceOfTheLargestCoefficient) {
  for (const double mach : {0.5, 0.7}) {
    AeroRouteEvaluator route(AeroRoute::possio, 0.3, 1.0, "k");
    // The widest range the run uses at its upper end (ratio 8,
    // 2k/(1 - Ma^2) <= 8), with the run's 18 points.
    const double k_hi = 4.0 * (1.0 - mach * mach), k_lo = k_hi / 8.0;
    const CoefficientGrid grid(route, mach, k_lo, k_hi, 18);
    double error = 0.0, largest = 0.0;
    // Between grid points (exact solves cost about 0.1 s each).
    constexpr int kSamples = 8;
    for (int i = 0; i < kSamples; ++i) {
      const double k = k_lo * std::pow(k_hi / k_lo, (i + 0.5) / kSamples);
      const Matrix2 exact = route.coefficients(k, mach);
      const Matrix2 interpolated = grid.at(k);
      for (std::size_t j = 0; j < 4; ++j) {
        error = std::max(error, std::abs(exact[j] - interpolated[j]));
        largest = std::max(largest, std::abs(exact[j]));
      }
    }
    EXPECT_LT(error, kGridTolerance * largest) << "Ma " << mach;
    char text[32];
    std::snprintf(text, sizeof text, "%.2e", error / largest);
    RecordProperty(mach == 0.5 ? "relative_error_ma05" : "relative_error_ma07", text);
  }
}

}  // namespace
}  // namespace zelvan::aero
