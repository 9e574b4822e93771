// Output editing of one field, under the names the record writer uses.
// The pure edits live in the core library (see core/field_edit.hpp), which
// the numerical library shares without the record layouts.
#pragma once

#include "core/field_edit.hpp"

namespace zelvan::textio {

using core::format_dexp;
using core::format_fixed;
using core::format_general;
using core::format_integer;
using core::format_text;

}  // namespace zelvan::textio
