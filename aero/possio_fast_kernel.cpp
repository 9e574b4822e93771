#include "aero/possio_fast_kernel.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "aero/detail/hankel.hpp"
#include "aero/detail/lanes.hpp"
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

// Breakpoints of the panels, ascending from -2 to 2, and the nodes u > 0
// of the positive side's panels with ln u.
struct Breakpoints {
  std::array<double, kPossioPanels + 1> at{};
  std::array<double, std::size_t{kPossioPanelsPerSide} * kGaussNodes> node{};
  std::array<double, std::size_t{kPossioPanelsPerSide} * kGaussNodes> log_node{};
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
    const GaussRule& rule = gauss_rule();
    for (int p = kPossioPanelsPerSide; p < kPossioPanels; ++p) {
      const double half = 0.5 * (at[p + 1] - at[p]);
      const double mid = 0.5 * (at[p + 1] + at[p]);
      for (int j = 0; j < kGaussNodes; ++j) {
        const std::size_t i = static_cast<std::size_t>(p - kPossioPanelsPerSide) * kGaussNodes + j;
        node[i] = mid + half * rule.node[j];
        log_node[i] = std::log(node[i]);
      }
    }
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

PossioDistance possio_distance(double x) {
  PossioDistance d{x, 1.0 / x, std::log(std::fabs(x)), possio_panel_point(x)};
  const auto& at = breakpoints().at;
  const double ax = std::fabs(x);
  const auto it = std::upper_bound(at.begin() + kPossioPanelsPerSide, at.end(), ax);
  const int panel = std::clamp(static_cast<int>(it - at.begin()) - 1, kPossioPanelsPerSide, kPossioPanels - 1);
  d.abs_panel = panel - kPossioPanelsPerSide;
  d.interpolation = gauss_interpolation_weights((2.0 * ax - at[panel] - at[panel + 1]) / (at[panel + 1] - at[panel]));
  return d;
}

PossioFastKernel::PossioFastKernel(double mach, double k, PossioFarField far_field) : mach_(mach), k_(k) {
  check_possio_kernel_domain(mach, k);
  beta2_ = 1.0 - mach * mach;
  beta_ = std::sqrt(beta2_);
  omega1_ = k / beta2_;
  omega2_ = k * mach / beta2_;
  omega3_ = k * mach * mach / beta2_;
  log_omega1_ = std::log(omega1_);
  mach2_ = mach * mach;
  k_mach_ = k * mach;
  two_beta2_pi_ = 2.0 * beta2_ / std::numbers::pi;
  singular_ = 2.0 * beta2_ / (std::numbers::pi * k);
  lambda_ = k / (8.0 * beta_);
  e1_far_ = exp_integral_e1_accurate(Complex(0.0, 2.0 * omega1_));
  bracket_constant_ = e1_far_ + kEuler + log_omega1_ + kI * (std::numbers::pi / 2.0);

  // The integrands at the nodes.  The panels and the rule are symmetric
  // about 0, so node j of panel p > 0 side and node 19 - j of panel
  // 79 - p lie at u and -u exactly: the Hankel functions and the cosine
  // are the same there and the sine changes sign, and each is computed on
  // the positive side only.
  const GaussRule& rule = gauss_rule();
  const Breakpoints& points = breakpoints();
  const auto& at = points.at;
  // ln(z/2) = ln(omega2/2) + ln u.
  const double log_half_omega2 = std::log(omega2_ / 2.0);
  // e^{i omega1 u} on the panels of length 1/8 as e^{i omega1 mid}
  // e^{i omega1 t/16}, t the rule's node: the second factor is the same on
  // all of them, so 15 + 20 sines and cosines serve their 300 nodes.
  std::array<Complex, kGaussNodes> outer_rotation;
  for (int j = 0; j < kGaussNodes; ++j) {
    const double phase = omega1_ * (0.5 * kOuterPanel) * rule.node[j];
    outer_rotation[j] = {std::cos(phase), std::sin(phase)};
  }
  for (int p = kPossioPanelsPerSide; p < kPossioPanels; ++p) {
    const int mirror = kPossioPanels - 1 - p;
    const bool outer = at[p] >= kOuterPanel;
    const double mid_phase = omega1_ * 0.5 * (at[p + 1] + at[p]);
    const Complex centre = outer ? Complex(std::cos(mid_phase), std::sin(mid_phase)) : Complex();
    for (int j = 0; j < kGaussNodes; ++j) {
      const std::size_t node =
          static_cast<std::size_t>(p - kPossioPanelsPerSide) * kGaussNodes + static_cast<std::size_t>(j);
      const double u = points.node[node];
      double c = 0.0;
      double s = 0.0;
      if (outer) {
        c = centre.real() * outer_rotation[j].real() - centre.imag() * outer_rotation[j].imag();
        s = centre.real() * outer_rotation[j].imag() + centre.imag() * outer_rotation[j].real();
      } else {
        c = std::cos(omega1_ * u);
        s = std::sin(omega1_ * u);
      }
      const double z = omega2_ * u;
      Complex h0;
      Complex reg;  // H1 - 2i/(pi z)
      if (z <= hankel_detail::kSwitch) {
        const hankel_detail::HankelPair pair = hankel_detail::h0_h1_series(z, log_half_omega2 + points.log_node[node]);
        h0 = pair.h0;
        reg = pair.h1_regular;
      } else {
        h0 = hankel_detail::asymptotic<0>(z);
        const Complex h1 = hankel_detail::asymptotic<1>(z);
        reg = {h1.real(), h1.imag() - 2.0 / (std::numbers::pi * z)};
      }
      // i M^2 H0 + M H1 and i M^2 H0 - M H1 without 2i/(pi z): the waves
      // term of k1 at +x and at -x.
      const Complex i_m2_h0(-mach2_ * h0.imag(), mach2_ * h0.real());
      hankel_[0][node] = {i_m2_h0.real() + mach * reg.real(), i_m2_h0.imag() + mach * reg.imag()};
      hankel_[1][node] = {i_m2_h0.real() - mach * reg.real(), i_m2_h0.imag() - mach * reg.imag()};
      // sgn(u) [H1 - 2i/(pi z)] e^{i omega1 u}, as PossioKernel::near_field_integrand,
      // and (1 - e^{i omega1 u})/u, with 1 - cos = sin^2/(1 + cos) where the
      // difference would cancel; at -u the same with s -> -s.
      const double one_minus_c = c > 0.0 ? s * s / (1.0 + c) : 1.0 - c;
      const std::size_t plus = static_cast<std::size_t>(p) * kGaussNodes + static_cast<std::size_t>(j);
      const std::size_t minus =
          static_cast<std::size_t>(mirror) * kGaussNodes + static_cast<std::size_t>(kGaussNodes - 1 - j);
      fg_[plus] = {reg.real() * c - reg.imag() * s, reg.real() * s + reg.imag() * c, one_minus_c / u, -s / u};
      fg_[minus] = {-(reg.real() * c + reg.imag() * s), -(-reg.real() * s + reg.imag() * c), -one_minus_c / u, -s / u};
    }
  }
  // Their cumulative sums, panel by panel from -2.
  for (int p = 0; p < kPossioPanels; ++p) {
    const double half = 0.5 * (at[p + 1] - at[p]);
    Complex f_panel;
    Complex g_panel;
    for (int j = 0; j < kGaussNodes; ++j) {
      const std::array<double, 4>& v = fg_[static_cast<std::size_t>(p) * kGaussNodes + static_cast<std::size_t>(j)];
      f_panel += rule.weight[j] * Complex(v[0], v[1]);
      g_panel += rule.weight[j] * Complex(v[2], v[3]);
    }
    f_sum_[p + 1] = f_sum_[p] + half * f_panel;
    g_sum_[p + 1] = g_sum_[p] + half * g_panel;
  }
  // The combination of I and G that k1 takes, i k M f + (2 beta^2/pi) g,
  // at the nodes and summed in the same way.
  for (int p = 0; p < kPossioPanels; ++p) {
    const double half = 0.5 * (at[p + 1] - at[p]);
    Complex panel_sum;
    for (int j = 0; j < kGaussNodes; ++j) {
      const std::size_t node = static_cast<std::size_t>(p) * kGaussNodes + static_cast<std::size_t>(j);
      const std::array<double, 4>& v = fg_[node];
      const Complex c(-k_mach_ * v[1] + two_beta2_pi_ * v[2], k_mach_ * v[0] + two_beta2_pi_ * v[3]);
      combined_[node] = {c.real(), c.imag()};
      panel_sum += rule.weight[j] * c;
    }
    combined_sum_[p + 1] = combined_sum_[p] + half * panel_sum;
  }
  // C0 = -(integral from 2 to infinity of H1(omega2 t) e^{-i omega1 t} dt)
  // = -(F - integral from 0 to 2 of [H1 - 2i/(pi z)] e^{-i omega1 t} dt),
  // and that integral is minus the one of f from -2 to 0.  The reference
  // assembly's constant adds what replacing H1 by its leading term beyond
  // the cut changes.
  c0_ = -far_field_from_zero(mach, k, e1_far_) - f_sum_[kPossioPanelsPerSide];
  if (far_field == PossioFarField::leading_term_beyond_cut) {
    const FarFieldIntegral rest = far_field_beyond_leading(omega1_, omega2_, kCut);
    c0_ += rest.value;
    evaluations_ += rest.real_axis_evaluations + rest.path_evaluations;
  }
  // r of k1 without the node sums: i k M C0 - (2 beta^2/pi)(E1(2i omega1)
  // + gamma + ln omega1 + i pi/2 - integral of g from -2 to 0).
  const Complex ikm_c0(-k_mach_ * c0_.imag(), k_mach_ * c0_.real());
  r_constant_ = ikm_c0 - two_beta2_pi_ * (bracket_constant_ + g_sum_[kPossioPanelsPerSide]);
  evaluations_ += static_cast<long>(kPossioPanelsPerSide) * kGaussNodes;
}

std::complex<double> PossioFastKernel::near_field_integral(const PossioPanelPoint& p) const {
  const std::size_t first = static_cast<std::size_t>(p.panel) * kGaussNodes;
  double re = 0.0;
  double im = 0.0;
  for (std::size_t j = 0; j < kGaussNodes; ++j) {
    re += p.weight[j] * fg_[first + j][0];
    im += p.weight[j] * fg_[first + j][1];
  }
  return f_sum_[p.panel] + Complex(re, im);
}

std::complex<double> PossioFastKernel::ein(const PossioPanelPoint& p) const {
  const std::size_t first = static_cast<std::size_t>(p.panel) * kGaussNodes;
  double re = 0.0;
  double im = 0.0;
  for (std::size_t j = 0; j < kGaussNodes; ++j) {
    re += p.weight[j] * fg_[first + j][2];
    im += p.weight[j] * fg_[first + j][3];
  }
  return (g_sum_[p.panel] - g_sum_[kPossioPanelsPerSide]) + Complex(re, im);
}

// Inlined into k_reg, which the solver calls 1785 times a solve.
[[gnu::always_inline]] inline std::complex<double> PossioFastKernel::k1_at(const PossioDistance& d, const Complex& rot3,
                                                                           const Complex& rotk) const {
  const double x = d.x;
  // The waves term i M^2 H0 + M s H1 interpolated from the nodes of |x|'s
  // panel (s = sgn x picks the pair), with M s 2i/(pi z) added; and the
  // partial sum of r below.  The two sums are independent and run in one
  // loop, each in node order.
  const std::size_t side = x < 0.0 ? 1 : 0;
  const std::size_t nodes = static_cast<std::size_t>(d.abs_panel) * kGaussNodes;
  const std::size_t first = static_cast<std::size_t>(d.point.panel) * kGaussNodes;
  lanes::Pair wave{};
  lanes::Pair partial{};
#pragma GCC unroll 20
  for (std::size_t j = 0; j < kGaussNodes; ++j) {
    wave += d.interpolation[j] * lanes::load(hankel_[side][nodes + j]);
    partial += d.point.weight[j] * lanes::load(combined_[first + j]);
  }
  // M s 2/(pi omega2 |x|) = (2 beta^2/(pi k))/x.
  const double waves_re = wave[0];
  const double waves_im = wave[1] + singular_ * d.inverse;

  // r = i k M (C0 + I(x)) - (2 beta^2/pi) [E1(2i omega1) - E1(-i omega1 x)
  // + i (pi/2)(1 + s)], the bracket of PossioKernel::k1, with
  // E1(z) = Ein(z) - ln z - gamma (DLMF 6.2.4), ln(-i omega1 x) =
  // ln(omega1 |x|) - i (pi/2) s and Ein(-i omega1 x) = G(x): the constant
  // part and the node sums of i k M f + (2 beta^2/pi) g from -2 to x.
  const Complex& sum = combined_sum_[static_cast<std::size_t>(d.point.panel)];
  const double r_re = r_constant_.real() + (sum.real() + partial[0]) - two_beta2_pi_ * d.log_abs;
  const double r_im = r_constant_.imag() + (sum.imag() + partial[1]);

  // rot3 waves - rotk r, written out: the operations of the complex
  // product without its check for a NaN result, which cannot arise here.
  const double kt_re = (rot3.real() * waves_re - rot3.imag() * waves_im) - (rotk.real() * r_re - rotk.imag() * r_im);
  const double kt_im = (rot3.real() * waves_im + rot3.imag() * waves_re) - (rotk.real() * r_im + rotk.imag() * r_re);

  // Take out the singular part.
  return {kt_re - (2.0 / std::numbers::pi) * d.log_abs, kt_im - singular_ * d.inverse};
}

std::complex<double> PossioFastKernel::k1(double x) const {
  return k1_at(possio_distance(x), Complex(std::cos(omega3_ * x), std::sin(omega3_ * x)),
               Complex(std::cos(k_ * x), -std::sin(k_ * x)));
}

std::complex<double> PossioFastKernel::k_reg(const PossioDistance& d, const Complex& rot3, const Complex& rotk) const {
  const Complex k1 = k1_at(d, rot3, rotk);
  return {-lambda_ * k1.imag(), lambda_ * k1.real()};
}

}  // namespace zelvan::aero
