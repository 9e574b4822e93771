// The program's main sequence.
#pragma once

#include <span>
#include <string>

namespace zelvan::driver {

// Runs the whole analysis for the command line `words` (the program's name
// first) on fresh process-wide records and returns the exit status: 0 for
// a normal end, the stop's status when the run was stopped (the stop's
// message written to the console first).
int run_zelvan(std::span<const std::string> words);

}  // namespace zelvan::driver
