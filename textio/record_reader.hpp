// The record reader: reads one record set (one or more lines) with a
// layout into a list of variables, from an input file or from a character
// variable.
//
// Reading rules: a read starts at the beginning of the next line and skips
// the rest of its last line; a short line reads as if filled with blanks;
// Fw.d and Iw take exactly w columns, blanks inside them are ignored and an
// all-blank field reads as zero; in an F field a written decimal point
// governs, without one the last d digits are decimals; an exponent ("E",
// "D", either case, or a sign after the digits) is accepted; An takes n
// columns, A as many as the variable holds; nX skips n columns; / goes on
// to the next line.
//
// Every failure ends the run: RunStop(input_error) whose text names the
// file, the line, the columns and the quantity being read.
//
// A number that goes on past its field is read as far as the field goes
// and is reported, not refused: a read returns one warning for each F or I
// field that holds a number and is followed, in the column right after
// it, by what continues a number (see continues_number), where that
// column is not the first column of another value field of the same line
// (a column skipped by nX, or one after the last field).  A value field
// that reads on from there takes those characters as its own, as fields
// written edge to edge are meant to.
#pragma once

#include <fstream>
#include <istream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "textio/layout.hpp"

namespace zelvan::textio {

// A variable to read into.  For a text variable the string's size() is
// its declared length and stays unchanged.
using Target = std::variant<double*, int*, std::string*>;

// Longest accepted line of an input file, line end excluded.
inline constexpr std::size_t kMaxRecordLength = 1024;

// The warnings of one read, in the order of the fields: each one message
// line that names the file, the line, the columns and the quantity,
// without the "!!! Input warning: " prefix (msg::kInputWarningPrefix).
using ReadWarnings = std::vector<std::string>;

class RecordSource {
 public:
  // Opens the text file `path` for reading.  `note` is appended to the
  // message when the file cannot be opened (e.g. why the name looks odd).
  // Throws RunStop(input_error) when the file is missing, unreadable or a
  // directory.
  static RecordSource open_file(const std::string& path, std::string_view note = {});

  // The whole text of a file, read line by line as open_file reads the
  // file (its checks and messages, which name the file `name`).
  static RecordSource from_file_text(std::string_view text, std::string_view name);

  // An internal source: `text` is its one record.  Messages name it
  // `name`, line `line` (e.g. the file and line the text was taken from).
  static RecordSource from_text(std::string_view text, std::string_view name = {}, std::size_t line = 1);

  // Reads one record set into `targets` and returns the warnings of its
  // numeric fields (see above).  `what` names the quantities for
  // messages, e.g. "record 8 (M_1)".  The end of the source before or
  // during the read ends the run with a message.
  ReadWarnings read(const Layout& layout, std::span<const Target> targets, std::string_view what);

  // As read(), but when the source is at its end before the read starts it
  // reads nothing and returns no value.
  std::optional<ReadWarnings> read_unless_end(const Layout& layout, std::span<const Target> targets,
                                              std::string_view what);

  // True when no line is left.
  bool at_end();

  // The number of lines read so far.
  std::size_t lines_read() const { return lines_read_; }

  const std::string& name() const { return name_; }

 private:
  RecordSource() = default;
  bool fetch_line(std::string& line);
  ReadWarnings read_record_set(const Layout& layout, std::span<const Target> targets, std::string_view what);
  [[noreturn]] void fail(const std::string& message) const;

  std::string name_;
  std::unique_ptr<std::istream> file_;  // null for an internal source
  std::string internal_text_;
  bool internal_consumed_ = false;
  bool have_lookahead_ = false;
  std::string lookahead_;
  std::size_t lines_read_ = 0;
};

// The console text of an input error: "!!! Input error: " and `message`
// (one line, without the prefix), then the stop line, framed by blank
// lines.  Every input error of the program is written in this form.
std::string input_error_text(const std::string& message);

// Field conversions, shared with tests.  Both take the field's text as it
// stands (w columns).
enum class FieldStatus { ok, invalid, out_of_range };
FieldStatus parse_real_field(std::string_view field, int digits, double& value);
FieldStatus parse_integer_field(std::string_view field, int& value);

// Whether the text of `line` from the 0-based `column` on continues a
// number written up to the column before: a digit or a decimal point; an
// exponent letter (E, D, either case) followed by a digit, or by a sign
// and a digit; a sign followed by a digit, or by a point and a digit (the
// exponent form 1.5+3, or the sign of the next value).  A blank, a tab, another letter
// or the end of the line do not, so a comment that begins with a blank or
// with a word (also one such as "Damping") is no continuation.
bool continues_number(std::string_view line, std::size_t column);

}  // namespace zelvan::textio
