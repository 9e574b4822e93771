#include "driver/console_output.hpp"

#include <map>
#include <string>

namespace zelvan::driver {

const textio::Layout& message_layout(std::string_view text) {
  static std::map<const char*, textio::Layout> parsed;
  auto it = parsed.find(text.data());
  if (it == parsed.end()) it = parsed.emplace(text.data(), textio::Layout(text)).first;
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
