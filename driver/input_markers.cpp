#include "driver/input_markers.hpp"

#include <array>

#include "driver/messages.hpp"
#include "textio/layout.hpp"
#include "textio/messages.hpp"

namespace zelvan::driver {

MarkerLine read_marker(textio::RecordSource& in, std::string_view what, std::string_view markers,
                       std::string_view not_read) {
  // The whole line is taken, as long as a line may be, so that a marker
  // further right is seen.
  static const textio::Layout kLine("(A)");
  std::string line(textio::kMaxRecordLength, ' ');
  MarkerLine result;
  if (!in.read_unless_end(kLine, std::array<textio::Target, 1>{&line}, what)) return result;
  result.marker = line[0];
  result.opens = markers.find(line[0]) != std::string_view::npos;
  constexpr std::string_view kBlanks = " \t";
  if (kBlanks.find(line[0]) == std::string_view::npos) return result;
  const std::size_t first = line.find_first_not_of(kBlanks);
  if (first == std::string::npos || markers.find(line[first]) == std::string_view::npos) return result;
  result.warning = textio::msg::compose(
      msg::kMarkerNotInColumn1,
      {in.name(), std::to_string(in.lines_read()), what, line.substr(first, 1), std::to_string(first + 1), not_read});
  return result;
}

}  // namespace zelvan::driver
