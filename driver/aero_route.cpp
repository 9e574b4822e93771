#include "driver/aero_route.hpp"

#include <cmath>
#include <numbers>

#include "aero/cnm3dk.hpp"
#include "driver/case_parameters.hpp"
#include "driver/console_output.hpp"
#include "driver/messages.hpp"
#include "numlib/error_handler.hpp"

namespace zelvan::driver {
namespace {

// i*k*z written out, as the model forms the thin-plate products.
zcomplex i_times(double k, zcomplex z) { return {-k * z.imag(), k * z.real()}; }

}  // namespace

AeroRouteEvaluator::AeroRouteEvaluator(AeroRoute route, double x_p, double aero_scale)
    : route_(route), x_p_(x_p), aero_scale_(aero_scale) {}

bool AeroRouteEvaluator::in_domain(double k, double mach) const {
  if (!(std::isfinite(k) && k > 0.0 && std::isfinite(mach))) return false;
  switch (route_) {
    case AeroRoute::thin_plate:
      return std::fabs(mach) < 1.0;
    case AeroRoute::possio:
      return mach >= kPossioLowestMach && mach < 1.0 && 2.0 * k / (1.0 - mach * mach) <= kPossioFrequencyLimit;
    case AeroRoute::external:
      break;
  }
  return false;
}

Matrix2 AeroRouteEvaluator::coefficients(double k, double mach) {
  if (route_ == AeroRoute::thin_plate) {
    const double beta = 1.0 / std::sqrt(1.0 - mach * mach);
    zcomplex c1, c2, c3, c4;
    {
      const numlib::ErrorNote note([&] {
        return message_text(msg::kNoteThinPlate, {msg::kThinPlateAtIterate, k, x_p_});
      });
      aero::cnm3dk(k, x_p_, c1, c2, c3, c4);
    }
    const double f = kTwoPi * beta * aero_scale_;
    // Column-major: Q11, Q21, Q12, Q22.
    return {f * i_times(k, c1), -f * i_times(k, c2), f * (c1 + c3), -f * (c2 + c4)};
  }
  solver_.assemble(mach, k);
  ++possio_solves_;
  const Matrix2 p = solver_.plunge_pitch_loads((x_p_ - 0.5) * 2.0);
  const double s = aero_scale_;
  return {s * p[0], s * p[1], s * p[2], s * p[3]};
}

double steady_lift_slope(double aero_scale, double mach) { return kTwoPi * aero_scale / std::sqrt(1.0 - mach * mach); }

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
  for (zcomplex& z : numerator) z /= denominator;
  return numerator;
}

}  // namespace zelvan::driver
