// The optional flutter-solution record group of the input file.
#pragma once

#include "driver/case_parameters.hpp"
#include "textio/record_reader.hpp"

namespace zelvan::driver {

// Sets the group's defaults in `cp`: absent, method 0, no speed of sound,
// tolerance 1e-6, 30 iterations.
void set_flutter_group_defaults(CaseParameters& cp);

// After the sweep records: reads the third marker (A1) and, when it is
// ".", the four records flutter_method (I10), sound_speed (F10.0),
// match_tolerance (F10.0) and match_iterations (I10); a tolerance or limit
// of 0 takes its default.  Without the marker line or with another marker
// the defaults stay.  A missing record, an unreadable field, a method
// outside 0..2, method 2 without a positive speed of sound, or a negative
// tolerance or iteration limit ends the run with an input error naming the
// line, columns and field (RunStop, input_error).  Returns the warnings of
// the marker line and the records, as read_input_file does.
textio::ReadWarnings read_flutter_group(textio::RecordSource& in, CaseParameters& cp);

}  // namespace zelvan::driver
