#include "driver/console_output.hpp"

#include <functional>
#include <map>
#include <string>

namespace zelvan::driver {

const textio::Layout& message_layout(std::string_view text) {
  // Keyed by the text itself: equal texts share one parsed layout, and a
  // text that is not a table entry cannot alias another's address.
  static std::map<std::string, textio::Layout, std::less<>> parsed;
  auto it = parsed.find(text);
  if (it == parsed.end()) it = parsed.emplace(std::string(text), textio::Layout(text)).first;
  return it->second;
}

void console_write(std::string_view layout_text, std::initializer_list<textio::Value> values) {
  textio::write(textio::console(), message_layout(layout_text), values);
}

std::string message_text(std::string_view layout_text, std::initializer_list<textio::Value> values) {
  std::string text;
  for (const std::string& line : textio::format_lines(message_layout(layout_text),
                                                      std::span<const textio::Value>(values.begin(), values.size()))) {
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace zelvan::driver
