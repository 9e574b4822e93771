// Fuzz target: a record layout and values.  The first line of the input is
// the layout text; the rest provides the values (8 bytes each) and a
// record to read.  Invalid layouts must be rejected with
// std::invalid_argument; valid ones must write and read without faults.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "textio/textio.hpp"

using namespace zelvan::textio;

namespace {

// Values of the kinds each value item takes, in the layout's order.
void collect_kinds(const std::vector<Item>& items, std::vector<ItemKind>& kinds, int depth) {
  for (const Item& item : items) {
    const int repeat = std::min(item.repeat, 64);
    if (item.kind == ItemKind::group) {
      if (depth < 4)
        for (int r = 0; r < repeat; ++r) collect_kinds(item.group, kinds, depth + 1);
    } else if (item.is_value()) {
      for (int r = 0; r < repeat; ++r) kinds.push_back(item.kind);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t end_of_layout = input.find('\n');
  const std::string layout_text = input.substr(0, end_of_layout);
  const std::string rest = end_of_layout == std::string::npos ? std::string() : input.substr(end_of_layout + 1);
  if (layout_text.size() > 200) return 0;  // keep the repeat counts' product small

  std::optional<Layout> layout;
  try {
    layout.emplace(layout_text);
  } catch (const std::invalid_argument&) {
    return 0;
  }

  // Writing: values drawn from the rest of the input.
  std::vector<ItemKind> kinds;
  collect_kinds(layout->items(), kinds, 0);
  if (kinds.size() > 256) kinds.resize(256);
  std::vector<Value> values;
  std::vector<std::string> texts;
  texts.reserve(kinds.size());
  std::size_t at = 0;
  for (const ItemKind kind : kinds) {
    std::uint64_t bits = 0;
    if (at + 8 <= rest.size()) std::memcpy(&bits, rest.data() + at, 8);
    at += 8;
    if (kind == ItemKind::integer) {
      values.emplace_back(static_cast<int>(static_cast<std::int32_t>(bits)));
    } else if (kind == ItemKind::text) {
      texts.emplace_back(rest.substr(std::min(at, rest.size()), bits % 50));
      values.emplace_back(std::string_view(texts.back()));
    } else {
      double x;
      std::memcpy(&x, &bits, 8);
      values.emplace_back(x);
    }
  }
  try {
    std::ostringstream out;
    write(out, *layout, values);
  } catch (const std::invalid_argument&) {
    // A layout whose reversion takes no value cannot take more values.
  }

  // Reading: the rest of the input as the record, into variables of the
  // kinds the layout asks for.
  std::vector<double> reals(kinds.size());
  std::vector<int> integers(kinds.size());
  std::vector<std::string> strings(kinds.size(), std::string(8, ' '));
  std::vector<Target> targets;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] == ItemKind::integer)
      targets.emplace_back(&integers[i]);
    else if (kinds[i] == ItemKind::text)
      targets.emplace_back(&strings[i]);
    else
      targets.emplace_back(&reals[i]);
  }
  try {
    RecordSource source = RecordSource::from_text(rest.substr(0, 2000));
    source.read(*layout, targets, "fuzz");
    for (const double x : reals) {
      if (std::isnan(x) || std::isinf(x)) __builtin_trap();  // the reader never yields them
    }
  } catch (const RunStop&) {
  } catch (const std::invalid_argument&) {
  }
  return 0;
}
