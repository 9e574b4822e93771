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
#include "driver/input_records.hpp"

namespace zelvan::study {

// The fields are the records of the program's table of input records:
// their block, record, columns, edit descriptor and default come from there.
using Block = driver::InputBlock;
using FieldKind = driver::FieldKind;
using FieldSpec = driver::InputRecord;

// A field's value: a number (integers as whole doubles) or a text.
using FieldValue = std::variant<double, std::string>;

// Every field, in the order of the input file (driver::input_records()).
std::span<const FieldSpec> field_table();

// The field named `name` (exact, case-sensitive), or nullptr.
const FieldSpec* find_field(std::string_view name);

// The value `cp` holds for `field` (the title for the text field); empty
// for a field the reader does not keep (the fields of an absent group).
std::optional<FieldValue> held_value(const FieldSpec& field, const driver::CaseParameters& cp);

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
