// The kernel of Possio's integral equation for a thin profile oscillating
// harmonically in subsonic compressible flow, as the collocation solver
// uses it: the far-field constant C0 and the regular part K_reg of the
// kernel, what remains after the Cauchy and logarithmic singularities
//   -beta/(4 pi X) + (i k/(4 pi beta)) ln|X|
// are taken out (the solver integrates those analytically).
//
// Distances are in half chords; k is the reduced frequency referred to the
// half chord; beta^2 = 1 - M^2, omega1 = k/beta^2, omega2 = k M/beta^2,
// omega3 = k M^2/beta^2.  The full kernel is
//   K(X) = (i k/(8 beta)) [ e^{i omega3 X} (i M^2 H0(z) + M s H1(z))
//                           - e^{-i k X} i k M J(X) ],
// z = omega2 |X|, s = sgn(X), J(X) = integral from -infinity to X of
// sgn(u) H1(omega2 |u|) e^{i omega1 u} du (principal value).
#pragma once

#include <cmath>
#include <complex>

#include "aero/detail/hankel.hpp"

namespace zelvan::aero {

// Lowest Mach number of the integral equation (below it the driver uses
// thin-plate theory).
inline constexpr double kPossioMinMach = 0.1;
// Largest 2k/(1 - M^2) = 2 omega1 taken: the power series of E1 at
// arguments up to 2 omega1 in modulus loses about e^|z| / |z|^1.5 units of
// rounding, 1e-10 at 20 and 7e-8 at 25, and is useless beyond 35.
inline constexpr double kPossioMaxSeriesArgument = 25.0;
// Relative tolerance of every quadrature of the kernel.
inline constexpr double kPossioQuadratureTolerance = 1e-8;
// The near-field integrand is taken as zero for |u| at or below this.
inline constexpr double kPossioIntegrandZero = 1.0000000000000002e-12;
// Lower limit of the near-field integral and upper limit of the
// far-field one (half chords).
inline constexpr double kPossioNearFieldStart = -2.0;
// The far-field integral is taken numerically from here to -2 and by the
// leading asymptotic term of H1 (a Fresnel integral) beyond.
inline constexpr double kPossioFarFieldCut = -5000.0;

// Ends the run (textio::RunStop, limit_violation) with its message when
// the Mach number `mach` or the reduced frequency `k` lies outside the
// kernel's domain: 0.1 <= mach < 1, 0 < k < infinity and 2k/(1 - mach^2)
// <= 25 (kPossioMaxSeriesArgument).  NaN fails every check.  Returns
// otherwise.
void check_possio_kernel_domain(double mach, double k);

class PossioKernel {
 public:
  // Sets up the kernel for Mach number `mach` and reduced frequency `k`
  // and computes C0 (one far-field quadrature and one Fresnel quadrature).
  // Domain: 0.1 <= mach < 1, 0 < k < infinity and 2k/(1 - mach^2) <= 25
  // (kPossioMaxSeriesArgument); outside it the run ends
  // (textio::RunStop, limit_violation) with a message.  Quadrature
  // failures end the run as romberg() says.
  PossioKernel(double mach, double k);

  double mach() const { return mach_; }
  double k() const { return k_; }
  double beta() const { return beta_; }
  double beta2() const { return beta2_; }

  // The far-field constant C0 = integral from -infinity to -2 of
  // sgn(u) H1(omega2 |u|) e^{i omega1 u} du.
  std::complex<double> c0() const { return c0_; }

  // Regular part of the kernel at distance x (collocation point minus
  // source point, half chords); domain x != 0, |x| < 2.  Runs one
  // near-field quadrature for x < 0, two for x > 0.
  std::complex<double> k_reg(double x);

  // The bracket K1 of the regular kernel, K_reg = (i k/(8 beta)) K1; it
  // stays finite as x -> 0.  Same domain as k_reg.
  std::complex<double> k1(double x);

  // Integrand of the near-field integral I(x) = integral from -2 to x:
  // f(u) = sgn(u) [H1(omega2 |u|) - 2i/(pi omega2 |u|)] e^{i omega1 u},
  // and 0 for |u| <= 1.0000000000000002e-12.
  std::complex<double> near_field_integrand(double u) const {
    if (std::fabs(u) <= kPossioIntegrandZero) return {};
    const std::complex<double> reg = hankel_detail::h1_regular(omega2_ * std::fabs(u));
    return signed_rotation(u, reg);
  }

  // Integrand of the far-field integral: g(u) = sgn(u) H1(omega2 |u|)
  // e^{i omega1 u}, u != 0.
  std::complex<double> far_field_integrand(double u) const {
    return signed_rotation(u, hankel_detail::h1(omega2_ * std::fabs(u)));
  }

  // Integrand values computed so far by the near-field and far-field
  // quadratures (each one Hankel function and one complex exponential),
  // and by the Fresnel quadrature of C0.
  long hankel_evaluations() const { return hankel_evaluations_; }
  long fresnel_evaluations() const { return fresnel_evaluations_; }

 private:
  // sgn(u) * h * e^{i omega1 u}
  std::complex<double> signed_rotation(double u, std::complex<double> h) const {
    const double c = std::cos(omega1_ * u);
    const double s = std::sin(omega1_ * u);
    const double re = h.real() * c - h.imag() * s;
    const double im = h.real() * s + h.imag() * c;
    return u < 0.0 ? std::complex<double>(-re, -im) : std::complex<double>(re, im);
  }

  void compute_c0();

  double mach_;
  double k_;
  double beta2_ = 0.0;
  double beta_ = 0.0;
  double omega1_ = 0.0;
  double omega2_ = 0.0;
  double omega3_ = 0.0;
  std::complex<double> e1_far_{};  // E1(2i omega1), the same for every x
  std::complex<double> c0_{};
  long hankel_evaluations_ = 0;
  long fresnel_evaluations_ = 0;
};

}  // namespace zelvan::aero
