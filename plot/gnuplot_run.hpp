// The figures of a run drawn by gnuplot: the program started directly
// (no shell) on the figure script, with a time limit, its figures written
// under temporary names that the caller puts in place (with the other
// results of the run) or removes.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace zelvan::plot {

struct GnuplotRun {
  std::string program = "gnuplot";  // found through PATH (posix_spawnp)
  // gnuplot is stopped (SIGKILL) when it runs longer: a figure script
  // draws in a few seconds, so a run this long hangs.
  std::chrono::milliseconds time_limit{std::chrono::seconds(60)};
};

enum class FigureOutcome {
  written,          // every figure is written under its temporary name
  gnuplot_missing,  // the program was not found: nothing drawn
  failed,           // gnuplot failed or timed out, or a figure cannot be put in place
};

// A string variable set on gnuplot's command line before the script runs
// (the script gives each its default only when it is not set).
struct ScriptSetting {
  std::string name;
  std::string value;  // without a single quote
};

struct DrawnFigures {
  FigureOutcome outcome = FigureOutcome::failed;
  // When written: the temporary file of each figure, in the order of the
  // figure names.  The caller renames or removes them.
  std::vector<std::string> temporaries;
};

// What to draw: the script gnuplot runs, the figures it writes and the
// variables set before it.
struct FigureRequest {
  std::string script;       // the script file gnuplot runs
  std::string script_name;  // the name the user runs it by (the messages give it)
  std::vector<std::string> figures;
  std::vector<ScriptSetting> settings;
};

// Runs `run.program` on the script of `request` in the working folder and
// writes ONE console line: the figure files written, or why there are none.
// gnuplot runs without the user's initialisation file (-d) and gets
// `out_prefix` set to a temporary name prefix, and the request's settings.
// It succeeds when gnuplot ended with status 0 and wrote every figure under
// that prefix, and no figure name is taken by something a file cannot be
// renamed over (a folder); the figures are then left under their
// temporary names.  On any failure the temporary files are removed.  The
// figure files in the folder are never touched.  gnuplot's standard output
// is discarded; the last line of its standard error explains a failure.
// Never throws for a failure of gnuplot or of a figure file.
DrawnFigures draw_figures(const FigureRequest& request, const GnuplotRun& run = {});

}  // namespace zelvan::plot
