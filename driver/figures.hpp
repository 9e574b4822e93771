// The figures of a run: the gnuplot script written with the result files,
// and the gnuplot run that draws it at the end of a successful run.
#pragma once

#include <string>

#include "plot/gnuplot_script.hpp"

namespace zelvan::driver {

// The name of the figure script.
inline constexpr const char* kFigureScriptName = "zelvan.gp";

// What the figures of the finished analysis show: the case parameters,
// the coupling frequency when strong coupling was detected, and the flutter
// table when the sweep wrote it.  The flutter-solution fields stay empty.
plot::FigureScript figures_of_run();

// Writes the figure script (kFigureScriptName) for `figures`; a file that
// cannot be written stops the run like every result file (RunStop).
void write_figure_script(const plot::FigureScript& figures);

// True unless the environment variable ZELVAN_PLOT is "0".
bool plotting_enabled();

// Draws the figures of the script with gnuplot unless plotting is switched
// off, writing one console line.  Never changes the exit status: every
// failure, gnuplot's or the figure files', is reported in that line.
void draw_run_figures(const plot::FigureScript& figures);

}  // namespace zelvan::driver
