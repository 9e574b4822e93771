#include "aero/coefficient_grid.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace zelvan::aero {
namespace {

// grid_points = kPoints + kPointsPerLog ln(k_hi/k_lo)
//               + (kPointsPerPhase + kPointsPerPhaseMach Ma)(k_hi - k_lo)/(1 - Ma):
// the smallest counts that interpolate within 1e-7 over 113 measured
// ranges, Ma 0.1 to 0.95, k 0.01 to the domain's end (docs/
// flutter-solution.md), bounded from above with a margin of three points.
constexpr double kPoints = 8.0;
constexpr double kPointsPerLog = 2.8;
constexpr double kPointsPerPhase = 1.25;
constexpr double kPointsPerPhaseMach = 0.2;
// Newton's method for grid_frequency stops when a step changes ln k by no
// more than a few units of rounding, or after this many steps (it settles
// in under ten from the starting bound).
constexpr int kNewtonSteps = 100;
constexpr double kNewtonStep = 4.0 * std::numeric_limits<double>::epsilon();

}  // namespace

double grid_phase_rate(double mach) { return 2.0 * mach / (1.0 - mach * mach); }

double grid_variable(double k, double mach) { return std::log(k) + k / (1.0 - mach); }

double grid_frequency(double s, double mach) {
  // In y = ln k the equation is g(y) = y + w e^y - s = 0, g increasing and
  // convex, so Newton's method from a point above the root descends to it
  // monotonically.  y = s is above it (w e^s > 0), and so is ln(s/w) when
  // g is not negative there, which saves the steps from s when s is large.
  const double w = 1.0 / (1.0 - mach);
  const auto g = [&](double y) { return y + w * std::exp(y) - s; };
  double y = s;
  if (s > 0.0) {
    const double near = std::log(s / w);
    if (near < y && g(near) >= 0.0) y = near;
  }
  for (int i = 0; i < kNewtonSteps; ++i) {
    const double step = g(y) / (1.0 + w * std::exp(y));
    y -= step;
    if (!(std::fabs(step) > kNewtonStep * std::max(1.0, std::fabs(y)))) break;
  }
  return std::exp(y);
}

int grid_points(double mach, double k_lo, double k_hi) {
  const double points = kPoints + kPointsPerLog * std::log(k_hi / k_lo) +
                        (kPointsPerPhase + kPointsPerPhaseMach * mach) * (k_hi - k_lo) / (1.0 - mach);
  return std::max(kGridLeastPoints, static_cast<int>(std::ceil(points)));
}

CoefficientGrid::CoefficientGrid(AeroRouteEvaluator& route, double mach, double k_lo, double k_hi, int points)
    : mach_(mach), k_lo_(k_lo), k_hi_(k_hi) {
  const double s_lo = grid_variable(k_lo, mach);
  const double s_hi = grid_variable(k_hi, mach);
  const int n = points - 1;
  for (int j = 0; j <= n; ++j) {
    // Chebyshev points of the second kind, ends included.
    const double x = std::cos(std::numbers::pi * j / n);
    double s = 0.5 * (s_lo + s_hi) + 0.5 * (s_hi - s_lo) * x;
    double k = grid_frequency(s, mach);
    if (j == 0) {
      s = s_hi;
      k = k_hi;
    } else if (j == n) {
      s = s_lo;
      k = k_lo;
    }
    nodes_.push_back(s);
    weights_.push_back(((j % 2 == 0) ? 1.0 : -1.0) * ((j == 0 || j == n) ? 0.5 : 1.0));
    Matrix2 q = route.coefficients(k, mach);
    const std::complex<double> shift = std::polar(1.0, grid_phase_rate(mach) * k);
    for (std::complex<double>& z : q) z *= shift;
    values_.push_back(q);
  }
}

Matrix2 CoefficientGrid::at(double k) const {
  const double s = grid_variable(k, mach_);
  Matrix2 numerator{};
  double denominator = 0.0;
  for (std::size_t j = 0; j < nodes_.size(); ++j) {
    const double diff = s - nodes_[j];
    if (diff == 0.0) return values_[j];
    const double w = weights_[j] / diff;
    for (std::size_t i = 0; i < 4; ++i) numerator[i] += w * values_[j][i];
    denominator += w;
  }
  const std::complex<double> unshift = std::polar(1.0, -grid_phase_rate(mach_) * k) / denominator;
  for (std::complex<double>& z : numerator) z *= unshift;
  return numerator;
}

}  // namespace zelvan::aero
