#include "plot/template_source.hpp"

#include <filesystem>

#include "plot/detail/messages.hpp"
#include "textio/console.hpp"
#include "textio/record_writer.hpp"

namespace zelvan::plot {

TemplateSource TemplateSource::open(const std::string& name, TemplateKind kind) {
  static const textio::Layout kMissing(msg::kTemplateMissing);
  std::error_code ec;
  const bool exists = std::filesystem::exists(name, ec);
  if (!exists && !ec) {
    const std::string_view kind_name =
        kind == TemplateKind::layout ? msg::kLayoutTemplateKind : msg::kStyleTemplateKind;
    textio::write(textio::console(), kMissing, {name, kind_name});
    return from_text(std::string(msg::kBundledSourcePrefix) + name, bundled_template_text(kind));
  }
  // Anything that exists, or cannot even be looked at, is opened as a
  // file: the reader names the file and the reason when that fails.
  TemplateSource source;
  source.name_ = name;
  source.file_.emplace(textio::RecordSource::open_file(name));
  return source;
}

TemplateSource TemplateSource::from_text(std::string_view name, std::string_view text) {
  TemplateSource source;
  source.name_ = std::string(name);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool ended = end != std::string_view::npos;
    if (!ended) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    source.lines_.emplace_back(line);
    start = ended ? end + 1 : end;
  }
  return source;
}

bool TemplateSource::read_line(const textio::Layout& layout, std::string& line) {
  const textio::Target target = &line;
  if (file_) return file_->read_unless_end(layout, {&target, 1}, msg::kTemplateLineWhat).has_value();
  if (next_ == lines_.size()) return false;
  // In-memory lines go through the record reader too, so that they are
  // cut and padded exactly like the lines of a file.
  textio::RecordSource source = textio::RecordSource::from_text(lines_[next_], name_, next_ + 1);
  ++next_;
  source.read(layout, {&target, 1}, msg::kTemplateLineWhat);
  return true;
}

}  // namespace zelvan::plot
