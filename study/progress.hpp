// The progress display of a study run: cases done / total, failures,
// elapsed time and estimated time left.
#pragma once

#include <string>

namespace zelvan::study {

struct ProgressState {
  int total = 0;         // cases of the run
  int done = 0;          // finished or skipped as complete
  int failed = 0;        // finished with a non-zero status
  int ran = 0;           // finished in this run (not skipped)
  double elapsed = 0.0;  // s since the run began
};

// The bar line, e.g. "[#########-----------]  9/20 done, 1 failed, 0:12
// elapsed, ~0:15 left".  The estimate assumes the cases still to run take
// as long on average as those run so far; it is "?" before the first one.
std::string progress_line(const ProgressState& state, int bar_width = 24);

// A duration as m:ss, or h:mm:ss from one hour on.
std::string clock_text(double seconds);

}  // namespace zelvan::study
