#include "aero/detail/possio_far_field.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "aero/detail/hankel.hpp"
#include "aero/detail/possio_gauss.hpp"

namespace zelvan::aero {
namespace {

using Complex = std::complex<double>;

// Down the path the integrand falls like e^{-W s}; e^{-40} is below rounding.
constexpr double kPathDecays = 40.0;
// Panel length down the path, in units of 1/W.
constexpr double kPathPanel = 4.0;
// Longest real-axis panel, in periods 2 pi/W of the integrand.
constexpr double kRealPanelPeriods = 2.0;
// The asymptotic sum stops at the first term below this relative size.
constexpr double kSeriesStop = 1e-17;
constexpr int kSeriesMaxTerms = 100;  // |z| >= 20 needs at most 40

// The ratios a_k(1)/a_{k-1}(1) = (4 - (2k - 1)^2)/(8k) (DLMF 10.17.1).
struct AsymptoticRatios {
  std::array<double, kSeriesMaxTerms> at{};
  AsymptoticRatios() {
    for (int k = 1; k < kSeriesMaxTerms; ++k) {
      const double odd = 2.0 * k - 1.0;
      at[k] = (4.0 - odd * odd) / (8.0 * k);
    }
  }
};

// sqrt(2/(pi z)) e^{-i(z - 3 pi/4)} times this is H1(z) (DLMF 10.17.4):
// 1 plus the sum over k >= 1 of (-i)^k a_k(1) / z^k: this function returns
// that sum without the 1, stopped at the first term below kSeriesStop
// times the sum or when the terms begin to grow.
Complex asymptotic_factor_beyond_leading(Complex z) {
  static const AsymptoticRatios ratios;
  const Complex step = Complex(0.0, -1.0) / z;
  Complex term = 1.0;
  Complex sum;
  double previous = 1.0;
  for (int k = 1; k < kSeriesMaxTerms; ++k) {
    term *= step * ratios.at[k];
    const double size = std::norm(term);
    if (size > previous) break;  // the expansion has begun to diverge
    sum += term;
    previous = size;
    if (size < kSeriesStop * kSeriesStop * std::norm(sum)) break;
  }
  return sum;
}

}  // namespace

Complex far_field_from_zero(double mach, double k, Complex e1_2i_omega1) {
  const double beta2 = 1.0 - mach * mach;
  const double beta = std::sqrt(beta2);
  const Complex bracket = beta2 * (std::log(2.0 / mach) + e1_2i_omega1) - beta * std::log((1.0 + beta) / mach);
  const double factor = 2.0 / (std::numbers::pi * k * mach);
  return {-factor * bracket.imag(), factor * bracket.real()};
}

FarFieldIntegral far_field_beyond_leading(double omega1, double omega2, double t0) {
  const GaussRule& rule = gauss_rule();
  const double w = omega1 + omega2;
  const double turn = std::max(t0, kFarFieldAsymptoticStart / omega2);
  const double three_quarter_pi = 0.75 * std::numbers::pi;
  FarFieldIntegral result;

  // Real axis, t0 to turn.
  const double longest = kRealPanelPeriods * 2.0 * std::numbers::pi / w;
  double a = t0;
  while (a < turn) {
    const double b = std::min(a + std::min(a, longest), turn);
    const double half = 0.5 * (b - a);
    const double mid = 0.5 * (a + b);
    Complex sum;
    for (int j = 0; j < kGaussNodes; ++j) {
      const double t = mid + half * rule.node[j];
      const double z = omega2 * t;
      const double phase = z - three_quarter_pi;
      const Complex h =
          hankel_detail::h1(z) - std::sqrt(2.0 / (std::numbers::pi * z)) * Complex(std::cos(phase), -std::sin(phase));
      sum += rule.weight[j] * (h * Complex(std::cos(omega1 * t), -std::sin(omega1 * t)));
    }
    result.value += half * sum;
    result.real_axis_evaluations += kGaussNodes;
    a = b;
  }

  // Down the path t = turn - i s: the integrand is
  // sqrt(2/(pi z)) e^{3 i pi/4} e^{-i W turn} e^{-W s} (factor), dt = -i ds.
  const Complex start = Complex(std::cos(w * turn), -std::sin(w * turn)) *
                        Complex(std::cos(three_quarter_pi), std::sin(three_quarter_pi));
  const double panel = kPathPanel / w;
  const int panels = static_cast<int>(kPathDecays / kPathPanel);
  Complex path;
  for (int p = 0; p < panels; ++p) {
    const double mid = (p + 0.5) * panel;
    Complex sum;
    for (int j = 0; j < kGaussNodes; ++j) {
      const double s = mid + 0.5 * panel * rule.node[j];
      const Complex z = omega2 * Complex(turn, -s);
      const Complex value =
          std::sqrt(2.0 / (std::numbers::pi * z)) * std::exp(-w * s) * asymptotic_factor_beyond_leading(z);
      sum += rule.weight[j] * value;
    }
    path += (0.5 * panel) * sum;
    result.path_evaluations += kGaussNodes;
  }
  result.value += Complex(0.0, -1.0) * start * path;
  return result;
}

}  // namespace zelvan::aero
