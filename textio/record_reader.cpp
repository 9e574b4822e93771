#include "textio/record_reader.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "textio/messages.hpp"
#include "textio/stop.hpp"

namespace zelvan::textio {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Besides the digits, the characters a number's text may hold.
constexpr std::string_view kNumberCharacters = ".EeDd+-";

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string without_blanks(std::string_view field) {
  std::string s;
  for (char c : field) {
    if (c != ' ') s += c;
  }
  return s;
}

std::string hex_byte(unsigned char c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "0x%02X", static_cast<unsigned>(c));
  return buffer;
}

// The message of a field that does not read: where it is, what the record
// is, and either the offending control character (named, never echoed) or
// the field's text.  line is the 1-based line number, column the 0-based
// start of the field.
std::string field_error_message(std::string_view pattern, const std::string& file, std::size_t line, std::size_t column,
                                std::size_t width, std::string_view what, const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!is_control(c)) continue;
    const std::string character =
        c == '\t' ? std::string(msg::kTabCharacter) : msg::compose(msg::kNamedControlCharacter, {hex_byte(c)});
    return msg::compose(msg::kControlCharacterInField,
                        {file, std::to_string(line), std::to_string(column + 1), std::to_string(column + width), what,
                         character, std::to_string(column + i + 1)});
  }
  return msg::compose(
      pattern, {file, std::to_string(line), std::to_string(column + 1), std::to_string(column + width), what, text});
}

// The width of the field that a value item reads into target (an A item
// without a width takes the length of the target text).  Throws
// std::invalid_argument when the target's type does not fit the item.
std::size_t value_field_width(const Item& item, const Target& target) {
  if (item.kind == ItemKind::fixed) {
    if (std::get_if<double*>(&target) == nullptr) throw std::invalid_argument("F item needs a real variable");
    return static_cast<std::size_t>(item.width);
  }
  if (item.kind == ItemKind::integer) {
    if (std::get_if<int*>(&target) == nullptr) throw std::invalid_argument("I item needs an integer variable");
    return static_cast<std::size_t>(item.width);
  }
  std::string* const* sp = std::get_if<std::string*>(&target);
  if (sp == nullptr) throw std::invalid_argument("A item needs a text variable");
  return item.width == 0 ? (*sp)->size() : static_cast<std::size_t>(item.width);
}

// Stores the field text (of the width value_field_width gave) into the
// target.  An A field longer than the target keeps its right end; a
// shorter one is padded with blanks.  Returns the message pattern of a
// field that does not read, empty when it does.
std::string_view store_value_field(const Item& item, const Target& target, const std::string& text) {
  if (item.kind == ItemKind::fixed) {
    const FieldStatus status = parse_real_field(text, item.digits, *std::get<double*>(target));
    if (status == FieldStatus::invalid) return msg::kNotAReal;
    if (status == FieldStatus::out_of_range) return msg::kRealOutOfRange;
    return {};
  }
  if (item.kind == ItemKind::integer) {
    const FieldStatus status = parse_integer_field(text, *std::get<int*>(target));
    if (status == FieldStatus::invalid) return msg::kNotAnInteger;
    if (status == FieldStatus::out_of_range) return msg::kIntegerOutOfRange;
    return {};
  }
  std::string* s = std::get<std::string*>(target);
  const std::size_t length = s->size();
  const std::size_t width = text.size();
  if (length >= width) {
    *s = text + std::string(length - width, ' ');
  } else {
    *s = text.substr(width - length);
  }
  return {};
}

}  // namespace

std::string input_error_text(const std::string& message) {
  std::string text = "\n";
  text += msg::kInputErrorPrefix;
  text += message;
  text += "\n\n";
  text += msg::kInputStopLine;
  text += '\n';
  return text;
}

