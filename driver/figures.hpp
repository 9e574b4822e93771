// The figures of a run: the gnuplot script written with the result files,
// and the gnuplot run that draws it at the end of a successful run.
#pragma once

#include <string>

#include "driver/case_parameters.hpp"
#include "driver/flutter_solution.hpp"
#include "driver/model.hpp"
#include "driver/spectrum.hpp"
#include "driver/state_space_history.hpp"
#include "plot/gnuplot_script.hpp"
#include "textio/output_file.hpp"

namespace zelvan::driver {

// The name of the figure script.
inline constexpr const char* kFigureScriptName = "zelvan.gp";

// What the figures of the finished analysis show: the case parameters of
// `cp` with the structure of `model`, the coupling frequency of `s` when
// strong coupling was detected, the flutter table when the sweep wrote it,
// the marks of `solution` when it was analysed, and the history of
// `state_space` (zelvan_ss.dat) beside the run's own when there is one.
plot::FigureScript figures_of_run(const CaseParameters& cp, const AeroelasticModel& model, const Spectrum& s,
                                  const FlutterSolution& solution, const std::optional<StateSpaceHistory>& state_space);

// Writes the figure script (kFigureScriptName) for `figures`; a file that
// cannot be written stops the run like every result file (RunStop).
void write_figure_script(const plot::FigureScript& figures);

// True unless the environment variable ZELVAN_PLOT is "0".
bool plotting_enabled();

// Draws the figures of the run with gnuplot unless plotting is switched
// off, from the new results that `results` holds (gnuplot reads their
// temporaries), and makes `results` put the figures in place with them.
// Every figure file of the folder that this run does not replace (all of
// them when the figures are off, gnuplot is missing or fails) is removed
// when the results are put in place, so that no figure of another run
// stays beside the new data.  Writes gnuplot's console line and, when
// figures of an earlier run are to be removed, one line naming them.
// Never changes the exit status: every failure of gnuplot or of a figure
// file is reported in its line.
void draw_run_figures(const plot::FigureScript& figures, textio::ResultSet& results);

}  // namespace zelvan::driver
