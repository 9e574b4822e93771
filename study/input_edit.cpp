#include "study/input_edit.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>

#include "study/messages.hpp"
#include "textio/textio.hpp"

namespace zelvan::study {
namespace {

// Layouts are parsed once and kept: a plan formats thousands of values.
const textio::Layout& layout(const std::string& notation) {
  static std::map<std::string, textio::Layout, std::less<>> cache;
  auto it = cache.find(notation);
  if (it == cache.end()) it = cache.emplace(notation, textio::Layout(notation)).first;
  return it->second;
}

std::string write_one(const std::string& notation, int width, const textio::Value& value) {
  return textio::write_text(static_cast<std::size_t>(width), layout(notation),
                            std::span<const textio::Value>(&value, 1));
}

char marker_of(const InputText& input, int line) {
  if (line < 0 || line >= static_cast<int>(input.lines.size())) return ' ';
  const std::string& text = input.lines[static_cast<std::size_t>(line)];
  return text.empty() ? ' ' : text[0];
}

bool blank_from(const InputText& input, int line) {
  for (std::size_t i = static_cast<std::size_t>(line); i < input.lines.size(); ++i) {
    if (input.lines[i].find_first_not_of(" \t") != std::string::npos) return false;
  }
  return true;
}

FormattedValue format_real(const FieldSpec& field, double value) {
  if (!std::isfinite(value)) throw msg::StudyError(msg::compose(msg::kNotFinite, {field.name}));
  const int w = field.width;
  std::string best;
  double best_value = 0.0;
  double best_error = std::numeric_limits<double>::infinity();
  const auto consider = [&](const std::string& notation) {
    std::string text = write_one(notation, w, value);
    if (text.find('*') != std::string::npos) return false;
    double read = 0.0;
    if (textio::parse_real_field(text, 0, read) != textio::FieldStatus::ok) return false;
    const double error = std::abs(read - value);
    if (error < best_error) {
      best_error = error;
      best = std::move(text);
      best_value = read;
    }
    return error == 0.0;
  };
  const std::string width = std::to_string(w);
  for (int d = 0; d <= w - 2; ++d) {
    if (consider("(F" + width + "." + std::to_string(d) + ")")) return {best, best_value};
  }
  for (int d = 1; d <= w - 6; ++d) {
    if (consider("(1PD" + width + "." + std::to_string(d) + ")")) return {best, best_value};
  }
  if (best.empty() || best_error > kFitTolerance * std::abs(value)) {
    throw msg::StudyError(msg::compose(msg::kRealTooWide, {value_text(FieldValue{value}), std::to_string(w), field.name,
                                                           best.empty() ? "none" : value_text(FieldValue{best_value}),
                                                           value_text(FieldValue{best_error / std::abs(value)})}));
  }
  return {best, best_value};
}

FormattedValue format_integer(const FieldSpec& field, double value) {
  const std::string width = std::to_string(field.width);
  if (!std::isfinite(value) || std::floor(value) != value) {
    throw msg::StudyError(msg::compose(msg::kNotInteger, {field.name, width, value_text(FieldValue{value})}));
  }
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    throw msg::StudyError(msg::compose(msg::kIntegerTooWide, {value_text(FieldValue{value}), width, field.name}));
  }
  std::string text = write_one("(I" + width + ")", field.width, static_cast<int>(value));
  if (text.find('*') != std::string::npos) {
    throw msg::StudyError(msg::compose(msg::kIntegerTooWide, {value_text(FieldValue{value}), width, field.name}));
  }
  return {text, FieldValue{value}};
}

FormattedValue format_text(const FieldSpec& field, const std::string& value) {
  if (std::any_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; })) {
    throw msg::StudyError(msg::compose(msg::kTextControl, {field.name}));
  }
  const auto width = static_cast<std::size_t>(field.width);
  if (value.size() > width) {
    throw msg::StudyError(msg::compose(msg::kTextTooLong, {value, std::to_string(field.width), field.name}));
  }
  // The program holds the text blank-padded on the right; An would put a
  // short value at the right end of the field.
  std::string padded = value;
  padded.resize(width, ' ');
  std::string text = write_one("(A" + std::to_string(field.width) + ")", field.width, std::string_view(padded));
  return {text, FieldValue{padded}};
}

