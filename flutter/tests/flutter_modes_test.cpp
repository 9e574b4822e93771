// The eigen-solutions of one dynamic pressure: a mode whose plunge
// component lies below the normalisation guard is scaled by taking that
// component as 1, so its ratio is the pitch component itself, not a
// quotient of the order of 1/guard.
#include <gtest/gtest.h>

#include <cmath>

#include "flutter/flutter_modes.hpp"

namespace zelvan::flutter {
namespace {

// The eigen-solver's rounding on a unit eigenvector and on sqrt(lambda).
constexpr double kSolverRounding = 1e-12;
// Above the plunge components this test makes (c/300 <= 1e-11), below
// anything a ratio of order 1/guard would give.
constexpr double kSmallRatio = 1e-10;

struct GuardCase {
  const char* label;
  double coupling;  // stiffness coupling K_12 = K_21 [kg/s^2]
};

void PrintTo(const GuardCase& c, std::ostream* os) { *os << c.label; }

class PlungeComponentGuard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(PlungeComponentGuard, ScalesThePitchModeAsIfItsPlungeComponentWereOne) {
  // M = I, K = [[400, c], [c, 100]] and no aerodynamic load: the pitch
  // mode (about 10/2pi Hz) has the plunge component c/300 or none.
  const FlutterSystem system{.mass_inverse = {1, 0, 0, 1},
                             .stiffness = {400, GetParam().coupling, GetParam().coupling, 100},
                             .rho = 1.2,
                             .x_ref = 1.0};
  const FlutterStep step = solve_flutter_step(system, Matrix2{}, 0.0);
  const int pitch = step.modes[0].f < step.modes[1].f ? 0 : 1;
  const FlutterMode& m = step.modes[static_cast<std::size_t>(pitch)];
  EXPECT_NEAR(m.f, 10.0 / (2 * M_PI), kSolverRounding);
  EXPECT_EQ(m.e1, zcomplex(1.0, 0.0));
  // The eigenvector has unit length: its pitch component, the ratio, has
  // magnitude 1 (to the solver's rounding) instead of about 1/guard.
  EXPECT_NEAR(m.magnitude, 1.0, kSolverRounding);
  EXPECT_NEAR(std::abs(m.ratio), 1.0, kSolverRounding);
  // The plunge mode keeps its ratio, the small pitch component over 1.
  const FlutterMode& plunge = step.modes[static_cast<std::size_t>(1 - pitch)];
  EXPECT_LT(std::abs(plunge.ratio), kSmallRatio);
}

INSTANTIATE_TEST_SUITE_P(Couplings, PlungeComponentGuard,
                         ::testing::Values(GuardCase{"Uncoupled", 0.0}, GuardCase{"CouplingBelowTheGuard", 3e-9}),
                         [](const ::testing::TestParamInfo<GuardCase>& param) { return param.param.label; });

}  // namespace
}  // namespace zelvan::flutter
