// Flutter analysis and structural modes.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "driver/case_parameters.hpp"
#include "driver/flutter_solution.hpp"
#include "driver/flutter_system.hpp"
#include "driver/model.hpp"
#include "driver/structural_model.hpp"
#include "flutter/flutter_modes.hpp"
#include "plot/gnuplot_script.hpp"

namespace zelvan::driver {

// The eigenproblem's values under the driver's names.
using flutter::FlutterMode;
using flutter::FlutterStep;
using flutter::FlutterSystem;
using flutter::Matrix2;
using flutter::solve_flutter_step;
using flutter::zcomplex;

// The steps of the last sweep, in memory, and whether they went to
// "zelvan_fl.dat" (nstep > 0) rather than to the console.
// At most kMaxKeptSteps steps are kept (about 22 MB); a longer sweep
// writes every row but keeps, and analyses, only its first steps.
inline constexpr std::size_t kMaxKeptSteps = 100000;
struct SweepResults {
  std::vector<FlutterStep> steps;
  bool written_to_file = false;
  bool truncated = false;  // steps beyond kMaxKeptSteps were not kept
};
const SweepResults& sweep_results();

// Runs the dynamic-pressure sweep of the flutter eigenproblem of `cp` and
// `model` into "zelvan_fl.dat" (nstep > 0) or onto the console (nstep <=
// 0), and returns its steps.  nstep = 0 sweeps with a zero step: nextra + 1
// console blocks at q_start.
SweepResults flutter_sweep(const CaseParameters& cp, const AeroelasticModel& model);

// Calls `each` with the dynamic pressures of the sweep of `cp` in order
// (q_start, with the sign of f_s, plus f_s/nstep, accumulated step by step,
// nstep + nextra + 1 times); `each` returns false to end the sweep early.
void for_each_sweep_pressure(const CaseParameters& cp, const std::function<bool(double)>& each);

// The sweep of `cp` and `model` as a value: the steps of flutter_sweep
// (its first kMaxKeptSteps, truncated when there are more), without a file
// or a console line; written_to_file is true (the steps stand for the
// flutter table).
SweepResults sweep_of(const CaseParameters& cp, const AeroelasticModel& model);

// The same at the dynamic pressures `q` [N/m^2] instead of the case's.
SweepResults sweep_of(const CaseParameters& cp, const AeroelasticModel& model, std::span<const double> q);

// The structural frequencies of the modes as the case keeps them: f_0_1,
// f_0_2 and the reference frequency of the time history (inv_omega_1 =
// inv_omega_2 = 1/(2 pi f_ref), f_ref the larger frequency that has a
// value; NaN when neither has one).
void set_structural_frequencies(CaseParameters& cp, const StructuralModes& modes);

// Writes the structural modes to the console, preceded by a warning when
// a frequency is not real and positive.
void report_structural_modes(const StructuralModes& modes);

// What the flutter analysis of a run made.
struct FlutterAnalysis {
  SweepResults sweep;
  StructuralModes modes;
  FlutterSolution solution;
};

// The flutter analysis of `cp` and `model`: the sweep, the structural
// modes (into `cp`: set_structural_frequencies), the flutter solution
// with its files and summary (tracked modes, crossings, divergence and,
// when the input asks, p-k and the matched point), then the report of the
// structural modes, in this order on the console.
FlutterAnalysis flutter_analysis(CaseParameters& cp, const AeroelasticModel& model);

// How "zelvan_fl.dat" is laid out: the lines of its header and the
// widths of a row's fields, from the layouts its writer uses.
plot::FixedColumns flutter_table_columns();

}  // namespace zelvan::driver
