#include "driver/flutter_solution.hpp"

#include <algorithm>
#include <cmath>

#include "driver/aero_route.hpp"
#include "driver/case_parameters.hpp"
#include "driver/console_output.hpp"
#include "driver/flutter.hpp"
#include "driver/flutter_solution_files.hpp"
#include "driver/messages.hpp"
#include "driver/run_context.hpp"
#include "driver/section_answers.hpp"

namespace zelvan::driver {
namespace {

// Points of the Possio coefficient grid of the p-k analysis (Chebyshev
// points in ln k; the measured interpolation error is in docs/).
constexpr int kGridPoints = 18;
// The grid covers the structural frequencies at the extreme sweep speeds
// with these margins (the frequencies move towards each other before
// flutter), but at most this ratio k_hi/k_lo: the interpolation error grows
// quickly with the range (docs/flutter-solution.md), so the lowest speeds,
// far from flutter, may fall outside and are marked.
constexpr double kGridLowMargin = 0.8;
constexpr double kGridHighMargin = 1.25;
constexpr double kGridLargestRatio = 8.0;
// Above this compressible frequency 2k/(1 - Ma^2) the coefficients
// interpolate poorly (docs/); flutter of practical interest lies below it.
constexpr double kGridHighestScaledFrequency = 8.0;

// The tracked series of a sweep with fixed coefficients.
TrackedSeries tracked_series(const std::vector<FlutterStep>& steps, const TrackedModes& tracked) {
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
std::optional<std::array<double, 2>> grid_range(const AeroRouteEvaluator& route, const std::vector<double>& q,
                                                const std::array<double, 2>& f0, double rho, double x_ref,
                                                double mach) {
  double u_lo = INFINITY, u_hi = 0.0;
  for (double qi : q) {
    const double u = std::sqrt(2.0 * std::fabs(qi) / rho);
    if (u > 0.0) u_lo = std::min(u_lo, u);
    u_hi = std::max(u_hi, u);
  }
  const double f_lo = std::min(f0[0], f0[1]), f_hi = std::max(f0[0], f0[1]);
  if (!(u_hi > 0.0 && f_lo > 0.0 && std::isfinite(f_hi))) return std::nullopt;
  double k_lo = kGridLowMargin * reduced_frequency(f_lo, x_ref, u_hi);
  double k_hi = kGridHighMargin * reduced_frequency(f_hi, x_ref, u_lo);
  k_hi = std::min({k_hi, kGridLargestRatio * k_lo, 0.5 * kGridHighestScaledFrequency * (1.0 - mach * mach)});
  if (!(k_lo > 0.0 && k_hi > k_lo && route.in_domain(k_lo, mach) && route.in_domain(k_hi, mach))) {
    return std::nullopt;
  }
  return std::array<double, 2>{k_lo, k_hi};
}

void pk_and_matched(FlutterSolution& s, const CaseParameters& cp, const FlutterSystem& system,
                    const std::array<FlutterMode, 2>& structural) {
  AeroRouteEvaluator route(s.route, cp.x_p, cp.aero_scale);
  const double mach = cp.Ma;
  std::optional<CoefficientGrid> grid;
  CoefficientsAt coefficients;
  if (s.route == AeroRoute::possio) {
    const std::optional<std::array<double, 2>> range =
        grid_range(route, s.sweep.q, s.structural_frequencies, cp.rho, cp.x_ref, mach);
    if (range) grid.emplace(route, mach, (*range)[0], (*range)[1], kGridPoints);
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
  s.pk = pk_analysis(system, coefficients, s.sweep.q, structural, cp.match_tolerance);

  if (!s.pk->critical) {
    s.matched_without_start = true;
  } else {
    const MatchSettings settings{.tolerance = cp.match_tolerance,
                                 .iteration_limit = cp.match_iterations,
                                 .match_mach = cp.flutter_method == 2,
                                 .sound_speed = cp.sound_speed};
    const CriticalAt critical_at = [&](double w, double m) -> std::optional<Crossing> {
      const Matrix2 aero = route.coefficients(w, m);
      std::vector<FlutterStep> steps;
      for (double qi : s.sweep.q) steps.push_back(solve_flutter_step(system, aero, qi));
      const FlutterStep start = solve_flutter_step(system, aero, 0.0);
      const TrackedSeries series = tracked_series(steps, track_modes(start, cp.f_0_1, steps));
      return critical_crossing(sweep_crossings(system, aero, series));
    };
    const DomainCheck in_domain = [&](double k, double m) { return route.in_domain(k, m); };
    s.matched = matched_point(s.pk->critical->k, mach, settings, critical_at, in_domain);
  }
  s.possio_solves = route.possio_solves();
}

void write_point(std::string_view what, const std::optional<Crossing>& c) {
  if (!c) {
    console_write(msg::kSummaryNoCritical, {what});
    return;
  }
  console_write(msg::kSummaryCritical, {what, c->mode == 0 ? "f_0_1" : "f_0_2", c->q, c->u, c->f, c->k});
}

// With a typical section, the line of a point in the section's terms.
void write_section_point(const std::optional<SectionInput>& section, const std::optional<Crossing>& c) {
  if (!section) return;
  if (const std::optional<SectionPoint> p = section_point(*section, c)) {
    console_write(msg::kSummarySectionPoint, {p->V, p->omega_ratio, p->k});
  }
}

void write_summary(const FlutterSolution& s, const std::optional<SectionInput>& section) {
  const std::string route = route_name(s.route);
  console_write(msg::kSummaryTitle, {std::string_view(route)});
  write_point("critical point (sweep)", s.critical);
  write_section_point(section, s.critical);
  if (s.critical) console_write(msg::kSummaryAgainst, {s.w_star, s.Ma});
  if (s.route == AeroRoute::external) {
    console_write(msg::kSummaryExternalDivergence, {});
  } else if (s.divergence) {
    console_write(msg::kSummaryDivergence, {s.divergence->q, s.divergence->u});
    if (section) console_write(msg::kSummarySectionDivergence, {section_speed(*section, s.divergence->u)});
  } else {
    console_write(msg::kSummaryNoDivergence, {});
  }
  if (s.method >= 1 && s.route == AeroRoute::external) console_write(msg::kSummaryExternalPk, {});
  if (s.pk) {
    write_point("critical point (p-k)  ", s.pk->critical);
    write_section_point(section, s.pk->critical);
  }
  if (s.matched_without_start) {
    console_write(msg::kSummaryMatchedStopped, {0, msg::kStopNoPkOnset});
  } else if (s.matched) {
    const MatchedPoint& m = *s.matched;
    if (m.critical) {
      console_write(msg::kSummaryMatched, {m.critical->q, m.critical->u, m.critical->f, m.critical->k, m.Ma});
      write_section_point(section, m.critical);
    }
    const int n = static_cast<int>(m.iterations.size());
    switch (m.stop) {
      case MatchStop::converged:
        console_write(msg::kSummaryMatchedConverged, {n});
        break;
      case MatchStop::no_onset:
        console_write(msg::kSummaryMatchedStopped, {n, msg::kStopNoOnset});
        break;
      case MatchStop::mach_outside:
        console_write(msg::kSummaryMatchedStopped, {n, msg::kStopMachOutside});
        break;
      case MatchStop::frequency_outside:
        console_write(msg::kSummaryMatchedStopped, {n, msg::kStopFrequencyOutside});
        break;
      case MatchStop::limit:
        console_write(msg::kSummaryMatchedStopped, {n, msg::kStopLimit});
        break;
    }
    if (!m.converged() && m.critical) console_write(msg::kSummaryLastIterate, {});
  }
  console_write(msg::kSummaryEnd, {});
}

}  // namespace

void flutter_solution(const SweepResults& sweep) {
  reset_flutter_solution();
  if (!sweep.written_to_file) return;
  const CaseParameters& cp = case_parameters();
  FlutterSolution& s = run_context().flutter_solution;
  s.analysed = true;
  s.title = cp.title;
  s.route = model().route;
  s.w_star = cp.w_star;
  s.Ma = cp.Ma;
  s.x_ref = cp.x_ref;
  s.rho = cp.rho;
  s.structural_frequencies = {cp.f_0_1, cp.f_0_2};
  s.method = cp.flutter_method;
  s.truncated = sweep.truncated;

  const FlutterSystem system = flutter_system();
  const Matrix2 aero = model().aero_matrix();
  const FlutterStep start = solve_flutter_step(system, aero, 0.0);
  const TrackedModes tracked = track_modes(start, cp.f_0_1, sweep.steps);
  s.sweep = tracked_series(sweep.steps, tracked);
  for (std::size_t m = 0; m < 2; ++m) {
    for (int c : tracked.column[m]) s.column[m].push_back(c + 1);
  }
  s.crossings = sweep_crossings(system, aero, s.sweep);
  s.critical = critical_crossing(s.crossings);
  if (s.route != AeroRoute::external) {
    s.divergence = divergence(system.stiffness, steady_lift_slope(cp.aero_scale, cp.Ma), cp.x_p, cp.rho);
  }
  // The structural solution comes from the stiffness and mass alone, so the
  // coefficients do not matter at q = 0.
  if (s.method >= 1 && s.route != AeroRoute::external) {
    pk_and_matched(s, cp, system, structural_tracked(start, cp.f_0_1));
  }
  write_flutter_solution_files(s, cp.section);
  if (cp.flutter_group) write_summary(s, cp.section);
}

const FlutterSolution& flutter_solution_result() { return run_context().flutter_solution; }

FlutterMarks flutter_marks() {
  const FlutterSolution& s = run_context().flutter_solution;
  FlutterMarks marks;
  marks.flutter_file_written = s.analysed;
  if (!s.analysed) return marks;
  const auto point = [](const Crossing& c) { return FlutterMarks::Point{c.q, c.u, c.f, c.k}; };
  if (s.critical) marks.critical = point(*s.critical);
  if (s.pk) {
    marks.pk_rows = !s.pk->q.empty();
    if (s.pk->critical) marks.pk_critical = point(*s.pk->critical);
  }
  if (s.matched && s.matched->critical) {
    const Crossing& c = *s.matched->critical;
    marks.matched = FlutterMarks::Matched{c.q, c.u, c.f, c.k, s.matched->converged()};
  }
  marks.divergence = s.divergence;
  return marks;
}

void reset_flutter_solution() { run_context().flutter_solution = FlutterSolution{}; }

}  // namespace zelvan::driver
