// The marker lines of the input file: the character in column 1 that
// opens an optional record group.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "textio/record_reader.hpp"

namespace zelvan::driver {

// The characters that open the groups: at the first marker "." (the
// aerodynamic and coefficient records) and "i" or "I" (the aerodynamic
// record alone); at the second and third markers "." alone.
inline constexpr std::string_view kFirstMarkers = ".iI";
inline constexpr std::string_view kGroupMarkers = ".";

struct MarkerLine {
  char marker = ' ';                   // column 1; a blank at the end of the file
  bool opens = false;                  // the marker is one that opens the group
  std::optional<std::string> warning;  // see read_marker
};

// Reads the line where a marker is expected; at the end of the file it
// reads nothing and gives a blank marker.  `markers` are the characters
// that open a group there, `what` names the line in messages and
// `not_read` says what the run goes without when no marker stands in
// column 1.  When column 1 is blank (a blank or a tab) and the first
// other character of the line is one of `markers`, which most likely was
// meant as the marker, `warning` holds one message line, without the
// "!!! Input warning: " prefix, that names the file, the line, the
// character and its column and ends in `not_read`.  The group is not
// opened either way; the run goes on.
MarkerLine read_marker(textio::RecordSource& in, std::string_view what, std::string_view markers,
                       std::string_view not_read);

}  // namespace zelvan::driver
