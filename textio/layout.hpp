// Record layouts: the parsed form of a layout written in the fixed-column
// notation, e.g. "(F12.2,15F12.5,F12.2)", "(17(1PG14.5))" or
// "( / 8X, \"****** Results *******\", 2/, \"       t    \")".
//
// Items: literals in double or single quotes (a doubled quote stands for
// one), nX, / and r/, Fw.d, 1PGw.d, Dw.d, 1PDw.d, Iw, Iw.m, An, A, a repeat
// count before an item or a parenthesised group.  Blanks between items and
// inside descriptors are ignored; commas next to a slash may be left out.
// A layout is parsed once, when it is constructed, and can then be used by
// any number of reads and writes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan::textio {

enum class ItemKind {
  literal,  // fixed text (output only)
  skip,     // nX: n blanks on output, n columns skipped on input
  slash,    // r/: ends the line r times
  fixed,    // Fw.d
  general,  // 1PGw.d (the scale factor is always 1)
  dexp,     // Dw.d (scale 0) and 1PDw.d (scale 1)
  integer,  // Iw and Iw.m
  text,     // An, or A (width 0: the value's own length)
  group,    // r( ... )
};

struct Item {
  ItemKind kind = ItemKind::literal;
  int repeat = 1;           // repeat count (slash: number of line ends)
  int width = 0;            // w of F, G, D, I, A; n of nX
  int digits = 0;           // d of F, G, D; m of Iw.m (1 when absent)
  int scale = 0;            // 1 for 1PG and 1PD, else 0
  std::string literal;      // text of a literal item
  std::vector<Item> group;  // items of a group

  bool is_value() const {
    return kind == ItemKind::fixed || kind == ItemKind::general || kind == ItemKind::dexp ||
           kind == ItemKind::integer || kind == ItemKind::text;
  }
};

class Layout {
 public:
  // Parses `notation`.  Throws std::invalid_argument naming the position
  // when the text is not a valid layout (a programming error: layouts are
  // fixed texts of the program).
  explicit Layout(std::string_view notation);

  const std::vector<Item>& items() const { return items_; }
  const std::string& notation() const { return notation_; }

  // Index in items() where format reversion resumes: the last group at the
  // top level, or 0 when the layout holds no group.
  std::size_t reversion_index() const { return reversion_index_; }

  // True when the layout holds at least one value item.
  bool has_value_items() const { return has_value_items_; }

 private:
  std::string notation_;
  std::vector<Item> items_;
  std::size_t reversion_index_ = 0;
  bool has_value_items_ = false;
};

// The widths of the value fields that one pass through `layout` writes, in
// order, with repeats and groups expanded (literals and skips do not
// count).  What readers of a fixed-column file take from its writer's
// layout.
std::vector<int> value_widths(const Layout& layout);

// The number of lines that one pass through `layout` writes: one, and one
// more for each line end (slash) in it.
int line_count(const Layout& layout);

}  // namespace zelvan::textio
