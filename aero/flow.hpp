// The flow quantities of the section: flow speed from dynamic pressure and
// reduced frequency from a frequency of oscillation, with the program's
// digits of 2*pi.
#pragma once

#include <cmath>
#include <limits>

namespace zelvan::aero {

// 2*pi as the program uses it for frequencies.  Deliberately truncated to
// the 15 significant digits of the legacy program (1e-15 relative below the
// full-precision value): every printed frequency, damping and reduced
// frequency, and the thin-plate coefficients, are computed with these
// digits, and the byte-exact outputs depend on them.
inline constexpr double kTwoPi = 6.28318530717958;

// The flow speed u = sqrt(2|q|/rho) [m/s] of dynamic pressure q [N/m^2]
// (either sign: a sweep may run in negative q) in air of density rho
// [kg/m^3], rho > 0.
inline double flow_speed(double q, double rho) { return std::sqrt(2.0 * std::fabs(q) / rho); }

// The reduced frequency k = 2 pi f (x_ref/2) / u of an oscillation of
// frequency f [Hz] at flow speed u [m/s] on reference length x_ref [m] (the
// chord; x_ref/2 the half chord); NaN when u is zero.
inline double reduced_frequency(double f, double x_ref, double u) {
  const double numerator = kTwoPi * f * (x_ref / 2.0);
  return u != 0.0 ? numerator / u : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace zelvan::aero
