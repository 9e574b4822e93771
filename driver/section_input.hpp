// The optional typical-section record group of the input file.
#pragma once

#include <optional>
#include <string_view>

#include "driver/case_parameters.hpp"
#include "textio/record_reader.hpp"

namespace zelvan::driver {

// After the flutter-solution group: reads the fourth marker (A1) and, when
// it is ".", the ten section records b, a, x_theta, r2, mu, sigma,
// f_theta, span, zeta_h, zeta_theta (F10.0 each) into cp.section; a blank
// a, x_theta, span, zeta_h or zeta_theta takes its default (0, 0, 1, 0,
// 0).  Without the marker line or with another marker cp.section stays
// empty.  Without the flutter-solution group (cp.flutter_group false) no
// section group is read: a "." in column 1 of the line after the third
// marker's line gives a warning that says so, and nothing more is read.
// A missing record, an unreadable field, a blank required field (b, r2,
// mu, sigma, f_theta) or a value outside its domain (not finite; b, mu,
// f_theta or span not positive; a outside [-1, 1]; r2 not above x_theta
// squared; sigma, zeta_h or zeta_theta negative) ends the run with an input
// error naming the file, the line and the record (RunStop, input_error).
// Returns the warnings of the marker line and the records, as
// read_input_file does.
textio::ReadWarnings read_section_group(textio::RecordSource& in, CaseParameters& cp);

// The number of section records, and the value of record `record`
// (1-based, in the order of the file: b, a, x_theta, ..., zeta_theta) in
// `section`; a record outside 1..kSectionRecordCount is a programming error
// (std::out_of_range).
inline constexpr int kSectionRecordCount = 10;
double& section_record_value(SectionInput& section, int record);

// The first value of `section`, in the order of the records, that lies
// outside its domain (the reader's checks above): the record's name and
// the problem as the reader's message states it; empty when every value
// lies inside.
struct SectionProblem {
  std::string_view name;
  std::string_view problem;
};
std::optional<SectionProblem> section_problem(const SectionInput& section);

}  // namespace zelvan::driver