FieldStatus parse_real_field(std::string_view field, int digits, double& value) {
  const std::string s = without_blanks(field);
  if (s.empty()) {
    value = 0.0;
    return FieldStatus::ok;
  }
  std::size_t i = 0;
  std::string mantissa;
  if (s[i] == '+' || s[i] == '-') mantissa += s[i++];
  bool point = false;
  int mantissa_digits = 0;
  while (i < s.size() && (is_digit(s[i]) || (s[i] == '.' && !point))) {
    if (s[i] == '.')
      point = true;
    else
      ++mantissa_digits;
    mantissa += s[i++];
  }
  if (mantissa_digits == 0) return FieldStatus::invalid;
  long exponent = 0;
  if (i < s.size()) {
    char c = s[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      ++i;
      if (i == s.size()) return FieldStatus::invalid;
      c = s[i];
    }
    bool negative = false;
    if (c == '+' || c == '-') {
      negative = c == '-';
      ++i;
    }
    if (i == s.size()) return FieldStatus::invalid;
    for (; i < s.size(); ++i) {
      if (!is_digit(s[i])) return FieldStatus::invalid;
      if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  if (!point) exponent -= digits;  // without a point the last d digits are decimals
  const std::string text = mantissa + "e" + std::to_string(exponent);
  errno = 0;
  char* end = nullptr;
  const double x = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return FieldStatus::invalid;
  if (std::isinf(x)) return FieldStatus::out_of_range;
  value = x;  // an underflow gives zero or a subnormal number, as strtod rounds it
  return FieldStatus::ok;
}

FieldStatus parse_integer_field(std::string_view field, int& value) {
  const std::string s = without_blanks(field);
  if (s.empty()) {
    value = 0;
    return FieldStatus::ok;
  }
  std::size_t i = 0;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    ++i;
  }
  if (i == s.size()) return FieldStatus::invalid;
  long long magnitude = 0;
  bool too_large = false;
  for (; i < s.size(); ++i) {
    if (!is_digit(s[i])) return FieldStatus::invalid;
    magnitude = magnitude * 10 + (s[i] - '0');
    if (magnitude > 2147483648LL) {
      too_large = true;
      magnitude = 2147483648LL;
    }
  }
  const long long signed_value = negative ? -magnitude : magnitude;
  if (too_large || signed_value > std::numeric_limits<int>::max() || signed_value < std::numeric_limits<int>::min()) {
    return FieldStatus::out_of_range;
  }
  value = static_cast<int>(signed_value);
  return FieldStatus::ok;
}

bool continues_number(std::string_view line, std::size_t column) {
  const auto at = [&](std::size_t i) { return i < line.size() ? line[i] : ' '; };
  const auto is_sign = [](char c) { return c == '+' || c == '-'; };
  const char c = at(column);
  if (is_digit(c) || c == '.') return true;
  if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
    return is_digit(at(column + 1)) || (is_sign(at(column + 1)) && is_digit(at(column + 2)));
  }
  if (is_sign(c)) return is_digit(at(column + 1)) || (at(column + 1) == '.' && is_digit(at(column + 2)));
  return false;
}

RecordSource RecordSource::open_file(const std::string& path, std::string_view note) {
  RecordSource source;
  source.name_ = path;
  auto with_note = [&](std::string message) {
    if (!note.empty()) {
      message += ' ';
      message += note;
    }
    return message;
  };
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw RunStop(StopReason::input_error, input_error_text(with_note(msg::compose(msg::kIsDirectory, {path}))));
  }
  errno = 0;
  auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!file->is_open()) {
    const std::string reason = errno != 0 ? std::strerror(errno) : "unknown reason";
    throw RunStop(StopReason::input_error, input_error_text(with_note(msg::compose(msg::kCannotOpen, {path, reason}))));
  }
  source.file_ = std::move(file);
  return source;
}

RecordSource RecordSource::from_file_text(std::string_view text, std::string_view name) {
  RecordSource source;
  source.name_ = std::string(name);
  source.file_ = std::make_unique<std::istringstream>(std::string(text), std::ios::binary);
  return source;
}

RecordSource RecordSource::from_text(std::string_view text, std::string_view name, std::size_t line) {
  RecordSource source;
  source.name_ = std::string(name.empty() ? msg::kInternalSourceName : name);
  source.internal_text_ = std::string(text);
  source.lines_read_ = line > 0 ? line - 1 : 0;
  return source;
}

void RecordSource::fail(const std::string& message) const {
  throw RunStop(StopReason::input_error, input_error_text(message));
}

// Reads the next line into `line` (without its line end, a carriage return
// before the line feed removed) and checks it.  False at the end.
bool RecordSource::fetch_line(std::string& line) {
  if (have_lookahead_) {
    line = std::move(lookahead_);
    have_lookahead_ = false;
  } else if (!file_) {
    if (internal_consumed_) return false;
    internal_consumed_ = true;
    line = internal_text_;
  } else {
    // At most kMaxRecordLength characters are taken, so a line without an
    // end (/dev/zero, say) stops the read as soon as it is too long.
    line.clear();
    std::streambuf* buffer = file_->rdbuf();
    const std::string line_number = std::to_string(lines_read_ + 1);
    bool any = false;
    bool after_cr = false;  // the character before was a carriage return
    for (;;) {
      const int c = buffer->sbumpc();
      if (c == std::char_traits<char>::eof()) break;
      any = true;
      if (c == '\n') break;
      // A carriage return that does not end the line: the file's lines end
      // in CR only (one message, however long the file).
      if (after_cr) fail(msg::compose(msg::kCrOnlyLineEnds, {name_, line_number}));
      if (c == '\r') {
        after_cr = true;
        continue;
      }
      if (line.size() == kMaxRecordLength) {
        fail(msg::compose(msg::kLineTooLong, {name_, line_number, std::to_string(kMaxRecordLength)}));
      }
      line += static_cast<char>(c);
      // A UTF-8 byte-order mark at the start of the file is skipped.
      if (lines_read_ == 0 && line == kByteOrderMark) line.clear();
    }
    if (!any) {
      if (file_->bad()) fail(msg::compose(msg::kCannotRead, {name_, std::to_string(lines_read_)}));
      return false;
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
      const auto c = static_cast<unsigned char>(line[i]);
      if (is_control(c) && c != '\t') {
        fail(msg::compose(msg::kControlCharacter,
                          {name_, std::to_string(lines_read_ + 1), std::to_string(i + 1), hex_byte(c)}));
      }
    }
  }
  ++lines_read_;
  return true;
}

