#include "aero/aero_route.hpp"

#include <cmath>

#include "aero/flow.hpp"

namespace zelvan::aero {
namespace {

// Units of rounding the end of Possio's domain may need to come inside it.
constexpr int kDomainEndSteps = 4;

}  // namespace

AeroRouteEvaluator::AeroRouteEvaluator(AeroRoute route, double x_p, double aero_scale, std::string_view frequency_name)
    : route_(route), x_p_(x_p), aero_scale_(aero_scale), frequency_name_(frequency_name) {}

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

double AeroRouteEvaluator::highest_frequency(double mach) const {
  if (route_ == AeroRoute::thin_plate) return in_domain(1.0, mach) ? INFINITY : 0.0;
  if (route_ != AeroRoute::possio || !(mach >= kPossioLowestMach && mach < 1.0)) return 0.0;
  double k = 0.5 * kPossioFrequencyLimit * (1.0 - mach * mach);
  for (int i = 0; i < kDomainEndSteps && !in_domain(k, mach); ++i) k = std::nextafter(k, 0.0);
  return k;
}

Matrix2 AeroRouteEvaluator::coefficients(double k, double mach) {
  if (route_ == AeroRoute::thin_plate) return thin_plate_matrix(k, x_p_, mach, aero_scale_, frequency_name_);
  solver_.assemble(mach, k);
  ++possio_solves_;
  const Matrix2 p = solver_.plunge_pitch_loads((x_p_ - 0.5) * 2.0);
  const double s = aero_scale_;
  return {s * p[0], s * p[1], s * p[2], s * p[3]};
}

double steady_lift_slope(double aero_scale, double mach) { return kTwoPi * aero_scale / std::sqrt(1.0 - mach * mach); }

}  // namespace zelvan::aero
