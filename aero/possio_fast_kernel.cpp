#include "aero/possio_fast_kernel.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "aero/detail/hankel.hpp"
#include "aero/detail/possio_e1.hpp"
#include "aero/detail/possio_far_field.hpp"
#include "aero/possio_kernel.hpp"

namespace zelvan::aero {
namespace {

using Complex = std::complex<double>;
constexpr Complex kI(0.0, 1.0);
constexpr double kEuler = 0.5772156649015329;
constexpr double kOuterPanel = 0.125;  // panel length for |u| >= 1/8
constexpr int kGradedLevels = 24;      // [2^-(m+1), 2^-m], m = 3..26
// The reference assembly's far field ends here (kPossioFarFieldCut, in t = -u).
constexpr double kCut = -kPossioFarFieldCut;

// Breakpoints of the panels, ascending from -2 to 2.
struct Breakpoints {
  std::array<double, kPossioPanels + 1> at{};
  Breakpoints() {
    std::array<double, kPossioPanelsPerSide> side{};  // positive side, descending, without 0
    int n = 0;
    for (int m = 16; m >= 2; --m) side[n++] = m * kOuterPanel;  // 2 .. 1/4
    double edge = kOuterPanel;
    for (int m = 0; m <= kGradedLevels; ++m) {  // 1/8 .. 2^-27
      side[n++] = edge;
      edge *= 0.5;
    }
    for (int i = 0; i < kPossioPanelsPerSide; ++i) {
      at[i] = -side[i];
      at[kPossioPanels - i] = side[i];
    }
    at[kPossioPanelsPerSide] = 0.0;
  }
};

const Breakpoints& breakpoints() {
  static const Breakpoints b;
  return b;
}

}  // namespace

PossioPanelPoint possio_panel_point(double x) {
  const auto& at = breakpoints().at;
  const auto it = std::upper_bound(at.begin(), at.end(), x);
  const int panel = std::clamp(static_cast<int>(it - at.begin()) - 1, 0, kPossioPanels - 1);
  const double a = at[panel];
  const double b = at[panel + 1];
  PossioPanelPoint p;
  p.panel = panel;
  p.weight = gauss_partial_weights((2.0 * x - a - b) / (b - a));
  for (double& w : p.weight) w *= 0.5 * (b - a);
  return p;
}

PossioFastKernel::PossioFastKernel(double mach, double k, PossioFarField far_field) : mach_(mach), k_(k) {
  check_possio_kernel_domain(mach, k);
  beta2_ = 1.0 - mach * mach;
  beta_ = std::sqrt(beta2_);
  omega1_ = k / beta2_;
  omega2_ = k * mach / beta2_;
  omega3_ = k * mach * mach / beta2_;
  log_omega1_ = std::log(omega1_);
  e1_far_ = exp_integral_e1_accurate(Complex(0.0, 2.0 * omega1_));

  // C0 = -(integral from 2 to infinity of H1(omega2 t) e^{-i omega1 t} dt);
  // the reference assembly's constant adds what replacing H1 by its leading term
  // beyond the cut changes.
  const FarFieldIntegral whole = far_field_integral(omega1_, omega2_, 2.0, FarFieldTerms::all);
  c0_ = -whole.value;
  evaluations_ += whole.real_axis_evaluations + whole.path_evaluations;
  if (far_field == PossioFarField::leading_term_beyond_cut) {
    const FarFieldIntegral rest = far_field_integral(omega1_, omega2_, kCut, FarFieldTerms::beyond_leading);
    c0_ += rest.value;
    evaluations_ += rest.real_axis_evaluations + rest.path_evaluations;
  }

  // The integrands at the nodes, and their cumulative sums.
  const GaussRule& rule = gauss_rule();
  const auto& at = breakpoints().at;
  for (int p = 0; p < kPossioPanels; ++p) {
    const double half = 0.5 * (at[p + 1] - at[p]);
    const double mid = 0.5 * (at[p + 1] + at[p]);
    Complex f_panel;
    Complex g_panel;
    for (int j = 0; j < kGaussNodes; ++j) {
      const double u = mid + half * rule.node[j];
      const double phase = omega1_ * u;
      const double c = std::cos(phase);
      const double s = std::sin(phase);
      // sgn(u) [H1 - 2i/(pi z)] e^{i omega1 u}, as PossioKernel::near_field_integrand
      const Complex reg = hankel_detail::h1_regular(omega2_ * std::fabs(u));
      const double re = reg.real() * c - reg.imag() * s;
      const double im = reg.real() * s + reg.imag() * c;
      const Complex f = u < 0.0 ? Complex(-re, -im) : Complex(re, im);
      // (1 - e^{i omega1 u})/u, with 1 - cos = sin^2/(1 + cos) where the
      // difference would cancel
      const double one_minus_c = c > 0.0 ? s * s / (1.0 + c) : 1.0 - c;
      const Complex g(one_minus_c / u, -s / u);
      const std::size_t at_node = static_cast<std::size_t>(p) * kGaussNodes + static_cast<std::size_t>(j);
      f_[at_node] = f;
      g_[at_node] = g;
      f_panel += rule.weight[j] * f;
      g_panel += rule.weight[j] * g;
    }
    f_sum_[p + 1] = f_sum_[p] + half * f_panel;
    g_sum_[p + 1] = g_sum_[p] + half * g_panel;
  }
  evaluations_ += static_cast<long>(kPossioPanels) * kGaussNodes;
}

std::complex<double> PossioFastKernel::near_field_integral(const PossioPanelPoint& p) const {
  const Complex* values = &f_[static_cast<std::size_t>(p.panel) * kGaussNodes];
  double re = 0.0;
  double im = 0.0;
  for (int j = 0; j < kGaussNodes; ++j) {
    re += p.weight[j] * values[j].real();
    im += p.weight[j] * values[j].imag();
  }
  return f_sum_[p.panel] + Complex(re, im);
}

std::complex<double> PossioFastKernel::ein(const PossioPanelPoint& p) const {
  const Complex* values = &g_[static_cast<std::size_t>(p.panel) * kGaussNodes];
  double re = 0.0;
  double im = 0.0;
  for (int j = 0; j < kGaussNodes; ++j) {
    re += p.weight[j] * values[j].real();
    im += p.weight[j] * values[j].imag();
  }
  return (g_sum_[p.panel] - g_sum_[kPossioPanelsPerSide]) + Complex(re, im);
}

std::complex<double> PossioFastKernel::k1(double x, const PossioPanelPoint& p) const {
  const double ax = std::fabs(x);
  const double s = x / ax;
  const double z = omega2_ * ax;
  const Complex h0 = hankel_detail::h0(z);
  const Complex h1 = hankel_detail::h1(z);
  const double log_ax = std::log(ax);
  const Complex integral = near_field_integral(p);

  // The bracket E1(2i omega1) - E1(-i omega1 x) + i (pi/2)(1 + s) of
  // PossioKernel::k1, with E1(z) = Ein(z) - ln z - gamma (DLMF 6.2.4) and
  // ln(-i omega1 x) = ln(omega1 |x|) - i (pi/2) s.
  const Complex bracket = e1_far_ + kEuler + log_omega1_ + log_ax + kI * (std::numbers::pi / 2.0) - ein(p);
  const Complex r = kI * k_ * mach_ * (c0_ + integral) - (2.0 * beta2_ / std::numbers::pi) * bracket;

  const Complex rot3(std::cos(omega3_ * x), std::sin(omega3_ * x));
  const Complex rotk(std::cos(k_ * x), -std::sin(k_ * x));
  const Complex kt = rot3 * (kI * mach_ * mach_ * h0 + mach_ * s * h1) - rotk * r;

  // Take out the singular part.
  Complex k1 = kt - kI * (2.0 * beta2_ / (std::numbers::pi * k_ * x));
  k1.real(k1.real() - (2.0 / std::numbers::pi) * log_ax);
  return k1;
}

}  // namespace zelvan::aero
