// The reader of the fixed-column input file.
#pragma once

#include <string>
#include <string_view>

#include "driver/case_parameters.hpp"
#include "textio/record_reader.hpp"

namespace zelvan::driver {

// Reads the case from the file `path` into `cp`: the 21 mandatory
// records, the first marker, and the optional aerodynamic, coefficient and
// sweep records that the markers call for, the flutter-solution group
// after a third marker and the typical-section group after a fourth
// (read_section_group); applies the optional second values of records 10
// and 13, mass_scale and the defaults.  The records' names in messages and
// their layouts are those of the table of input records
// (input_records.hpp).  `note` is added to the message when the file
// cannot be opened.  Any unreadable file, missing record or bad field ends
// the run (RunStop, input error).  Returns the warnings of the read, in
// the order of the lines, each one message line without the
// "!!! Input warning: " prefix: a number that goes on in the column right
// after its field where no other field reads on
// (textio::RecordSource::read), a marker character that stands right of a
// blank column 1 where a marker is expected (read_marker), and a section
// group without the flutter-solution group before it.  None of them
// changes what is read.
textio::ReadWarnings read_input_file(CaseParameters& cp, const std::string& path, std::string_view note = {});

// The same read of the whole text of an input file, `text`, which the
// messages name `name` as they name the file.
textio::ReadWarnings read_input_text(CaseParameters& cp, std::string_view text, std::string_view name);

}  // namespace zelvan::driver
