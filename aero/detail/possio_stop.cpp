#include "aero/detail/possio_stop.hpp"

#include <string>

#include "aero/detail/messages.hpp"
#include "textio/stop.hpp"

namespace zelvan::aero {

void stop_possio(const textio::Layout& message, std::span<const textio::Value> values) {
  static const textio::Layout kStopLine("(A)");
  std::string text;
  for (const std::string& line : textio::format_lines(message, values)) text += line + '\n';
  const textio::Value stop_line[] = {msg::kStopPossio};
  for (const std::string& line : textio::format_lines(kStopLine, stop_line)) text += line + '\n';
  throw textio::RunStop(textio::StopReason::limit_violation, text);
}

}  // namespace zelvan::aero
