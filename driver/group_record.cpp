#include "driver/group_record.hpp"

#include <array>

#include "driver/messages.hpp"
#include "textio/layout.hpp"
#include "textio/messages.hpp"
#include "textio/stop.hpp"

namespace zelvan::driver {

GroupRecord read_group_record(textio::RecordSource& in, InputBlock block, int record, textio::ReadWarnings& warnings) {
  static const textio::Layout kLine("(A)");
  const InputRecord& field = record_fields(block, record).front();
  GroupRecord out;
  out.label = record_label(block, record);
  std::string text(textio::kMaxRecordLength, ' ');
  in.read(kLine, std::array<textio::Target, 1>{&text}, out.label);
  out.line = in.lines_read();
  const auto first = static_cast<std::size_t>(field.column - 1);
  if (text.find_first_not_of(' ', first) >= first + static_cast<std::size_t>(field.width)) return out;
  textio::RecordSource inner = textio::RecordSource::from_text(text, in.name(), out.line);
  const textio::Layout layout(record_layout(block, record));
  textio::ReadWarnings more;
  if (field.kind == FieldKind::integer) {
    int value = 0;
    more = inner.read(layout, std::array<textio::Target, 1>{&value}, out.label);
    out.value = value;
  } else {
    double value = 0.0;
    more = inner.read(layout, std::array<textio::Target, 1>{&value}, out.label);
    out.value = value;
  }
  warnings.insert(warnings.end(), more.begin(), more.end());
  return out;
}

void group_value_error(const textio::RecordSource& in, const GroupRecord& record, std::string_view problem) {
  throw textio::RunStop(textio::StopReason::input_error,
                        textio::input_error_text(textio::msg::compose(
                            msg::kGroupBadValue, {in.name(), std::to_string(record.line), record.label, problem})));
}

}  // namespace zelvan::driver
