#include "flutter/flutter_solution.hpp"

#include <algorithm>
#include <cmath>
#include <functional>

#include "aero/coefficient_grid.hpp"
#include "aero/flow.hpp"
#include "aero/rational_fit.hpp"
#include "aero/thin_plate_matrix.hpp"
#include "flutter/detail/messages.hpp"

namespace zelvan::flutter {
namespace {

using aero::AeroRoute;

// The Possio coefficient grid of the p-k analysis covers the structural
// frequencies at the extreme sweep speeds with these margins (the
// frequencies move towards each other before flutter), up to the end of
// Possio's domain; its points come from the range (aero::grid_points).
constexpr double kGridLowMargin = 0.8;
constexpr double kGridHighMargin = 1.25;
// The fit of the state-space model: samples log-spaced from three decades
// below the top of the p-k range (the range fit_roger starts its lags in)
// or the range's own bottom where that is lower.  On the Possio route the
// range ends at k = 1, or at twice the p-k critical k where that is
// higher, and starts at k = 0.02 (or the p-k range's bottom where that is
// higher): below it the compressible coefficients' steep approach to
// their steady value takes lags from the flutter region (from 0.01 the
// Ma 0.7 flutter point moved from 4.8e-4 to 4.3e-3 of the matched one;
// docs/time-domain-aerodynamics.md).
constexpr int kFitSamples = 40;
constexpr double kFitDecades = 1e-3;
constexpr double kPossioFitTop = 1.0;
constexpr double kPossioFitMargin = 2.0;
constexpr double kPossioFitBottom = 0.02;

// The tracked series of a sweep with fixed coefficients.
TrackedSeries tracked_series(std::span<const FlutterStep> steps, const TrackedModes& tracked) {
  TrackedSeries series;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    series.q.push_back(steps[i].q);
    for (std::size_t m = 0; m < 2; ++m) {
      series.modes[m].push_back(steps[i].modes[static_cast<std::size_t>(tracked.column[m][i])]);
    }
  }
  return series;
}

// Crossings of the sweep with fixed coefficients `aero`: each trial q
// follows the mode closest to W interpolated between the bracket's ends.
std::vector<Crossing> sweep_crossings(const FlutterSystem& system, const Matrix2& aero, const TrackedSeries& series) {
  const auto mode_at = [&](double q, double q_a, const FlutterMode& a, double q_b,
                           const FlutterMode& b) -> std::optional<FlutterMode> {
    const double t = (q - q_a) / (q_b - q_a);
    const FlutterStep step = solve_flutter_step(system, aero, q);
    const int c = closest_mode(step, a.W + t * (b.W - a.W), a.ratio + t * (b.ratio - a.ratio));
    return step.modes[static_cast<std::size_t>(c)];
  };
  return find_crossings(series, mode_at, system.rho, system.x_ref);
}

// The structural solution (q = 0) in tracked order.
std::array<FlutterMode, 2> structural_tracked(const FlutterStep& start, double f_0_1) {
  const int first =
      std::isfinite(f_0_1) && std::fabs(start.modes[1].f - f_0_1) < std::fabs(start.modes[0].f - f_0_1) ? 1 : 0;
  return {start.modes[static_cast<std::size_t>(first)], start.modes[static_cast<std::size_t>(1 - first)]};
}

// The k range the p-k analysis of the sweep needs, inside Possio's domain;
// empty when it has no extent.
std::optional<std::array<double, 2>> grid_range(const aero::AeroRouteEvaluator& route, const std::vector<double>& q,
                                                const std::array<double, 2>& f0, double rho, double x_ref,
                                                double mach) {
  double u_lo = INFINITY, u_hi = 0.0;
  for (double qi : q) {
    const double u = aero::flow_speed(qi, rho);
    if (u > 0.0) u_lo = std::min(u_lo, u);
    u_hi = std::max(u_hi, u);
  }
  const double f_lo = std::min(f0[0], f0[1]), f_hi = std::max(f0[0], f0[1]);
  if (!(u_hi > 0.0 && f_lo > 0.0 && std::isfinite(f_hi))) return std::nullopt;
  const double k_lo = kGridLowMargin * aero::reduced_frequency(f_lo, x_ref, u_hi);
  const double k_hi =
      std::min(kGridHighMargin * aero::reduced_frequency(f_hi, x_ref, u_lo), route.highest_frequency(mach));
  if (!(k_lo > 0.0 && k_hi > k_lo && route.in_domain(k_lo, mach))) return std::nullopt;
  return std::array<double, 2>{k_lo, k_hi};
}

StateSpaceSolution state_space_solution(const FlutterProblem& p, const std::array<FlutterMode, 2>& structural,
                                        const std::vector<double>& q, double k_lo, double k_hi,
                                        const std::function<Matrix2(double)>& coefficients) {
  StateSpaceSolution ss;
  ss.k_range = {k_lo, k_hi};
  ss.model.mass = p.mass;
  ss.model.stiffness = p.system.stiffness;
  ss.model.aero = aero::fit_rational_auto(state_space_samples(k_lo, k_hi, p.x_p, p.mach, p.aero_scale, coefficients));
  ss.model.rho = p.system.rho;
  ss.model.half_chord = 0.5 * p.system.x_ref;
  ss.p = p_method(ss.model, q, {structural[0].f, structural[1].f});
  return ss;
}

void pk_matched_and_state_space(FlutterResult& s, const FlutterProblem& p,
                                const std::array<FlutterMode, 2>& structural) {
  const FlutterSystem& system = p.system;
  aero::AeroRouteEvaluator route(p.route, p.x_p, p.aero_scale, msg::kThinPlateAtIterate);
  const double mach = p.mach;
  const std::optional<std::array<double, 2>> range =
      grid_range(route, s.sweep.q, p.structural_frequencies, system.rho, system.x_ref, mach);
  std::optional<aero::CoefficientGrid> grid;
  CoefficientsAt coefficients;
  if (p.route == AeroRoute::possio) {
    if (range) {
      const auto [k_lo, k_hi] = *range;
      grid.emplace(route, mach, k_lo, k_hi, aero::grid_points(mach, k_lo, k_hi));
    }
    coefficients = [&](double k) -> std::optional<Matrix2> {
      if (!grid || !grid->covers(k)) return std::nullopt;
      return grid->at(k);
    };
    s.grid_points = grid ? grid->size() : 0;
  } else {
    coefficients = [&](double k) -> std::optional<Matrix2> {
      if (!route.in_domain(k, mach)) return std::nullopt;
      return route.coefficients(k, mach);
    };
  }
  s.pk = pk_analysis(system, coefficients, s.sweep.q, structural, p.match_tolerance);

  // The state-space model.  On the Possio route Roger's form fits the
  // compressible coefficients only at moderate k (docs/time-domain-
  // aerodynamics.md): the fit's range ends at kPossioFitTop, or further up
  // where the p-k critical point asks for it, and starts at
  // kPossioFitBottom; its samples inside the grid come from the grid, the
  // others from exact solves.
  if (range) {
    const auto [k_lo, k_hi] = *range;
    if (p.route == AeroRoute::possio) {
      const double pk_k = s.pk->critical ? s.pk->critical->k : 0.0;
      const double top = std::min(k_hi, std::max(kPossioFitTop, kPossioFitMargin * pk_k));
      const double bottom = std::max(std::min(k_lo, kFitDecades * top), kPossioFitBottom);
      const long before = route.possio_solves();
      const auto sample = [&](double k) {
        if (grid && grid->covers(k)) return grid->at(k);
        return route.coefficients(k, mach);
      };
      if (bottom < top) {
        s.state_space = state_space_solution(p, structural, s.sweep.q, bottom, top, sample);
        s.state_space_solves = route.possio_solves() - before;
      }
    } else {
      const auto sample = [&](double k) { return route.coefficients(k, mach); };
      s.state_space = state_space_solution(p, structural, s.sweep.q, std::min(k_lo, kFitDecades * k_hi), k_hi, sample);
    }
  }

  if (!s.pk->critical) {
    s.matched_without_start = true;
  } else {
    const MatchSettings settings{.tolerance = p.match_tolerance,
                                 .iteration_limit = p.match_iterations,
                                 .match_mach = p.method == 2,
                                 .sound_speed = p.sound_speed};
    const double f_0_1 = p.structural_frequencies[0];
    const CriticalAt critical_at = [&](double w, double m) -> std::optional<Crossing> {
      const Matrix2 aero = route.coefficients(w, m);
      std::vector<FlutterStep> steps;
      for (double qi : s.sweep.q) steps.push_back(solve_flutter_step(system, aero, qi));
      const FlutterStep start = solve_flutter_step(system, aero, 0.0);
      const TrackedSeries series = tracked_series(steps, track_modes(start, f_0_1, steps));
      return critical_crossing(sweep_crossings(system, aero, series));
    };
    const DomainCheck in_domain = [&](double k, double m) { return route.in_domain(k, m); };
    s.matched = matched_point(s.pk->critical->k, mach, settings, critical_at, in_domain);
  }
  s.possio_solves = route.possio_solves();
}

}  // namespace

