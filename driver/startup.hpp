// Start-up: command line, start-up constants, the input file and the
// check of the requested time-history length.
#pragma once

namespace zelvan::driver {

// Runs the start-up steps on the process-wide records: reads the
// operating-system option and the input file name with GETARG, sets the
// start-up constants and the Possio solver's fixed settings, reads the
// input file into case_parameters(), writes the reader's warnings (one
// "!!! Input warning: " message each) and the "Input data read" message
// and stops the run (RunStop, limit violation) when npoints > istore.
void start_up();

}  // namespace zelvan::driver
