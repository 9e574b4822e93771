// The far-field integrals of the fast Possio kernel: integrals from t0 to
// infinity of H1(omega2 t) e^{-i omega1 t}, taken along the real axis up to
// where the asymptotic expansion of H1 holds and then down a path parallel
// to the negative imaginary axis, where the integrand decays.
#pragma once

#include <complex>

namespace zelvan::aero {

// Which part of H1 is integrated.
enum class FarFieldTerms {
  all,             // H1 itself
  beyond_leading,  // H1 minus the leading term sqrt(2/(pi z)) e^{-i(z - 3 pi/4)} of its expansion
};

// Where the path turns: from the point where omega2 t reaches this on,
// H1 is taken from its asymptotic expansion (smallest term about
// e^{-2|z|}, 4e-18 at |z| = 20).
inline constexpr double kFarFieldAsymptoticStart = 20.0;

struct FarFieldIntegral {
  std::complex<double> value;
  long real_axis_evaluations = 0;  // Hankel functions of a real argument
  long path_evaluations = 0;       // asymptotic sums of a complex argument
};

// Integral from t0 to infinity of [H1(omega2 t) - lead] e^{-i omega1 t} dt
// (lead = 0 for FarFieldTerms::all), H1 the Hankel function of the second
// kind of order 1.  omega1, omega2: frequencies per half chord, domain
// 0 < omega2 < omega1 (so that the integrand decays like e^{-(omega1 +
// omega2) s} down the path); t0: lower limit, t0 >= 2 (half chords).
// Method: 20-point Gauss-Legendre panels on the real axis from t0 to
// T = max(t0, 20/omega2), their length doubling from t0 up to two periods
// 4 pi/(omega1 + omega2); then t = T - i s, s from 0 to 40/(omega1 +
// omega2), on panels of length 4/(omega1 + omega2), with H1 by its
// asymptotic expansion (DLMF 10.17.4, coefficients DLMF 10.17.1).
// Relative error about 1e-12 (that of the real-argument Hankel functions
// near x = 15).  No failure.
FarFieldIntegral far_field_integral(double omega1, double omega2, double t0, FarFieldTerms terms);

}  // namespace zelvan::aero
