// The far-field integrals of the fast Possio kernel, of H1(omega2 t)
// e^{-i omega1 t} out to infinity: the whole one from 0 in closed form, and
// the part beyond the leading term of H1's expansion from a cut, taken
// along the real axis up to where the asymptotic expansion of H1 holds and
// then down a path parallel to the negative imaginary axis, where the
// integrand decays.
#pragma once

#include <complex>

namespace zelvan::aero {

// F = integral from 0 to infinity of [H1(omega2 t) - (2i/(pi omega2 t))
// 1(t < 2)] e^{-i omega1 t} dt, omega1 = k/(1 - M^2), omega2 = M omega1,
// H1 the Hankel function of the second kind of order 1 (the subtracted
// term, its singular part, only up to t = 2, so that F minus the integral
// of H1 - 2i/(pi omega2 t) from 0 to 2 is the integral of H1 from 2 on).
// From the Laplace transforms of J1 and Y0, (sqrt(p^2 + a^2) - p)/(a
// sqrt(p^2 + a^2)) and -(2/pi) arsinh(p/a)/sqrt(p^2 + a^2), taken to
// p = i omega1 (docs/possio-solver.md, "The far-field constant in closed
// form"): F = (2i/(pi k M)) [beta^2 (ln(2/M) + E1(2i omega1)) - beta
// ln((1 + beta)/M)], beta = sqrt(1 - M^2).  e1_2i_omega1 = E1(2i omega1),
// which the caller has.  0 < mach < 1, k > 0.  No failure.
std::complex<double> far_field_from_zero(double mach, double k, std::complex<double> e1_2i_omega1);

// Where the path turns: from the point where omega2 t reaches this on,
// H1 is taken from its asymptotic expansion (smallest term about
// e^{-2|z|}, 4e-18 at |z| = 20).
inline constexpr double kFarFieldAsymptoticStart = 20.0;

struct FarFieldIntegral {
  std::complex<double> value;
  long real_axis_evaluations = 0;  // Hankel functions of a real argument
  long path_evaluations = 0;       // asymptotic sums of a complex argument
};

// Integral from t0 to infinity of [H1(omega2 t) - lead] e^{-i omega1 t} dt,
// lead = sqrt(2/(pi z)) e^{-i(z - 3 pi/4)} the leading term of the
// expansion of H1(z), H1 the Hankel function of the second kind of order 1.  omega1, omega2: frequencies per half
// chord, domain 0 < omega2 < omega1 (so that the integrand decays like e^{-(omega1 + omega2) s} down the path); t0:
// lower limit, t0 >= 2 (half chords). Method: 20-point Gauss-Legendre panels on the real axis from t0 to T = max(t0,
// 20/omega2), their length doubling from t0 up to two periods 4 pi/(omega1 + omega2); then t = T - i s, s from 0 to
// 40/(omega1 + omega2), on panels of length 4/(omega1 + omega2), with H1 by its asymptotic expansion (DLMF 10.17.4,
// coefficients DLMF 10.17.1). Relative error about 1e-12 (that of the real-argument Hankel functions near x = 15).  No
// failure.
FarFieldIntegral far_field_beyond_leading(double omega1, double omega2, double t0);

}  // namespace zelvan::aero
