#include "flutter/p_method.hpp"

#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>

#include "flutter/flutter_modes.hpp"

namespace zelvan::flutter {
namespace {

using Complex = std::complex<double>;

// A root with |Im s| at or below this fraction of |s| is on the real axis:
// a lag root, or a structural one past divergence.
constexpr double kOnRealAxis = 1e-9;

// The candidate (a root with Im s > 0 off the real axis) of the roots `r`
// at speed u nearest `target`.
std::optional<FlutterMode> nearest_candidate(const StateSpaceModel& model, double u, const StateRoots& r,
                                             Complex target) {
  std::optional<std::size_t> best;
  for (std::size_t j = 0; j < r.values.size(); ++j) {
    const Complex s = r.values[j];
    if (!(s.imag() > kOnRealAxis * std::abs(s))) continue;
    if (!best || std::abs(s - target) < std::abs(r.values[*best] - target)) best = j;
  }
  if (!best) return std::nullopt;
  const Complex s = r.values[*best];
  const std::array<Complex, 2> x = root_shape(model, u, s);
  return mode_of(-(s * s), x[0], x[1]);
}

double speed(const StateSpaceModel& model, double q) { return std::sqrt(2.0 * q / model.rho); }

Complex root_of(const FlutterMode& m) { return Complex(0.0, 1.0) * m.W; }

// The lowest positive root of det(K + q A0) = c0 + c1 q + c2 q^2 (2 x 2,
// column-major), by the quadratic formula in the form that does not
// cancel; linear where the q^2 term is negligible against the others at
// the roots (a steady matrix of rank one, as thin-plate theory gives).
std::optional<double> divergence_pressure(const std::array<double, 4>& k, const aero::RealMatrix2& a) {
  const double c0 = k[0] * k[3] - k[2] * k[1];
  const double c1 = k[0] * a[3] + a[0] * k[3] - k[2] * a[1] - a[2] * k[1];
  const double c2 = a[0] * a[3] - a[2] * a[1];
  std::vector<double> roots;
  constexpr double kNegligible = 64.0 * std::numeric_limits<double>::epsilon();
  const double scale = std::fabs(a[0] * a[3]) + std::fabs(a[2] * a[1]);
  if (!(std::fabs(c2) > kNegligible * scale)) {
    if (c1 != 0.0) roots.push_back(-c0 / c1);
  } else {
    const double discriminant = c1 * c1 - 4.0 * c2 * c0;
    if (discriminant >= 0.0) {
      const double t = -0.5 * (c1 + std::copysign(std::sqrt(discriminant), c1));
      if (t != 0.0) roots.push_back(c0 / t);
      roots.push_back(t / c2);
    }
  }
  std::optional<double> lowest;
  for (double q : roots) {
    if (std::isfinite(q) && q > 0.0 && (!lowest || q < *lowest)) lowest = q;
  }
  return lowest;
}

}  // namespace

PMethodResult p_method(const StateSpaceModel& model, std::span<const double> q, const std::array<double, 2>& f_0) {
  PMethodResult result;
  result.q.assign(q.begin(), q.end());
  result.tracked.q = result.q;
  std::array<std::optional<Complex>, 2> previous;
  for (double qi : q) {
    if (!(qi > 0.0)) {
      result.roots.emplace_back();
      for (auto& series : result.tracked.modes) series.emplace_back();
      continue;
    }
    const double u = speed(model, qi);
    const StateRoots r = state_roots(model, u);
    result.roots.push_back(r.values);
    for (std::size_t m = 0; m < 2; ++m) {
      const Complex target = previous[m] ? *previous[m] : Complex(0.0, 2.0 * std::numbers::pi * f_0[m]);
      const std::optional<FlutterMode> mode = nearest_candidate(model, u, r, target);
      result.tracked.modes[m].push_back(mode);
      if (mode) previous[m] = root_of(*mode);
    }
  }
  const ModeInBracket mode_at = [&](double qt, double, const FlutterMode& a, double, const FlutterMode&) {
    const double u = speed(model, qt);
    return nearest_candidate(model, u, state_roots(model, u), root_of(a));
  };
  result.crossings = find_crossings(result.tracked, mode_at, model.rho, 2.0 * model.half_chord);
  result.critical = critical_crossing(result.crossings);
  result.divergence_q = divergence_pressure(model.stiffness, model.aero.a0);
  return result;
}

}  // namespace zelvan::flutter