// The lines of an inserted block: its marker and its records with the
// reader's defaults (from the table of input records).  A required record
// (of the typical-section or nonlinear-spring group) is left blank: the
// study sets it.
std::vector<std::string> block_lines(Block block) {
  std::vector<std::string> lines;
  if (block == Block::sweep) {
    lines.emplace_back(".           second marker: the six sweep records follow (inserted by zelvan-study)");
  } else if (block == Block::flutter) {
    lines.emplace_back(".           third marker: the flutter-solution records follow (inserted by zelvan-study)");
  } else if (block == Block::section) {
    lines.emplace_back(".           fourth marker: the ten typical-section records follow (inserted by zelvan-study)");
  } else {
    lines.emplace_back(
        ".           fifth marker: the eight nonlinear-spring records follow (inserted by zelvan-study)");
  }
  for (const FieldSpec& field : field_table()) {
    if (field.block != block) continue;
    const std::string value = field.required ? std::string(static_cast<std::size_t>(field.width), ' ')
                                             : format_field(field, FieldValue{field.default_value}).text;
    lines.push_back(value + "  " + std::string(field.name) + (field.required ? " (required)" : ""));
  }
  return lines;
}

void insert_lines(InputText& input, int at, const std::vector<std::string>& lines) {
  const std::string end = !input.ends.empty() && input.ends.front() == "\r\n" ? "\r\n" : "\n";
  if (!input.ends.empty() && input.ends.back().empty()) input.ends.back() = end;
  const auto pos = static_cast<std::ptrdiff_t>(at);
  input.lines.insert(input.lines.begin() + pos, lines.begin(), lines.end());
  input.ends.insert(input.ends.begin() + pos, lines.size(), end);
}

}  // namespace

std::string_view block_name(Block block) {
  switch (block) {
    case Block::sweep:
      return "sweep block";
    case Block::flutter:
      return "flutter-solution group";
    case Block::nonlinear:
      return "nonlinear-spring group";
    default:
      return "typical-section group";
  }
}

InputText InputText::parse(std::string_view text) {
  InputText input;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t newline = text.find('\n', start);
    std::string line(text.substr(start, newline == std::string_view::npos ? std::string_view::npos : newline - start));
    std::string end;
    if (newline != std::string_view::npos) {
      end = "\n";
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
        end = "\r\n";
      }
    }
    input.lines.push_back(std::move(line));
    input.ends.push_back(std::move(end));
    if (newline == std::string_view::npos) break;
    start = newline + 1;
  }
  return input;
}

std::string InputText::str() const {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    text += ends[i];
  }
  return text;
}

RecordMap locate_records(const InputText& input) {
  RecordMap map;
  const int count = static_cast<int>(input.lines.size());
  constexpr int kFirstMarker = 21;  // line 22
  if (count <= kFirstMarker) return map;
  const char first = marker_of(input, kFirstMarker);
  if (first != '.' && first != 'i' && first != 'I') return map;
  map.aero = kFirstMarker + 1;
  int next = map.aero + 1;
  if (first == '.') {
    map.coefficients = next;
    next += 4;
  }
  map.sweep_position = next;
  if (next >= count || marker_of(input, next) != '.') return map;
  map.sweep = next + 1;
  map.flutter_position = map.sweep + 6;
  if (map.flutter_position >= count || marker_of(input, map.flutter_position) != '.') return map;
  map.flutter = map.flutter_position + 1;
  map.section_position = map.flutter + 4;
  if (map.section_position >= count || marker_of(input, map.section_position) != '.') return map;
  map.section = map.section_position + 1;
  map.nonlinear_position = map.section + 10;
  if (map.nonlinear_position < count && marker_of(input, map.nonlinear_position) == '.')
    map.nonlinear = map.nonlinear_position + 1;
  return map;
}

int record_line(const RecordMap& map, const FieldSpec& field) {
  switch (field.block) {
    case Block::mandatory:
      return field.record - 1;
    case Block::aero:
      return map.aero;
    case Block::coefficients:
      return map.coefficients < 0 ? -1 : map.coefficients + field.record - 1;
    case Block::sweep:
      return map.sweep < 0 ? -1 : map.sweep + field.record - 1;
    case Block::flutter:
      return map.flutter < 0 ? -1 : map.flutter + field.record - 1;
    case Block::section:
      return map.section < 0 ? -1 : map.section + field.record - 1;
    case Block::nonlinear:
      return map.nonlinear < 0 ? -1 : map.nonlinear + field.record - 1;
  }
  return -1;
}

FormattedValue format_field(const FieldSpec& field, const FieldValue& value) {
  if (field.kind == FieldKind::text) return format_text(field, std::get<std::string>(value));
  const double number = std::get<double>(value);
  return field.kind == FieldKind::integer ? format_integer(field, number) : format_real(field, number);
}

