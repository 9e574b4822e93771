// The record writer: writes one record set (one or more lines) with a
// layout and a list of values, to a stream (the console or an output file)
// or into a character variable of fixed length.
//
// Layout control: a write always starts on a new line; items are processed
// left to right; literals, nX and / are emitted as they come; each value
// item takes the next value.  When the values are exhausted, processing
// stops at the next value item or at the end of the layout, the literals
// before that point being written.  When the layout ends and values
// remain, the line is ended and processing resumes at the last group at the
// top level of the layout (with its repeat count), or at the start when the
// layout holds no group.
#pragma once

#include <array>
#include <initializer_list>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "textio/layout.hpp"

namespace zelvan::textio {

// One value of a write: a real for F, G and D items, an integer for I
// items, a text for A items.  A value of the wrong kind for its item is a
// programming error (std::invalid_argument).
using Value = std::variant<double, int, std::string_view>;

// The lines of one record set, without line ends.
std::vector<std::string> format_lines(const Layout& layout, std::span<const Value> values);

// Writes the record set to `out`, each line ended by '\n'.
void write(std::ostream& out, const Layout& layout, std::span<const Value> values);

inline void write(std::ostream& out, const Layout& layout, std::initializer_list<Value> values) {
  write(out, layout, std::span<const Value>(values.begin(), values.size()));
}

// Internal write: the text of the record set's single line, padded with
// blanks to `length`.  A record set of more than one line, or a line longer
// than `length`, is a programming error (std::length_error).
std::string write_text(std::size_t length, const Layout& layout, std::span<const Value> values);

inline std::string write_text(std::size_t length, const Layout& layout, std::initializer_list<Value> values) {
  return write_text(length, layout, std::span<const Value>(values.begin(), values.size()));
}

}  // namespace zelvan::textio
