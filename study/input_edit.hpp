// Editing an input file at the text level: each record's line is found by
// walking the markers as the program's reader does, and a field's columns
// are replaced by the value written with the reader's edit descriptor.
// Everything else of the line (comments right of the fields) stays.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "study/field_table.hpp"

namespace zelvan::study {

// An input file as lines, each with its own line end, so that writing it
// back reproduces every byte that is not edited.
struct InputText {
  std::vector<std::string> lines;  // without line ends
  std::vector<std::string> ends;   // "\n", "\r\n" or "" (a last line without end)

  static InputText parse(std::string_view text);
  std::string str() const;
};

// Where the records stand (0-based line indices); -1 where the file has
// no such record.  `*_position` is where a block's marker is looked for,
// whether or not a line stands there.
struct RecordMap {
  int aero = -1;
  int coefficients = -1;  // the first of the four
  int sweep_position = -1;
  int sweep = -1;  // the first of the six
  int flutter_position = -1;
  int flutter = -1;  // the first of the four
  int section_position = -1;
  int section = -1;  // the first of the ten
  int nonlinear_position = -1;
  int nonlinear = -1;  // the first of the eight
};
RecordMap locate_records(const InputText& input);

// The words for `block` in messages: "sweep block", "flutter-solution
// group", "typical-section group", "nonlinear-spring group".
std::string_view block_name(Block block);

// The line of `field`'s record, or -1 when the file lacks it.
int record_line(const RecordMap& map, const FieldSpec& field);

// The text of `value` in `field`: exactly field.width characters written
// with the reader's edit descriptor (Fw.d or 1PDw.d for reals, Iw, An), and
// the value the reader gets back from that text.  A real is written in the
// shortest form that reads back exactly, else in the form nearest to it; one
// that no form holds within kFitTolerance, an integer field given a
// fraction or a number too wide, a text too long: StudyError naming the
// field (without a line; the caller adds the study file's).
struct FormattedValue {
  std::string text;
  FieldValue as_read;
};
FormattedValue format_field(const FieldSpec& field, const FieldValue& value);

// Relative difference accepted between a real and the nearest value its
// field can hold: a study value is meaningful to six significant digits.
inline constexpr double kFitTolerance = 1e-6;

// Makes sure the file holds the records of every field in `fields`:
// a missing sweep block, flutter-solution group, typical-section group or
// nonlinear-spring group is inserted, with its marker and the defaults the reader applies when it
// is absent, where the reader looks for it, provided the file ends there
// (or only blank lines follow); a group brings the blocks before it.  The
// required records of an inserted typical-section or nonlinear-spring
// group are left blank,
// so the study has to set them (see unset_required_fields).  A missing
// aerodynamic or coefficient record, or a line standing where an inserted
// marker would go, is a StudyError.
void insert_missing_blocks(InputText& input, std::span<const FieldSpec* const> fields);

// The required fields (of the typical-section and nonlinear-spring groups)
// that a study of `fields` leaves blank: when `fields` need a group (a
// field of it, or of the nonlinear group for the section group before it)
// and `base` has no such group, the group is inserted with its required
// records blank, and those not in `fields` are returned, in the order of
// the file.  Empty otherwise.
std::vector<std::string_view> unset_required_fields(const InputText& base, std::span<const FieldSpec* const> fields);

// Replaces `field`'s columns in its record by `text` (field.width
// characters).  A short line is padded with blanks first.  For the second
// value of records 10 and 13 a '<' is set in column 25; when column 25 did
// not hold one, whatever stood right of column 10 moves behind it.
void set_field(InputText& input, const RecordMap& map, const FieldSpec& field, const std::string& text);

// Replaces what follows `field`'s columns on its record (the comment) by
// "  NAME: note", for a field alone on its record.
void set_note(InputText& input, const RecordMap& map, const FieldSpec& field, const std::string& note);

}  // namespace zelvan::study
