// Flutter analysis and structural modes.
#pragma once

#include <vector>

#include "driver/flutter_system.hpp"
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

// Runs the dynamic-pressure sweep of the flutter eigenproblem into
// "zelvan_fl.dat" (nstep > 0) or onto the console (nstep <= 0), computes
// and prints the closed-form structural modes, sets f_0_1, f_0_2 and the
// reference frequency (inv_omega_1, inv_omega_2) of the time history, and
// allows the one second run of the time history.  Then the flutter
// solution (tracked modes, crossings, divergence and, when the input asks,
// p-k and the matched point) with its files.  Needs build_model().
// nstep = 0 sweeps with a zero step: nextra + 1 console blocks at q_start.
void flutter_analysis();

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

// How "zelvan_fl.dat" is laid out: the lines of its header and the
// widths of a row's fields, from the layouts its writer uses.
plot::FixedColumns flutter_table_columns();

// True until the coupling analysis has used its one second run.
bool& second_run_pending();

}  // namespace zelvan::driver
