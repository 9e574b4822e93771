#include "textio/layout.hpp"

#include <cctype>
#include <stdexcept>

namespace zelvan::textio {
namespace {

// Upper bounds that keep every field and repeat count sane.
constexpr int kMaxWidth = 1000;
constexpr int kMaxDigits = 60;
constexpr int kMaxRepeat = 100000;

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::vector<Item> parse_layout() {
    skip_blanks();
    expect('(');
    std::vector<Item> items = parse_list();
    expect(')');
    skip_blanks();
    if (pos_ != text_.size()) fail("text after the closing parenthesis");
    return items;
  }

 private:
  [[noreturn]] void fail(const std::string& why) const {
    throw std::invalid_argument("invalid record layout \"" + std::string(text_) + "\" at position " +
                                std::to_string(pos_ + 1) + ": " + why);
  }

  void skip_blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }

  char peek() {
    skip_blanks();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }

  void expect(char c) {
    if (peek() != c) fail(std::string("expected '") + c + "'");
    ++pos_;
  }

  // A number; blanks between its digits are ignored.  Returns -1 if none.
  int number(int limit) {
    if (!std::isdigit(static_cast<unsigned char>(peek()))) return -1;
    long value = 0;
    while (std::isdigit(static_cast<unsigned char>(peek()))) {
      value = value * 10 + (text_[pos_++] - '0');
      if (value > limit) fail("number too large");
    }
    return static_cast<int>(value);
  }

  std::vector<Item> parse_list() {
    std::vector<Item> items;
    bool need_separator = false;
    for (;;) {
      char c = peek();
      if (c == ')') break;
      if (c == '\0') fail("missing ')'");
      if (c == ',') {
        if (!need_separator) fail("empty item");
        ++pos_;
        need_separator = false;
        continue;
      }
      if (need_separator && c != '/' && !(items.back().kind == ItemKind::slash)) {
        // A slash needs no comma on either side; every other item does.
        if (!(c >= '0' && c <= '9' && slash_follows_number())) fail("expected ',' between items");
      }
      items.push_back(parse_item());
      need_separator = true;
    }
    if (!items.empty() && !need_separator) fail("empty item before ')'");
    return items;
  }

  bool slash_follows_number() {
    std::size_t p = pos_;
    while (p < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[p])) || text_[p] == ' ')) ++p;
    return p < text_.size() && text_[p] == '/';
  }

  Item parse_literal() {
    const char quote = text_[pos_++];
    Item item;
    item.kind = ItemKind::literal;
    for (;;) {
      if (pos_ >= text_.size()) fail("unterminated literal");
      char c = text_[pos_++];
      if (c == quote) {
        if (pos_ < text_.size() && text_[pos_] == quote) {
          item.literal += quote;
          ++pos_;
          continue;
        }
        break;
      }
      item.literal += c;
    }
    return item;
  }

  // w.d after F, G or D.
  void width_and_digits(Item& item, bool digits_required) {
    item.width = number(kMaxWidth);
    if (item.width <= 0) fail("field width must be positive");
    if (peek() == '.') {
      ++pos_;
      item.digits = number(kMaxDigits);
      if (item.digits < 0) fail("missing digits after '.'");
    } else if (digits_required) {
      fail("missing '.d'");
    }
  }

  Item parse_item() {
    char c = peek();
    if (c == '"' || c == '\'') return parse_literal();
    const int count = number(kMaxRepeat);
    if (count == 0) fail("a count must be positive");
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(peek())));
    Item item;
    item.repeat = count > 0 ? count : 1;
    if (c == '(') {
      ++pos_;
      item.kind = ItemKind::group;
      item.group = parse_list();
      if (item.group.empty()) fail("empty group");
      expect(')');
      return item;
    }
    if (c == '/') {
      ++pos_;
      item.kind = ItemKind::slash;
      return item;
    }
    if (c == 'X') {
      ++pos_;
      item.kind = ItemKind::skip;
      item.width = count > 0 ? count : 1;
      item.repeat = 1;
      return item;
    }
    if (c == 'P') {
      // kP: only the scale factor 1, and only directly before G or D.
      ++pos_;
      if (count != 1) fail("only the scale factor 1P is supported");
      char d = static_cast<char>(std::toupper(static_cast<unsigned char>(peek())));
      if (d != 'G' && d != 'D') fail("1P must stand directly before G or D");
      ++pos_;
      item.kind = d == 'G' ? ItemKind::general : ItemKind::dexp;
      item.scale = 1;
      item.repeat = 1;
      width_and_digits(item, true);
      if (item.kind == ItemKind::general && item.width < 5) fail("G field too narrow");
      return item;
    }
    ++pos_;
    switch (c) {
      case 'F':
        item.kind = ItemKind::fixed;
        width_and_digits(item, true);
        return item;
      case 'G':
        fail("G editing needs the scale factor 1P");
      case 'D':
        item.kind = ItemKind::dexp;
        width_and_digits(item, true);
        if (item.digits < 1) fail("D editing needs at least one digit");
        return item;
      case 'I':
        item.kind = ItemKind::integer;
        item.width = number(kMaxWidth);
        if (item.width <= 0) fail("field width must be positive");
        item.digits = 1;
        if (peek() == '.') {
          ++pos_;
          item.digits = number(kMaxWidth);
          if (item.digits < 0) fail("missing m after '.'");
          if (item.digits > item.width) fail("m larger than w");
        }
        return item;
      case 'A':
        item.kind = ItemKind::text;
        item.width = std::isdigit(static_cast<unsigned char>(peek())) ? number(kMaxWidth) : 0;
        if (std::isdigit(static_cast<unsigned char>(peek())) || item.width < 0) fail("bad A width");
        return item;
      default:
        --pos_;
        fail("unknown item");
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

bool contains_value(const std::vector<Item>& items) {
  for (const Item& item : items) {
    if (item.is_value()) return true;
    if (item.kind == ItemKind::group && contains_value(item.group)) return true;
  }
  return false;
}

}  // namespace

Layout::Layout(std::string_view notation) : notation_(notation), items_(Parser(notation).parse_layout()) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].kind == ItemKind::group) reversion_index_ = i;
  }
  has_value_items_ = contains_value(items_);
}

namespace {

void collect_widths(const std::vector<Item>& items, std::vector<int>& widths, int& slashes) {
  for (const Item& item : items) {
    for (int r = 0; r < item.repeat; ++r) {
      if (item.kind == ItemKind::group) {
        collect_widths(item.group, widths, slashes);
      } else if (item.kind == ItemKind::slash) {
        ++slashes;
      } else if (item.is_value()) {
        widths.push_back(item.width);
      }
    }
  }
}

}  // namespace

std::vector<int> value_widths(const Layout& layout) {
  std::vector<int> widths;
  int slashes = 0;
  collect_widths(layout.items(), widths, slashes);
  return widths;
}

int line_count(const Layout& layout) {
  std::vector<int> widths;
  int slashes = 0;
  collect_widths(layout.items(), widths, slashes);
  return 1 + slashes;
}

}  // namespace zelvan::textio
