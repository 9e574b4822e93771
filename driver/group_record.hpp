// One record of an optional input group after a marker: a value in columns
// 1-10, told blank from one that reads as 0.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "driver/input_records.hpp"
#include "textio/record_reader.hpp"

namespace zelvan::driver {

struct GroupRecord {
  std::optional<double> value;  // empty when the field is blank (an I10 field as a whole double)
  std::size_t line = 0;         // the record's line in the file
  std::string label;            // record_label(block, record), for messages
};

// Reads record `record` of `block` whole and then its one field from that
// text, as from the file (the same line in messages, the same warnings,
// appended to `warnings`).  A missing record or an unreadable field ends
// the run with an input error (RunStop, input_error).
GroupRecord read_group_record(textio::RecordSource& in, InputBlock block, int record, textio::ReadWarnings& warnings);

// Ends the run with the input error "file F, line L, columns 1-10
// (label): problem" (RunStop, input_error).
[[noreturn]] void group_value_error(const textio::RecordSource& in, const GroupRecord& record,
                                    std::string_view problem);

}  // namespace zelvan::driver
