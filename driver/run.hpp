// The program's main sequence.
#pragma once

#include <span>
#include <string>

namespace zelvan::driver {

// Restores every record of the run context (run_context().reset()) to its
// initial state: the case parameters, the model, the time history and
// force terms, the spectrum, the sweep, the flutter flags and solution, the
// command line, the Possio block and the thin-plate cache, the library's
// error, option, unit and integrator state, and the record of the output
// files; it also routes the library's messages to the console
// (textio::console_sink) and ends the library's stops with the program's
// stop line (numlib::set_stop_text).  The one reset: the program calls it before each run, the tests,
// benchmarks and fuzz targets before each case.
void reset_run_records();

// Runs the whole analysis for the command line `words` (the program's name
// first) on fresh process-wide records and returns the exit status: 0 for
// a normal end, the stop's status when the run was stopped (the stop's
// message written to the console first).
int run_zelvan(std::span<const std::string> words);

}  // namespace zelvan::driver
