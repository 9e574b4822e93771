// The layout and style templates the plot files are filled in from: a
// template file of the case folder, or the default template built into the
// program when that file does not exist.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "textio/layout.hpp"
#include "textio/record_reader.hpp"

namespace zelvan::plot {

enum class TemplateKind { layout, style };

// The default template of `kind`, as shipped in examples/zelvan.lay0 and
// examples/zelvan.sty0 (built into the program).
std::string_view bundled_template_text(TemplateKind kind);

class TemplateSource {
 public:
  // Opens the template file `name` for reading.  When no file of that name
  // exists, writes one "!!!" line to the console and reads the bundled
  // default of `kind` instead.  A name that exists but cannot be read (a
  // directory, no permission) ends the run with an input error
  // (RunStop) naming the file.
  static TemplateSource open(const std::string& name, TemplateKind kind);

  // A template held in memory: `text` split at line feeds (a carriage
  // return before a line feed is dropped, a last line without a line feed
  // counts).  `name` names it in messages.
  static TemplateSource from_text(std::string_view name, std::string_view text);

  // Reads the next line with `layout` (one A item) into `line`, whose size
  // is the width it receives.  Returns false, leaving `line` unchanged,
  // when the template has no line left.
  bool read_line(const textio::Layout& layout, std::string& line);

  const std::string& name() const { return name_; }

  // True when the lines come from memory (the bundled default or
  // from_text) rather than from a file.
  bool in_memory() const { return !file_.has_value(); }

 private:
  TemplateSource() = default;

  std::string name_;
  std::optional<textio::RecordSource> file_;
  std::vector<std::string> lines_;  // the lines of an in-memory template
  std::size_t next_ = 0;            // next in-memory line
};

}  // namespace zelvan::plot
