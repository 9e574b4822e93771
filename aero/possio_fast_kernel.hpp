// The regular part of the Possio kernel evaluated fast: the same K1 as
// PossioKernel::k1 with the near-field integral I(X) and E1(-i omega1 X)
// read off one cumulative Gauss-Legendre integral over [-2, 2] per solve,
// the far-field constant C0 in closed form, and E1(2i omega1) by
// series or continued fraction (docs/possio-solver.md, "Fast evaluation
// of the kernel").  Notation as in aero/possio_kernel.hpp.
#pragma once

#include <array>
#include <complex>

#include "aero/detail/possio_gauss.hpp"

namespace zelvan::aero {

// Which far-field constant the fast kernel takes.
enum class PossioFarField {
  // The reference assembly's C0: integral from -5000 to -2, H1 replaced by the
  // leading term of its expansion beyond -5000.
  leading_term_beyond_cut,
  // C0 itself, the integral from -infinity to -2.
  exact,
};

// Panels of the cumulative integral: length 1/8 for |u| >= 1/8, then
// [2^-(m+1), 2^-m] for m = 3..26 on each side, then [-2^-27, 0], [0, 2^-27].
inline constexpr int kPossioPanelsPerSide = 15 + 24 + 1;
inline constexpr int kPossioPanels = 2 * kPossioPanelsPerSide;

// Where a distance lies among the panels, and the weights that integrate
// the interpolant from the panel's start to it (half length included).
struct PossioPanelPoint {
  int panel = 0;
  GaussVector weight{};
};

// Locates x, -2 <= x <= 2 (half chords).  No failure; x outside [-2, 2]
// is taken in the first or last panel, beyond which the interpolant is
// not accurate.
PossioPanelPoint possio_panel_point(double x);

// A distance as the kernel needs it whatever the Mach number and the
// frequency: the solver computes these once for its fixed distances.
struct PossioDistance {
  double x = 0.0;
  double inverse = 0.0;  // 1/x
  double log_abs = 0.0;  // ln|x|
  PossioPanelPoint point;
  // |x| among the panels of the positive side (0 for [0, 2^-27]), and
  // the weights that interpolate the panel's node values to it.
  int abs_panel = 0;
  GaussVector interpolation{};
};

// x != 0, |x| < 2 (half chords).  No failure.
PossioDistance possio_distance(double x);

class PossioFastKernel {
 public:
  // Sets up the kernel for Mach number `mach` and reduced frequency `k`:
  // the integrands at the panel nodes, their cumulative sums, C0 and
  // E1(2i omega1).  Domain and failures as PossioKernel (the run ends,
  // textio::RunStop, limit_violation, outside 0.1 <= mach < 1, 0 < k <
  // infinity, 2k/(1 - mach^2) <= 25); the fast pieces themselves do not
  // fail.
  PossioFastKernel(double mach, double k, PossioFarField far_field = PossioFarField::leading_term_beyond_cut);

  double k() const { return k_; }
  double beta() const { return beta_; }
  std::complex<double> c0() const { return c0_; }

  // I(x) = integral from -2 to x of the near-field integrand (see
  // PossioKernel::near_field_integrand), -2 <= x <= 2.
  std::complex<double> near_field_integral(double x) const { return near_field_integral(possio_panel_point(x)); }
  std::complex<double> near_field_integral(const PossioPanelPoint& p) const;

  // G(x) = Ein(-i omega1 x) = integral from 0 to x of (1 - e^{i omega1 u})/u du,
  // -2 <= x <= 2.
  std::complex<double> ein(double x) const { return ein(possio_panel_point(x)); }
  std::complex<double> ein(const PossioPanelPoint& p) const;

  // The bracket K1 of the regular kernel at distance x, x != 0,
  // |x| < 2 (as PossioKernel::k1).
  std::complex<double> k1(double x) const;

  // The regular kernel K_reg = (i k/(8 beta)) K1 at the distance d.x,
  // given the rotations rot3 = e^{i omega3 x} and rotk = e^{-i k x}.  The
  // solver's distances are differences x_i - xi_j, so it forms the
  // rotations as products of 21 + 85 instead of computing 1785 of them.
  std::complex<double> k_reg(const PossioDistance& d, const std::complex<double>& rot3,
                             const std::complex<double>& rotk) const;

  // omega3 = k M^2/(1 - M^2), the wave number of rot3.
  double omega3() const { return omega3_; }

  // Hankel-function values of one setup: H0 and H1 together at the panel
  // nodes u > 0 (the near field's integrand at -u and the kernel's waves
  // term at every distance come from them) and, for the reference
  // assembly's C0, H1 beyond the cut on the real axis and its expansion
  // down the rotated path.
  long evaluations() const { return evaluations_; }

 private:
  std::complex<double> k1_at(const PossioDistance& d, const std::complex<double>& rot3,
                             const std::complex<double>& rotk) const;

  // f and g at a node side by side (re f, im f, re g, im g), for
  // near_field_integral and ein and the combination k1 takes.
  using NodeValues = std::array<std::array<double, 4>, std::size_t{kPossioPanels} * kGaussNodes>;
  // i M^2 H0 + M (H1 - 2i/(pi z)) and i M^2 H0 - M (H1 - 2i/(pi z)) at
  // z = omega2 u for the nodes u > 0, from which k1 interpolates the waves
  // term at its distances (the first table for x > 0, the second for
  // x < 0; each distance reads one panel of one table).
  using HankelValues =
      std::array<std::array<std::array<double, 2>, std::size_t{kPossioPanelsPerSide} * kGaussNodes>, 2>;
  using CombinedValues = std::array<std::array<double, 2>, std::size_t{kPossioPanels} * kGaussNodes>;
  using Sums = std::array<std::complex<double>, kPossioPanels + 1>;

  double mach_;
  double k_;
  double beta2_ = 0.0;
  double beta_ = 0.0;
  double omega1_ = 0.0;
  double omega2_ = 0.0;
  double omega3_ = 0.0;
  double log_omega1_ = 0.0;
  // Constants of k1.
  double mach2_ = 0.0;
  double k_mach_ = 0.0;
  double two_beta2_pi_ = 0.0;
  double singular_ = 0.0;
  double lambda_ = 0.0;  // K_reg = i lambda K1
  std::complex<double> bracket_constant_{};
  std::complex<double> e1_far_{};
  std::complex<double> c0_{};
  // The near-field integrand f and g(u) = (1 - e^{i omega1 u})/u at the
  // nodes; every entry is set by the constructor.
  NodeValues fg_;
  HankelValues hankel_;
  CombinedValues combined_;  // i k M f + (2 beta^2/pi) g at the nodes
  Sums combined_sum_{};      // its integral from -2 to the start of each panel
  std::complex<double> r_constant_{};
  Sums f_sum_{};  // integral of f from -2 to the start of each panel
  Sums g_sum_{};  // the same for g
  long evaluations_ = 0;
};

}  // namespace zelvan::aero