bool RecordSource::at_end() {
  if (have_lookahead_) return false;
  std::string line;
  const std::size_t before = lines_read_;
  if (!fetch_line(line)) return true;
  lines_read_ = before;
  lookahead_ = std::move(line);
  have_lookahead_ = true;
  return false;
}

ReadWarnings RecordSource::read(const Layout& layout, std::span<const Target> targets, std::string_view what) {
  return read_record_set(layout, targets, what);
}

std::optional<ReadWarnings> RecordSource::read_unless_end(const Layout& layout, std::span<const Target> targets,
                                                          std::string_view what) {
  if (at_end()) return std::nullopt;
  return read_record_set(layout, targets, what);
}

ReadWarnings RecordSource::read_record_set(const Layout& layout, std::span<const Target> targets,
                                           std::string_view what) {
  std::string line;
  const auto next_line = [&] {
    if (!fetch_line(line)) {
      fail(msg::compose(msg::kEndOfFile, {name_, std::to_string(lines_read_), what}));
    }
  };
  next_line();
  std::size_t column = 0;  // 0-based position in the line
  std::size_t next = 0;    // next target

  const auto field = [&](std::size_t width) {
    std::string text = column < line.size() ? line.substr(column, width) : std::string();
    text.resize(width, ' ');
    return text;
  };
  const auto field_error = [&](std::string_view pattern, std::size_t width, const std::string& text) {
    fail(field_error_message(pattern, name_, lines_read_, column, width, what, text));
  };

  // A numeric field that holds a number, kept until the next item shows
  // whether the column after it is read by another value field.
  struct NumberField {
    std::size_t column, width;
    std::string text;
  };
  std::optional<NumberField> last_number;
  ReadWarnings warnings;
  // The column after the last number is not read by a value field: warn
  // when it continues the number.
  const auto check_last_number = [&] {
    if (!last_number) return;
    const NumberField& f = *last_number;
    const std::size_t after = f.column + f.width;
    if (continues_number(line, after)) {
      std::size_t end = after;
      while (end < line.size() && (is_digit(line[end]) || kNumberCharacters.find(line[end]) != std::string_view::npos))
        ++end;
      warnings.push_back(msg::compose(
          msg::kNumberGoesOn, {name_, std::to_string(lines_read_), std::to_string(f.column + 1), std::to_string(after),
                               what, f.text, std::to_string(after + 1), line.substr(after, end - after)}));
    }
    last_number.reset();
  };

  // Reads one value item; false when the targets are exhausted.
  std::function<bool(const Item&)> process;
  process = [&](const Item& item) -> bool {
    switch (item.kind) {
      case ItemKind::skip:
        check_last_number();
        column += static_cast<std::size_t>(item.width);
        return true;
      case ItemKind::slash:
        check_last_number();
        for (int r = 0; r < item.repeat; ++r) {
          next_line();
          column = 0;
        }
        return true;
      case ItemKind::group:
        for (int r = 0; r < item.repeat; ++r) {
          for (const Item& child : item.group) {
            if (!process(child)) return false;
          }
        }
        return true;
      case ItemKind::fixed:
      case ItemKind::integer:
      case ItemKind::text:
        for (int r = 0; r < item.repeat; ++r) {
          if (next == targets.size()) return false;
          last_number.reset();  // this field reads the column after it
          const Target& target = targets[next++];
          const std::size_t width = value_field_width(item, target);
          const std::string text = field(width);
          const std::string_view error = store_value_field(item, target, text);
          if (!error.empty()) field_error(error, width, text);
          if (item.kind != ItemKind::text && text.find_first_not_of(' ') != std::string::npos) {
            last_number = NumberField{column, width, text};
          }
          column += width;
        }
        return true;
      default:
        throw std::invalid_argument("record layout " + layout.notation() + " holds an item that cannot be read");
    }
  };

  const auto& items = layout.items();
  std::size_t start = 0;
  for (;;) {
    const std::size_t taken_before = next;
    for (std::size_t i = start; i < items.size(); ++i) {
      if (!process(items[i])) {
        check_last_number();
        return warnings;
      }
    }
    check_last_number();
    if (next == targets.size()) return warnings;
    if (next == taken_before) {
      throw std::invalid_argument("record layout " + layout.notation() + " cannot fill its variables");
    }
    next_line();
    column = 0;
    start = layout.reversion_index();
  }
}

}  // namespace zelvan::textio
