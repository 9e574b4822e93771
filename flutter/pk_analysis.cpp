#include "flutter/pk_analysis.hpp"

#include <cmath>

#include "aero/flow.hpp"

namespace zelvan::flutter {

using aero::flow_speed;
using aero::reduced_frequency;

std::optional<PkPoint> pk_point(const FlutterSystem& system, const CoefficientsAt& coefficients, double q,
                                double k_start, zcomplex W_ref, zcomplex ratio_ref, double tolerance) {
  const double u = flow_speed(q, system.rho);
  double k = k_start;
  for (int iteration = 0; iteration < kPkIterationLimit; ++iteration) {
    if (!(std::isfinite(k) && k > 0.0)) return std::nullopt;
    const std::optional<Matrix2> aero = coefficients(k);
    if (!aero) return std::nullopt;
    const FlutterStep step = solve_flutter_step(system, *aero, q);
    const int c = closest_mode(step, W_ref, ratio_ref);
    const FlutterMode& m = step.modes[static_cast<std::size_t>(c)];
    const double k_new = reduced_frequency(m.f, system.x_ref, u);
    if (!(std::isfinite(k_new) && k_new > 0.0)) return std::nullopt;
    W_ref = m.W;
    ratio_ref = m.ratio;
    if (std::fabs(k_new - k) <= tolerance * k) return PkPoint{m, k_new, c + 1};
    k = k_new;
  }
  return std::nullopt;
}

PkResult pk_analysis(const FlutterSystem& system, const CoefficientsAt& coefficients, const std::vector<double>& q,
                     const std::array<FlutterMode, 2>& structural, double tolerance) {
  PkResult result;
  result.q = q;
  for (double qi : q) result.u.push_back(flow_speed(qi, system.rho));
  TrackedSeries series;
  series.q = q;
  for (std::size_t m = 0; m < 2; ++m) {
    zcomplex W = structural[m].W, ratio = structural[m].ratio;
    std::optional<double> k_last;
    for (std::size_t i = 0; i < q.size(); ++i) {
      const double k_start = k_last ? *k_last : reduced_frequency(structural[m].f, system.x_ref, result.u[i]);
      std::optional<PkPoint> point = pk_point(system, coefficients, q[i], k_start, W, ratio, tolerance);
      if (point) {
        W = point->mode.W;
        ratio = point->mode.ratio;
        k_last = point->k;
        series.modes[m].push_back(point->mode);
      } else {
        series.modes[m].push_back(std::nullopt);
      }
      result.modes[m].push_back(point);
    }
  }
  const auto mode_at = [&](double qt, double q_a, const FlutterMode& a, double q_b,
                           const FlutterMode& b) -> std::optional<FlutterMode> {
    const double t = (qt - q_a) / (q_b - q_a);
    const double u = flow_speed(qt, system.rho);
    const double f = a.f + t * (b.f - a.f);
    const zcomplex W = a.W + t * (b.W - a.W);
    const zcomplex ratio = a.ratio + t * (b.ratio - a.ratio);
    const std::optional<PkPoint> p =
        pk_point(system, coefficients, qt, reduced_frequency(f, system.x_ref, u), W, ratio, tolerance);
    if (!p) return std::nullopt;
    return p->mode;
  };
  result.crossings = find_crossings(series, mode_at, system.rho, system.x_ref);
  result.critical = critical_crossing(result.crossings);
  return result;
}

}  // namespace zelvan::flutter
