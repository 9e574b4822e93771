// The p-method on a state-space model: the structural roots are tracked
// from the structural frequencies with the lag roots left out, and the
// flutter onset it refines is where the tracked root's real part is 0.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "flutter/p_method.hpp"

namespace zelvan::flutter {
namespace {

using Complex = std::complex<double>;

// A section (the bundled example's structure) with aerodynamics of
// Roger's form that flutter in the sweep: steady lift on the pitch column,
// aerodynamic damping and two lags.
StateSpaceModel fluttering_section() {
  StateSpaceModel m;
  m.mass = {5.0, 0.1, 0.1, 0.08};
  m.stiffness = {4000.0, 0.0, 0.0, 180.0};
  m.rho = 1.2;
  m.half_chord = 0.25;
  m.aero.lags = {0.1, 0.6};
  m.aero.a0 = {0.0, 0.0, 3.1, -0.55};
  m.aero.a1 = {3.1, -0.5, 1.5, 0.2};
  m.aero.a2 = {0.8, -0.2, 0.0, 0.05};
  m.aero.d = {{-0.5, 0.1, -1.0, 0.2}, {-0.3, 0.05, -0.4, 0.1}};
  return m;
}

TEST(PMethod, TracksTheStructuralRootsAndRefinesTheOnsetToWhereTheRealPartIsZero) {
  const StateSpaceModel m = fluttering_section();
  // f_0 from det(K - w^2 M) = 0, written out.
  const double a = m.mass[0] * m.mass[3] - m.mass[1] * m.mass[2];
  const double b = -(m.stiffness[0] * m.mass[3] + m.stiffness[3] * m.mass[0]);
  const double c = m.stiffness[0] * m.stiffness[3];
  const double w_hi = std::sqrt((-b + std::sqrt(b * b - 4 * a * c)) / (2 * a));
  const double w_lo = std::sqrt((-b - std::sqrt(b * b - 4 * a * c)) / (2 * a));
  std::vector<double> q;
  for (int i = 0; i <= 60; ++i) q.push_back(5.0 * i);
  const PMethodResult r = p_method(m, q, {w_lo / (2 * std::numbers::pi), w_hi / (2 * std::numbers::pi)});
  ASSERT_EQ(r.roots.size(), q.size());
  EXPECT_TRUE(r.roots[0].empty());  // no flow at q = 0
  // At the first speed the tracked roots are still near the structural ones.
  ASSERT_TRUE(r.tracked.modes[0][1] && r.tracked.modes[1][1]);
  EXPECT_NEAR(r.tracked.modes[0][1]->f * 2 * std::numbers::pi / w_lo, 1.0, 0.05);
  EXPECT_NEAR(r.tracked.modes[1][1]->f * 2 * std::numbers::pi / w_hi, 1.0, 0.05);
  // Every tracked root is off the real axis, so never a lag root.
  for (const auto& series : r.tracked.modes) {
    for (const auto& mode : series) {
      if (mode) {
        EXPECT_GT(mode->f, 0.0);
      }
    }
  }
  ASSERT_TRUE(r.critical.has_value());
  EXPECT_TRUE(r.critical->refined);
  // At the refined onset the tracked root has d = -Re s/2pi = 0 to the
  // crossing tolerance (a relative step in q of about 1e-10 moves d by far
  // less than 1e-6 of f).
  EXPECT_LT(std::fabs(r.critical->d), 1e-6 * r.critical->f);
}

}  // namespace
}  // namespace zelvan::flutter