void insert_missing_blocks(InputText& input, std::span<const FieldSpec* const> fields) {
  bool need_sweep = false;
  bool need_flutter = false;
  bool need_section = false;
  bool need_nonlinear = false;
  for (const FieldSpec* field : fields) {
    RecordMap map = locate_records(input);
    if (field->block == Block::mandatory) continue;
    if (map.aero < 0) throw msg::StudyError(msg::compose(msg::kNoAeroRecord, {field->name}));
    if (field->block == Block::coefficients && map.coefficients < 0) {
      throw msg::StudyError(msg::compose(msg::kNoCoefficients, {field->name}));
    }
    need_nonlinear = need_nonlinear || field->block == Block::nonlinear;
    need_section = need_section || need_nonlinear || field->block == Block::section;
    need_flutter = need_flutter || need_section || field->block == Block::flutter;
    need_sweep = need_sweep || need_flutter || field->block == Block::sweep;
  }
  const auto insert = [&](Block block, int position, std::string_view field_name) {
    if (!blank_from(input, position)) {
      throw msg::StudyError(
          msg::compose(msg::kMarkerInTheWay, {field_name, block_name(block), std::to_string(position + 1)}));
    }
    insert_lines(input, position, block_lines(block));
  };
  // The first field that needs `block` (a later block brings the earlier ones).
  const auto first_name = [&](Block block) {
    for (const FieldSpec* field : fields) {
      if (field->block >= block) return field->name;
    }
    return std::string_view{};
  };
  if (need_sweep && locate_records(input).sweep < 0) {
    insert(Block::sweep, locate_records(input).sweep_position, first_name(Block::sweep));
  }
  if (need_flutter && locate_records(input).flutter < 0) {
    insert(Block::flutter, locate_records(input).flutter_position, first_name(Block::flutter));
  }
  if (need_section && locate_records(input).section < 0) {
    insert(Block::section, locate_records(input).section_position, first_name(Block::section));
  }
  if (need_nonlinear && locate_records(input).nonlinear < 0) {
    insert(Block::nonlinear, locate_records(input).nonlinear_position, first_name(Block::nonlinear));
  }
}

std::vector<std::string_view> unset_required_fields(const InputText& base, std::span<const FieldSpec* const> fields) {
  const auto is_set = [&](std::string_view name) {
    return std::any_of(fields.begin(), fields.end(), [&](const FieldSpec* f) { return f->name == name; });
  };
  // A group's records are needed by its own fields and those of the groups
  // after it.
  const auto needs = [&](Block block) {
    return std::any_of(fields.begin(), fields.end(), [&](const FieldSpec* f) { return f->block >= block; });
  };
  const RecordMap map = locate_records(base);
  const bool insert_section = needs(Block::section) && map.section < 0;
  const bool insert_nonlinear =
      std::any_of(fields.begin(), fields.end(), [](const FieldSpec* f) { return f->block == Block::nonlinear; }) &&
      map.nonlinear < 0;
  std::vector<std::string_view> unset;
  for (const FieldSpec& field : field_table()) {
    const bool inserted =
        (field.block == Block::section && insert_section) || (field.block == Block::nonlinear && insert_nonlinear);
    if (inserted && field.required && !is_set(field.name)) unset.push_back(field.name);
  }
  return unset;
}

void set_field(InputText& input, const RecordMap& map, const FieldSpec& field, const std::string& text) {
  const int index = record_line(map, field);
  std::string& line = input.lines.at(static_cast<std::size_t>(index));
  const auto first = static_cast<std::size_t>(field.column - 1);
  const auto width = static_cast<std::size_t>(field.width);
  if (field.needs_flag) {
    constexpr std::size_t kFlag = 24;  // column 25
    if (line.size() <= kFlag || line[kFlag] != '<') {
      std::string rest = line.size() > 10 ? line.substr(10) : std::string();
      line.resize(std::min<std::size_t>(line.size(), 10));
      line.resize(kFlag, ' ');
      line += '<';
      if (rest.find_first_not_of(' ') != std::string::npos) line += ' ' + rest;
    }
  }
  if (line.size() < first + width) line.resize(first + width, ' ');
  line.replace(first, width, text);
}

}  // namespace zelvan::study

namespace zelvan::study {

void set_note(InputText& input, const RecordMap& map, const FieldSpec& field, const std::string& note) {
  std::string& line = input.lines.at(static_cast<std::size_t>(record_line(map, field)));
  const auto end = static_cast<std::size_t>(field.column) - 1 + static_cast<std::size_t>(field.width);
  line.resize(std::max(line.size(), end), ' ');
  line.replace(end, std::string::npos, "  " + std::string(field.name) + ": " + note);
}

}  // namespace zelvan::study
