// The analysis driver: the program's entry and main sequence, the run
// context that owns the records of a run, and what the study tool uses to
// read and write input files.  The driver's other headers are the steps of
// the analysis, used by the main sequence and its tests.
#pragma once

#include "driver/case_parameters.hpp"
#include "driver/getarg.hpp"
#include "driver/input_file.hpp"
#include "driver/input_records.hpp"
#include "driver/run.hpp"
#include "driver/run_context.hpp"
#include "driver/startup.hpp"
