// Console output of the driver's message layouts.
#pragma once

#include <initializer_list>
#include <string_view>

#include "textio/textio.hpp"

namespace zelvan::driver {

// The parsed form of a layout text of the driver's message table, parsed
// on its first use and kept for the rest of the process, one per distinct
// text.
const textio::Layout& message_layout(std::string_view text);

// Writes one record set of a message layout to the console.
void console_write(std::string_view layout_text, std::initializer_list<textio::Value> values);

// The lines of a message layout as console text (each ending in '\n'), for
// a stop whose message main writes.
std::string message_text(std::string_view layout_text, std::initializer_list<textio::Value> values);

}  // namespace zelvan::driver
