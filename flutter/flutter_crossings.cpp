#include "flutter/flutter_crossings.hpp"

#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>

#include "aero/flow.hpp"

namespace zelvan::flutter {
namespace {

// TOMS 748 reaches 1e-10 relative in a few tens of evaluations; this bound
// only stops a pathological d(q).
constexpr std::uintmax_t kRootIterationLimit = 200;

// Thrown inside the root-finder when the mode cannot be followed.
struct NotFollowed {};

Crossing crossing_at(CrossingKind kind, int mode, double q, const FlutterMode& m, double rho, double x_ref) {
  Crossing c;
  c.kind = kind;
  c.mode = mode;
  c.q = q;
  c.u = aero::flow_speed(q, rho);
  c.f = m.f;
  c.d = m.d;
  c.k = aero::reduced_frequency(m.f, x_ref, c.u);
  c.ratio = m.ratio;
  c.magnitude = m.magnitude;
  c.phase = m.phase;
  return c;
}

Crossing refine(CrossingKind kind, int mode, double q_a, const FlutterMode& a, double q_b, const FlutterMode& b,
                const ModeInBracket& mode_at, double rho, double x_ref) {
  const auto d_of = [&](double q) {
    if (q == q_a) return a.d;
    if (q == q_b) return b.d;
    const std::optional<FlutterMode> m = mode_at(q, q_a, a, q_b, b);
    if (!m) throw NotFollowed{};
    return m->d;
  };
  const double lo = std::min(q_a, q_b), hi = std::max(q_a, q_b);
  const double d_lo = q_a < q_b ? a.d : b.d, d_hi = q_a < q_b ? b.d : a.d;
  const auto close_enough = [](double x, double y) {
    return std::fabs(x - y) <= kCrossingTolerance * std::max(std::fabs(x), std::fabs(y));
  };
  try {
    std::uintmax_t iterations = kRootIterationLimit;
    const auto [x, y] = boost::math::tools::toms748_solve(d_of, lo, hi, d_lo, d_hi, close_enough, iterations);
    const double q = 0.5 * (x + y);
    const std::optional<FlutterMode> m = q == q_a ? a : (q == q_b ? b : mode_at(q, q_a, a, q_b, b));
    if (m) return crossing_at(kind, mode, q, *m, rho, x_ref);
  } catch (const NotFollowed&) {
  }
  // Linear interpolation between the steps: a mode that cannot be followed.
  const double t = a.d / (a.d - b.d);
  const double q = q_a + t * (q_b - q_a);
  FlutterMode m = t < 0.5 ? a : b;
  m.f = a.f + t * (b.f - a.f);
  m.d = 0.0;
  Crossing c = crossing_at(kind, mode, q, m, rho, x_ref);
  c.refined = false;
  return c;
}

}  // namespace

std::vector<Crossing> find_crossings(const TrackedSeries& series, const ModeInBracket& mode_at, double rho,
                                     double x_ref) {
  std::vector<Crossing> crossings;
  for (int mode = 0; mode < 2; ++mode) {
    const auto& values = series.modes[static_cast<std::size_t>(mode)];
    std::optional<std::size_t> last;  // the last step with a value and d != 0
    std::optional<std::size_t> zero;  // a step with d = 0 exactly after it
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (!values[i] || std::isnan(values[i]->d)) {
        last.reset();
        zero.reset();
        continue;
      }
      const double d = values[i]->d;
      if (d == 0.0) {
        if (!zero) zero = i;
        continue;
      }
      if (last && (values[*last]->d > 0.0) != (d > 0.0)) {
        const CrossingKind kind = d < 0.0 ? CrossingKind::onset : CrossingKind::offset;
        if (zero) {
          crossings.push_back(crossing_at(kind, mode, series.q[*zero], *values[*zero], rho, x_ref));
        } else {
          crossings.push_back(
              refine(kind, mode, series.q[*last], *values[*last], series.q[i], *values[i], mode_at, rho, x_ref));
        }
      }
      last = i;
      zero.reset();
    }
  }
  return crossings;
}

std::optional<Crossing> critical_crossing(const std::vector<Crossing>& crossings) {
  std::optional<Crossing> critical;
  for (const Crossing& c : crossings) {
    if (c.kind != CrossingKind::onset) continue;
    if (!critical || std::fabs(c.q) < std::fabs(critical->q)) critical = c;
  }
  return critical;
}

std::optional<Divergence> divergence(const std::array<double, 4>& stiffness, double lift_slope, double x_p,
                                     double rho) {
  // det(K + q Qs) = det K - q F (K11 (x_p - 0.25) + K21), column-major K.
  const double e = x_p - 0.25;
  const double det_k = stiffness[0] * stiffness[3] - stiffness[1] * stiffness[2];
  const double slope = -lift_slope * (stiffness[0] * e + stiffness[1]);
  if (slope == 0.0) return std::nullopt;
  const double q = -det_k / slope;
  if (!(std::isfinite(q) && q > 0.0)) return std::nullopt;
  return Divergence{q, aero::flow_speed(q, rho)};
}

}  // namespace zelvan::flutter
