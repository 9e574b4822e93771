#include "aero/coefficient_grid.hpp"

#include <cmath>
#include <numbers>

namespace zelvan::aero {

CoefficientGrid::CoefficientGrid(AeroRouteEvaluator& route, double mach, double k_lo, double k_hi, int points)
    : k_lo_(k_lo), k_hi_(k_hi) {
  const double s_lo = std::log(k_lo), s_hi = std::log(k_hi);
  const int n = points - 1;
  for (int j = 0; j <= n; ++j) {
    // Chebyshev points of the second kind, ends included.
    const double x = std::cos(std::numbers::pi * j / n);
    double s = 0.5 * (s_lo + s_hi) + 0.5 * (s_hi - s_lo) * x;
    if (j == 0) s = s_hi;
    if (j == n) s = s_lo;
    nodes_.push_back(s);
    weights_.push_back(((j % 2 == 0) ? 1.0 : -1.0) * ((j == 0 || j == n) ? 0.5 : 1.0));
    values_.push_back(route.coefficients(j == 0 ? k_hi : (j == n ? k_lo : std::exp(s)), mach));
  }
}

Matrix2 CoefficientGrid::at(double k) const {
  const double s = std::log(k);
  Matrix2 numerator{};
  double denominator = 0.0;
  for (std::size_t j = 0; j < nodes_.size(); ++j) {
    const double diff = s - nodes_[j];
    if (diff == 0.0) return values_[j];
    const double w = weights_[j] / diff;
    for (std::size_t i = 0; i < 4; ++i) numerator[i] += w * values_[j][i];
    denominator += w;
  }
  for (std::complex<double>& z : numerator) z /= denominator;
  return numerator;
}

}  // namespace zelvan::aero
