// The program's aeroelastic section as an initial-value problem for the
// integrator DIVPAG, with the coefficients of a typical case: plunge and
// pitch, aerodynamic stiffness and damping, a harmonic force.  The state is
// y = (velocities, displacements) and the problem has the form A y' = f with
// A = [[M, 0], [0, I]], as the time history sets it up.  Shared by the
// integrator's tests and its benchmark; header only and free of any test
// framework.
#pragma once

#include <array>
#include <cmath>

namespace zelvan::test_support::section_problem {

// Structural mass (plunge, pitch, coupling), damping and stiffness.
inline constexpr double kM1 = 5.0, kM2 = 0.08, kSm = 0.1, kD1 = 0.5, kD2 = 0.02, kK1 = 4000.0, kK2 = 180.0;
// Dynamic-pressure factor and the reciprocal reference circular frequency.
inline constexpr double kFs = 800.0, kInvOmega = 1.0 / (6.28318530717958 * 7.5);
// Aerodynamic stiffness (QR) and damping (QS) coefficients.
inline constexpr double kQR12 = 0.6, kQR22 = -0.1, kQS11 = 1.5, kQS12 = 0.3, kQS22 = 0.05;
// A by columns, 4 x 4.
inline constexpr std::array<double, 16> kSectionMass = {kM1, kSm, 0, 0, kSm, kM2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The right-hand side f(t, y) in DIVPAG's form; n is 4.
inline void section(int, double t, const double* y, double* f) {
  const double force = 10.0 * std::cos(6.28318530717958 * 4.5 * t);
  const double aero1 = kQS11 * kInvOmega * y[0] + kQS12 * kInvOmega * y[1] + kQR12 * y[3];
  const double aero2 = kQS22 * kInvOmega * y[1] + kQR22 * y[3];
  f[0] = -kD1 * y[0] - kK1 * y[2] - kFs * aero1 + force;
  f[1] = -kD2 * y[1] - kK2 * y[3] - kFs * aero2;
  f[2] = y[0];
  f[3] = y[1];
}

}  // namespace zelvan::test_support::section_problem
