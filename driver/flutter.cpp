#include "driver/flutter.hpp"

#include <cmath>
#include <complex>
#include <functional>
#include <limits>

#include "driver/case_parameters.hpp"
#include "driver/console_output.hpp"
#include "driver/constants.hpp"
#include "driver/flutter_solution.hpp"
#include "driver/messages.hpp"
#include "driver/model.hpp"
#include "driver/result_names.hpp"
#include "driver/run_context.hpp"
#include "driver/structural_model.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {

using zcomplex = std::complex<double>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// a/b, or NaN when b is zero: a quotient that does not exist is carried as
// NaN and printed as asterisks.
double quotient(double a, double b) { return b != 0.0 ? a / b : kNaN; }

// Writes one sweep step as a row of the flutter table or, without the
// file, as a console block.
void write_step(const FlutterStep& step, textio::OutputFile* file) {
  const FlutterMode& m1 = step.modes[0];
  const FlutterMode& m2 = step.modes[1];
  const double q = step.q;
  if (file != nullptr) {
    static const textio::Layout kRow(msg::kFlutterRow);
    textio::write(file->stream(), kRow,
                  {std::fabs(q), step.u, m1.f, m1.d, m1.g, m2.f, m2.d, m2.g, m1.ratio.real(), m1.ratio.imag(),
                   m1.magnitude, m1.phase, m2.ratio.real(), m2.ratio.imag(), m2.magnitude, m2.phase, std::fabs(q)});
  } else {
    static const textio::Layout kBlock(msg::kFlutterBlock);
    textio::write(textio::console(), kBlock,
                  {m1.f, m1.d, m1.e1.real(), m1.e1.imag(), m1.ratio.real(), m1.ratio.imag(), m2.f, m2.d, m2.e1.real(),
                   m2.e1.imag(), m2.ratio.real(), m2.ratio.imag()});
  }
}

}  // namespace

void for_each_sweep_pressure(const CaseParameters& cp, const std::function<bool(double)>& each) {
  // nstep = 0 has no step f_s/nstep: the sweep stays at its start value.
  const double dq = cp.nstep != 0 ? cp.f_s / cp.nstep : 0.0;
  double q = std::fabs(cp.q_start);
  if (cp.f_s < 0.0) q = -q;
  // Counted in 64 bits: nstep + nextra + 1 may exceed the int range.
  const long long count = static_cast<long long>(cp.nstep) + cp.nextra + 1;
  for (long long step = 1; step <= count; ++step) {
    q += dq;
    if (!each(q)) return;
  }
}

SweepResults flutter_sweep(const CaseParameters& cp, const AeroelasticModel& model) {
  textio::OutputFile file;
  if (cp.nstep > 0) {
    file.open(std::string(kFlutterTableFile));
    static const textio::Layout kHeader(msg::kFlutterHeader);
    textio::write(file.stream(), kHeader, {});
  }
  const FlutterSystem system = flutter_system(cp, model);
  const Matrix2 aero = model.aero_matrix();
  SweepResults sweep;
  std::vector<FlutterStep>& steps = sweep.steps;
  for_each_sweep_pressure(cp, [&](double q) {
    const FlutterStep result = solve_flutter_step(system, aero, q);
    write_step(result, file.is_open() ? &file : nullptr);
    if (steps.size() < kMaxKeptSteps) {
      steps.push_back(result);
    } else {
      sweep.truncated = true;
    }
    return true;
  });
  sweep.written_to_file = file.is_open();
  file.close();
  return sweep;
}

SweepResults sweep_of(const CaseParameters& cp, const AeroelasticModel& model) {
  std::vector<double> q;
  bool truncated = false;
  for_each_sweep_pressure(cp, [&](double p) {
    if (q.size() == kMaxKeptSteps) {
      truncated = true;
      return false;
    }
    q.push_back(p);
    return true;
  });
  SweepResults sweep = sweep_of(cp, model, q);
  sweep.truncated = truncated;
  return sweep;
}

SweepResults sweep_of(const CaseParameters& cp, const AeroelasticModel& model, std::span<const double> q) {
  const FlutterSystem system = flutter_system(cp, model);
  const Matrix2 aero = model.aero_matrix();
  SweepResults sweep;
  sweep.steps.reserve(q.size());
  for (double p : q) sweep.steps.push_back(solve_flutter_step(system, aero, p));
  sweep.written_to_file = true;
  return sweep;
}

void set_structural_frequencies(CaseParameters& cp, const StructuralModes& modes) {
  cp.f_0_1 = modes.f_0_1;
  cp.f_0_2 = modes.f_0_2;
  // The larger of the two frequencies; one without a value (NaN) does not
  // count, whichever degree of freedom it belongs to.
  const double f_ref = std::fmax(cp.f_0_1, cp.f_0_2);
  cp.inv_omega_1 = quotient(1.0, kTwoPi * f_ref);
  cp.inv_omega_2 = cp.inv_omega_1;
}

void report_structural_modes(const StructuralModes& modes) {
  // Not real and positive: NaN (no real root), zero or infinite.
  const auto real_and_positive = [](double f) { return std::isfinite(f) && f > 0.0; };
  if (!(real_and_positive(modes.f_0_1) && real_and_positive(modes.f_0_2))) {
    console_write(msg::kStructuralFrequenciesUndefined, {});
  }
  console_write(msg::kStructuralModes,
                {modes.f[0], modes.shape[0][0], modes.shape[0][1], modes.f[1], modes.shape[1][0], modes.shape[1][1]});
}

plot::FixedColumns flutter_table_columns() {
  return {textio::line_count(textio::Layout(msg::kFlutterHeader)),
          textio::value_widths(textio::Layout(msg::kFlutterRow))};
}

const SweepResults& sweep_results() { return run_context().sweep; }

FlutterAnalysis flutter_analysis(CaseParameters& cp, const AeroelasticModel& model) {
  FlutterAnalysis analysis;
  analysis.sweep = flutter_sweep(cp, model);
  // The structural frequencies name the tracked modes of the flutter
  // solution, whose summary comes before the structural modes' report.
  analysis.modes = structural_modes_of(model.structure);
  set_structural_frequencies(cp, analysis.modes);
  analysis.solution = flutter_solution(cp, model, analysis.sweep);
  report_structural_modes(analysis.modes);
  return analysis;
}

}  // namespace zelvan::driver
