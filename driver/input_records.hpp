// The records of the input file as one table: every field with its block,
// record, columns, edit descriptor, unit, default and meaning.  The reader
// takes its record names and layouts from it, the study tool its fields,
// and tools/gen_input_tables the README's input tables.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace zelvan::driver {

// The block of records a field belongs to, in the order of the file.
enum class InputBlock {
  mandatory,     // records 1-21, one line each
  aero,          // the aerodynamic record after a '.' or 'i' first marker
  coefficients,  // the four coefficient records after a '.' first marker
  sweep,         // the six sweep records after the second '.' marker
  flutter,       // the four flutter-solution records after the third '.' marker
  section,       // the ten typical-section records after the fourth '.' marker
  nonlinear,     // the eight nonlinear-spring records after the fifth '.' marker
};

enum class FieldKind { real, integer, text };  // Fw.0, Iw, An

struct InputRecord {
  std::string_view name;  // as in the README's input tables
  InputBlock block;
  int record;  // 1-based: the line number for mandatory records, else the record within its block
  int column;  // first column, 1-based
  int width;   // columns of the field (w of Fw.0, Iw, An)
  FieldKind kind;
  // Records 10 and 13: the second value is read only when column 25 holds '<'.
  bool needs_flag = false;
  std::string_view unit;     // as the README writes it; empty for none
  bool required = false;     // a blank field is an input error
  double default_value = 0;  // what the record holds when its block is absent or the field is blank
  // The default as the README's tables show it; empty where the table has
  // no default column.
  std::string_view default_text;
  std::string_view meaning;  // the README's note, in markdown
};

// Every field, in the order of the input file.
std::span<const InputRecord> input_records();

// The field's edit descriptor as the reader reads it: F10.0, I10, A40.
std::string field_format(const InputRecord& field);

// The field named `name` (exact, case-sensitive), or nullptr.
const InputRecord* find_input_record(std::string_view name);

// The fields of one record of `block`, in column order (empty when the
// block has no such record).
std::span<const InputRecord> record_fields(InputBlock block, int record);

// The name of a record in messages: the block's words, the record number
// and the names of its fields, e.g. "record 10 (S_m, mass_scale)",
// "the aerodynamic record (f_s, w_star, x_p, Ma, aero_scale)",
// "sweep record 2 (rho)", "section record 4 (r2)", "nonlinear record 7
// (lco_count)".
std::string record_label(InputBlock block, int record);

// The reader's layout of one record: its fields at their columns with the
// blank columns between them skipped, e.g. "(F10.0,20X,A40)" for record 1.
// Without `with_flagged` the fields that need the '<' of column 25 are
// left out ("(F10.0)" for record 10, "(F10.0,4X,F10.0)" with them).
std::string record_layout(InputBlock block, int record, bool with_flagged = true);

}  // namespace zelvan::driver
