#include "textio/record_writer.hpp"

#include <ostream>
#include <stdexcept>

#include "textio/detail/field_edit.hpp"

namespace zelvan::textio {
namespace {

// The most text one write may produce (line ends counted).  The program's
// records are far shorter; a layout whose repeat counts multiply beyond it
// is refused instead of filling the memory.
constexpr std::size_t kMaxWrittenText = std::size_t{1} << 20;

class Emitter {
 public:
  Emitter(const Layout& layout, std::span<const Value> values) : layout_(layout), values_(values) {}

  std::vector<std::string> run() {
    const auto& items = layout_.items();
    std::size_t start = 0;
    for (;;) {
      const std::size_t taken_before = next_;
      for (std::size_t i = start; i < items.size(); ++i) {
        if (!process(items[i])) return finish();
      }
      if (next_ == values_.size()) return finish();
      if (next_ == taken_before) {
        // Reversion would loop for ever without taking a value.
        throw std::invalid_argument("record layout " + layout_.notation() + " cannot take " +
                                    std::to_string(values_.size()) + " values");
      }
      end_line();
      start = layout_.reversion_index();
    }
  }

 private:
  std::vector<std::string> finish() {
    lines_.push_back(std::move(line_));
    return std::move(lines_);
  }

  void end_line() {
    check_size();
    produced_ += line_.size() + 1;
    lines_.push_back(std::move(line_));
    line_.clear();
  }

  void check_size() const {
    if (produced_ + line_.size() > kMaxWrittenText) {
      throw std::invalid_argument("record layout " + layout_.notation() + " writes more than " +
                                  std::to_string(kMaxWrittenText) + " characters");
    }
  }

  // Processes one item; false when the values are exhausted at a value item.
  bool process(const Item& item) {
    switch (item.kind) {
      case ItemKind::literal:
        line_ += item.literal;
        check_size();
        return true;
      case ItemKind::skip:
        line_.append(static_cast<std::size_t>(item.width), ' ');
        check_size();
        return true;
      case ItemKind::slash:
        for (int r = 0; r < item.repeat; ++r) end_line();
        return true;
      case ItemKind::group:
        for (int r = 0; r < item.repeat; ++r) {
          for (const Item& child : item.group) {
            if (!process(child)) return false;
          }
        }
        return true;
      default:
        for (int r = 0; r < item.repeat; ++r) {
          if (next_ == values_.size()) return false;
          edit(item, values_[next_++]);
          check_size();
        }
        return true;
    }
  }

  [[noreturn]] void wrong_kind(const Item& item) const {
    (void)item;
    throw std::invalid_argument("record layout " + layout_.notation() + ": value " + std::to_string(next_) +
                                " is of the wrong kind for its item");
  }

  double real_value(const Item& item, const Value& value) const {
    if (const double* x = std::get_if<double>(&value)) return *x;
    wrong_kind(item);
  }

  void edit(const Item& item, const Value& value) {
    switch (item.kind) {
      case ItemKind::fixed:
        line_ += format_fixed(real_value(item, value), item.width, item.digits);
        break;
      case ItemKind::general:
        line_ += format_general(real_value(item, value), item.width, item.digits);
        break;
      case ItemKind::dexp:
        line_ += format_dexp(real_value(item, value), item.width, item.digits, item.scale);
        break;
      case ItemKind::integer: {
        const int* n = std::get_if<int>(&value);
        if (n == nullptr) wrong_kind(item);
        line_ += format_integer(*n, item.width, item.digits);
        break;
      }
      case ItemKind::text: {
        const std::string_view* s = std::get_if<std::string_view>(&value);
        if (s == nullptr) wrong_kind(item);
        line_ += format_text(*s, item.width);
        break;
      }
      default:
        break;
    }
  }

  const Layout& layout_;
  std::span<const Value> values_;
  std::size_t next_ = 0;
  std::string line_;
  std::vector<std::string> lines_;
  std::size_t produced_ = 0;  // characters of the finished lines, line ends included
};

}  // namespace

std::vector<std::string> format_lines(const Layout& layout, std::span<const Value> values) {
  return Emitter(layout, values).run();
}

void write(std::ostream& out, const Layout& layout, std::span<const Value> values) {
  std::string text;
  for (const std::string& line : format_lines(layout, values)) {
    text += line;
    text += '\n';
  }
  out << text;
}

std::string write_text(std::size_t length, const Layout& layout, std::span<const Value> values) {
  std::vector<std::string> lines = format_lines(layout, values);
  if (lines.size() != 1 || lines.front().size() > length) {
    throw std::length_error("record layout " + layout.notation() + " does not fit a text of length " +
                            std::to_string(length));
  }
  std::string text = std::move(lines.front());
  text.resize(length, ' ');
  return text;
}

}  // namespace zelvan::textio
