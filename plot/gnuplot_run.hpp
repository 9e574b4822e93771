// The figures of a run drawn by gnuplot: the program started directly
// (no shell) on the figure script, with a time limit, its figures written
// under temporary names and put in place only when gnuplot ended
// successfully, so that a figure file is complete or keeps its old
// contents.
#pragma once

#include <chrono>
#include <span>
#include <string>

namespace zelvan::plot {

struct GnuplotRun {
  std::string program = "gnuplot";  // found through PATH (posix_spawnp)
  // gnuplot is stopped (SIGKILL) when it runs longer: a figure script
  // draws in a few seconds, so a run this long hangs.
  std::chrono::milliseconds time_limit{std::chrono::seconds(60)};
};

enum class FigureOutcome {
  written,          // every figure is in place
  gnuplot_missing,  // the program was not found: nothing drawn
  failed,           // gnuplot failed, timed out, or a figure file could not be put in place
};

// Runs `run.program` on the script file `script` in the working folder and
// writes ONE console line: the figure files written, or why there are none.
// gnuplot runs without the user's initialisation file (-d) and gets
// `out_prefix` set to a temporary name prefix; after it ended
// with status 0 and wrote every file of `figures` under that prefix, each is
// renamed to its name in `figures`.  On any failure the temporary files are
// removed and the figure files in the folder stay as they were (a rename
// that fails leaves the figures renamed before it in place, and the line
// names them).  gnuplot's standard output is discarded; the last line of
// its standard error explains a failure.  Never throws for a failure of
// gnuplot or of a figure file.
FigureOutcome draw_figures(const std::string& script, std::span<const std::string> figures, const GnuplotRun& run = {});

}  // namespace zelvan::plot