aero::RogerSamples state_space_samples(double k_lo, double k_hi, double x_p, double mach, double aero_scale,
                                       const std::function<Matrix2(double)>& coefficients) {
  aero::RogerSamples samples;
  for (int i = 0; i < kFitSamples; ++i) {
    const double k =
        i + 1 == kFitSamples ? k_hi : k_lo * std::pow(k_hi / k_lo, static_cast<double>(i) / (kFitSamples - 1));
    samples.k.push_back(k);
    samples.q.push_back(coefficients(k));
  }
  samples.steady = aero::thin_plate_matrix(0.0, x_p, mach, aero_scale, msg::kThinPlateAtIterate);
  return samples;
}

FlutterResult solve_flutter(const FlutterProblem& problem) {
  FlutterResult s;
  const FlutterSystem& system = problem.system;
  const double f_0_1 = problem.structural_frequencies[0];
  const FlutterStep start = solve_flutter_step(system, problem.aero, 0.0);
  const TrackedModes tracked = track_modes(start, f_0_1, problem.steps);
  s.sweep = tracked_series(problem.steps, tracked);
  for (std::size_t m = 0; m < 2; ++m) {
    for (int c : tracked.column[m]) s.column[m].push_back(c + 1);
  }
  s.crossings = sweep_crossings(system, problem.aero, s.sweep);
  s.critical = critical_crossing(s.crossings);
  if (problem.route != AeroRoute::external) {
    s.divergence = divergence(system.stiffness, aero::steady_lift_slope(problem.aero_scale, problem.mach), problem.x_p,
                              system.rho);
  }
  // The structural solution comes from the stiffness and mass alone, so the
  // coefficients do not matter at q = 0.
  if (problem.method >= 1 && problem.route != AeroRoute::external) {
    pk_matched_and_state_space(s, problem, structural_tracked(start, f_0_1));
  }
  return s;
}

}  // namespace zelvan::flutter
