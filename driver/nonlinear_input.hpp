// The optional nonlinear-spring record group of the input file.
#pragma once

#include "driver/case_parameters.hpp"
#include "textio/record_reader.hpp"

namespace zelvan::driver {

// The number of speeds of the limit-cycle sweep: at least and at most.
inline constexpr int kFewestLcoSpeeds = 2;
inline constexpr int kMostLcoSpeeds = 1000;

// After the typical-section group: reads the fifth marker (A1) and, when
// it is ".", the eight records cubic_h, freeplay_h, cubic_theta,
// freeplay_theta, lco_V_start, lco_V_end (F10.0), lco_count (I10) and
// lco_theta0 (F10.0) into cp.nonlinear; blank fields other than
// lco_V_start and lco_V_end take their defaults (0, 0, 0, 0, 20, 0.01).
// Without the marker line or with another marker cp.nonlinear stays
// empty.  Without the section group (cp.section empty) no nonlinear group
// is read: with the flutter-solution group present, a "." in column 1 of
// the line after the fourth marker's line gives a warning that says so.
// A missing record, an unreadable field, a blank lco_V_start or
// lco_V_end, or a value outside its domain (not finite; a negative
// freeplay width; freeplay together with a non-zero cubic term on the same
// spring; lco_V_start, lco_theta0 not positive; lco_V_end not above
// lco_V_start; lco_count outside 2..1000; at lco_V_start, a flutter_method
// of 0 or w_star 0, which give no state-space model) ends the run with an input error
// naming the file, the line and the record (RunStop, input_error).
// Returns the warnings of the marker line and the records.
textio::ReadWarnings read_nonlinear_group(textio::RecordSource& in, CaseParameters& cp);

}  // namespace zelvan::driver
