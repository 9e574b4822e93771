// The analysis driver: the program's entry and main sequence.
#pragma once

#include "driver/case_parameters.hpp"
#include "driver/getarg.hpp"
#include "driver/input_file.hpp"
#include "driver/run.hpp"
#include "driver/startup.hpp"
