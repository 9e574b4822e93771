// The input fields a study can vary: every field of the input file by its
// name in the README's input tables, with the record that holds it, its
// columns and its edit descriptor.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "driver/case_parameters.hpp"

namespace zelvan::study {

// The block of records a field belongs to, in the order of the file.
enum class Block {
  mandatory,     // records 1-21, one line each
  aero,          // the aerodynamic record after a '.' or 'i' first marker
  coefficients,  // the four coefficient records after a '.' first marker
  sweep,         // the six sweep records after the second '.' marker
  flutter,       // the four flutter-solution records after the third '.' marker
};

enum class FieldKind { real, integer, text };

struct FieldSpec {
  std::string_view name;  // as in the README's input tables
  Block block;
  int record;  // 1-based: the line number for mandatory records, else the record within its block
  int column;  // first column, 1-based
  int width;   // columns of the field (w of Fw.0, Iw, An)
  FieldKind kind;
  // Records 10 and 13: the second value is read only when column 25 holds '<'.
  bool needs_flag = false;
};

// A field's value: a number (integers as whole doubles) or a text.
using FieldValue = std::variant<double, std::string>;

// Every field, in the order of the input file.
std::span<const FieldSpec> field_table();

// The field named `name` (exact, case-sensitive), or nullptr.
const FieldSpec* find_field(std::string_view name);

// The value the program holds for `field` after reading a file whose field
// text reads as `as_read` (e.g. M_1 times mass_scale), and the value it
// actually holds in `cp`.  Both are empty for a field the reader does not
// keep.
struct ProgramCheck {
  std::optional<FieldValue> expected;
  std::optional<FieldValue> actual;
};
ProgramCheck program_value(const FieldSpec& field, const FieldValue& as_read, const driver::CaseParameters& cp);

// The value as text for tables: a number in its shortest form that reads
// back exactly (e.g. 0.35, 2, 1e-06), a text as it stands.
std::string value_text(const FieldValue& value);

}  // namespace zelvan::study
