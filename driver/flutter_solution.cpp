#include "driver/flutter_solution.hpp"

#include "driver/case_parameters.hpp"
#include "driver/console_output.hpp"
#include "driver/flutter.hpp"
#include "driver/flutter_solution_files.hpp"
#include "driver/messages.hpp"
#include "driver/run_context.hpp"
#include "driver/section_answers.hpp"

namespace zelvan::driver {
namespace {

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
  if (s.critical) console_write(msg::kSummaryAgainst, {s.w_star, s.Ma});
  write_section_point(section, s.critical);
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

FlutterSolution solve_flutter_solution(const CaseParameters& cp, const AeroelasticModel& model,
                                       const SweepResults& sweep) {
  FlutterSolution s;
  if (!sweep.written_to_file) return s;
  s.analysed = true;
  s.title = cp.title;
  s.route = model.route;
  s.w_star = cp.w_star;
  s.Ma = cp.Ma;
  s.x_ref = cp.x_ref;
  s.rho = cp.rho;
  s.structural_frequencies = {cp.f_0_1, cp.f_0_2};
  s.method = cp.flutter_method;
  s.truncated = sweep.truncated;

  const flutter::FlutterProblem problem{.system = flutter_system(cp, model),
                                        .mass = model.structure.mass,
                                        .route = s.route,
                                        .aero = model.aero_matrix(),
                                        .mach = cp.Ma,
                                        .x_p = cp.x_p,
                                        .aero_scale = cp.aero_scale,
                                        .steps = sweep.steps,
                                        .structural_frequencies = s.structural_frequencies,
                                        .method = cp.flutter_method,
                                        .match_tolerance = cp.match_tolerance,
                                        .match_iterations = cp.match_iterations,
                                        .sound_speed = cp.sound_speed};
  static_cast<flutter::FlutterResult&>(s) = flutter::solve_flutter(problem);
  if (cp.nonlinear && s.state_space) s.lco = lco_sweep(cp, model.structure, s.state_space->model, s.route);
  return s;
}

FlutterSolution flutter_solution(const CaseParameters& cp, const AeroelasticModel& model, const SweepResults& sweep) {
  FlutterSolution s = solve_flutter_solution(cp, model, sweep);
  if (!s.analysed) return s;
  if (cp.nonlinear && !s.state_space) console_write(msg::kNoLcoSweep, {});
  write_flutter_solution_files(s, cp.section);
  if (cp.flutter_group) write_summary(s, cp.section);
  return s;
}

const FlutterSolution& flutter_solution_result() { return run_context().flutter_solution; }

FlutterMarks flutter_marks(const FlutterSolution& s) {
  FlutterMarks marks;
  marks.flutter_file_written = s.analysed;
  if (!s.analysed) return marks;
  const auto point = [](const Crossing& c) { return FlutterMarks::Point{c.q, c.u, c.f, c.k}; };
  if (s.critical) marks.critical = point(*s.critical);
  if (s.pk) {
    marks.pk_rows = !s.pk->q.empty();
    if (s.pk->critical) marks.pk_critical = point(*s.pk->critical);
  }
  if (s.state_space) {
    marks.state_space_rows = !s.state_space->p.q.empty();
    if (s.state_space->p.critical) marks.state_space_critical = point(*s.state_space->p.critical);
  }
  if (s.matched && s.matched->critical) {
    const Crossing& c = *s.matched->critical;
    marks.matched = FlutterMarks::Matched{c.q, c.u, c.f, c.k, s.matched->converged()};
  }
  marks.divergence = s.divergence;
  return marks;
}

}  // namespace zelvan::driver
