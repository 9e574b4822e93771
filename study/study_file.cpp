#include "study/study_file.hpp"

#include <toml++/toml.h>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "study/messages.hpp"

namespace zelvan::study {
namespace {

class StudyFile {
 public:
  explicit StudyFile(std::filesystem::path path) : path_(std::move(path)) {}

  [[noreturn]] void fail(int line, const std::string& what) const {
    throw msg::StudyError(msg::compose(msg::kAtLine, {path_.string(), std::to_string(line), what}));
  }
  [[noreturn]] void fail(const toml::node& node, const std::string& what) const {
    fail(static_cast<int>(node.source().begin.line), what);
  }

  // Every key of `table` must be one of `allowed`.
  void check_keys(const toml::table& table, std::initializer_list<std::string_view> allowed) const {
    for (const auto& [key, node] : table) {
      if (std::find(allowed.begin(), allowed.end(), key.str()) == allowed.end()) {
        fail(static_cast<int>(key.source().begin.line), msg::compose(msg::kUnknownKey, {key.str()}));
      }
    }
  }

  std::string string_key(const toml::table& table, std::string_view key, const toml::node& owner,
                         const char* fallback) const {
    const toml::node* node = table.get(key);
    if (node == nullptr) {
      if (fallback != nullptr) return fallback;
      fail(owner, msg::compose(msg::kMissingKey, {key}));
    }
    if (!node->is_string()) fail(*node, msg::compose(msg::kNotAString, {key}));
    return node->as_string()->get();
  }

  double range_number(const toml::table& range, std::string_view key) const {
    const toml::node* node = range.get(key);
    if (node == nullptr) fail(range, msg::compose(msg::kMissingKey, {"range." + std::string(key)}));
    const auto value = node->value<double>();
    if (!node->is_number() || !value || !std::isfinite(*value)) fail(*node, msg::compose(msg::kRangeNotNumber, {key}));
    return *value;
  }

  FormattedValue fit(const FieldSpec& field, const FieldValue& value, const toml::node& where) const {
    try {
      return format_field(field, value);
    } catch (const msg::StudyError& e) {
      fail(where, e.what());
    }
  }

  std::vector<FormattedValue> listed_values(const FieldSpec& field, const toml::array& values) const {
    if (values.empty()) fail(values, std::string(msg::kEmptyValues));
    std::vector<FormattedValue> out;
    for (const toml::node& element : values) {
      if (field.kind == FieldKind::text) {
        if (!element.is_string()) fail(element, msg::compose(msg::kNotText, {field.name, type_name(element)}));
        out.push_back(fit(field, FieldValue{element.as_string()->get()}, element));
      } else {
        if (!element.is_number()) fail(element, msg::compose(msg::kNotANumber, {field.name, type_name(element)}));
        out.push_back(fit(field, FieldValue{*element.value<double>()}, element));
      }
    }
    return out;
  }

  std::vector<FormattedValue> ranged_values(const FieldSpec& field, const toml::table& range) const {
    if (field.kind == FieldKind::text) fail(range, msg::compose(msg::kRangeText, {field.name}));
    check_keys(range, {"start", "stop", "count", "spacing"});
    const double start = range_number(range, "start");
    const double stop = range_number(range, "stop");
    const toml::node* count_node = range.get("count");
    if (count_node == nullptr) fail(range, msg::compose(msg::kMissingKey, {"range.count"}));
    const auto count = count_node->value_exact<int64_t>();
    if (!count || *count < 1 || *count > 1000000) {
      const auto number = count_node->value<double>();
      fail(*count_node,
           msg::compose(msg::kRangeCount, {number ? value_text(FieldValue{*number}) : type_name(*count_node)}));
    }
    const std::string spacing = string_key(range, "spacing", range, "linear");
    if (spacing != "linear" && spacing != "log")
      fail(*range.get("spacing"), msg::compose(msg::kRangeSpacing, {spacing}));
    if (*count == 1 && start != stop) fail(range, std::string(msg::kRangeSingle));
    const bool log = spacing == "log";
    if (log && (start <= 0.0 || stop <= 0.0)) fail(range, std::string(msg::kRangeLog));
    std::vector<FormattedValue> out;
    for (double v : range_values(start, stop, static_cast<int>(*count), log))
      out.push_back(fit(field, FieldValue{v}, range));
    return out;
  }

  static std::string type_name(const toml::node& node) {
    switch (node.type()) {
      case toml::node_type::string:
        return "a text";
      case toml::node_type::boolean:
        return "a boolean";
      case toml::node_type::array:
        return "an array";
      case toml::node_type::table:
        return "a table";
      case toml::node_type::integer:
      case toml::node_type::floating_point:
        return "a number";
      default:
        return "a date or time";
    }
  }

 private:
  std::filesystem::path path_;
};

std::string upper3(std::string text) {
  text.resize(std::min<std::size_t>(text.size(), 3));
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::vector<double> range_values(double start, double stop, int count, bool log) {
  std::vector<double> values(static_cast<std::size_t>(count));
  if (count == 1) {
    values[0] = start;
    return values;
  }
  const double a = log ? std::log(start) : start;
  const double b = log ? std::log(stop) : stop;
  for (int i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(count - 1);
    const double x = a + (b - a) * t;
    values[static_cast<std::size_t>(i)] = log ? std::exp(x) : x;
  }
  values.front() = start;
  values.back() = stop;
  return values;
}

StudyDefinition read_study_file(const std::filesystem::path& path) {
  const StudyFile file(path);
  toml::table root;
  try {
    root = toml::parse_file(path.string());
  } catch (const toml::parse_error& e) {
    if (e.source().begin.line == 0) {
      throw msg::StudyError(msg::compose(msg::kCannotOpenStudy, {path.string()}) + ": " + std::string(e.description()));
    }
    file.fail(static_cast<int>(e.source().begin.line), msg::compose(msg::kTomlSyntax, {e.description()}));
  }
  file.check_keys(root, {"base", "option", "mode", "parameter"});

  StudyDefinition study;
  study.study_file = path;
  const std::string base = file.string_key(root, "base", root, nullptr);
  study.base_file = std::filesystem::absolute(path.parent_path() / base).lexically_normal();
  if (!std::filesystem::is_regular_file(study.base_file)) {
    file.fail(*root.get("base"), msg::compose(msg::kNoBaseFile, {study.base_file.string()}));
  }
  const std::string option = file.string_key(root, "option", root, "LNX");
  study.option = upper3(option);
  if (study.option != "WIN" && study.option != "SGI" && study.option != "LNX") {
    file.fail(*root.get("option"), msg::compose(msg::kBadOption, {option}));
  }
  const std::string mode = file.string_key(root, "mode", root, "grid");
  if (mode != "grid" && mode != "zip") file.fail(*root.get("mode"), msg::compose(msg::kBadMode, {mode}));
  study.mode = mode == "zip" ? Mode::zip : Mode::grid;

  const toml::node* parameters = root.get("parameter");
  if (parameters == nullptr) file.fail(1, std::string(msg::kNoParameters));
  const toml::array* list = parameters->as_array();
  if (list == nullptr || list->empty()) file.fail(*parameters, std::string(msg::kNoParameters));
  for (const toml::node& element : *list) {
    const toml::table* table = element.as_table();
    if (table == nullptr) file.fail(element, std::string(msg::kNoParameters));
    file.check_keys(*table, {"field", "values", "range"});
    Parameter parameter;
    parameter.line = static_cast<int>(table->source().begin.line);
    const std::string name = file.string_key(*table, "field", *table, nullptr);
    parameter.field = find_field(name);
    if (parameter.field == nullptr) file.fail(*table->get("field"), msg::compose(msg::kUnknownField, {name}));
    for (const Parameter& other : study.parameters) {
      if (other.field == parameter.field) {
        file.fail(*table->get("field"), msg::compose(msg::kDuplicateField, {name, std::to_string(other.line)}));
      }
    }
    const toml::node* values = table->get("values");
    const toml::node* range = table->get("range");
    if (values != nullptr && range != nullptr) file.fail(*table, std::string(msg::kValuesAndRange));
    if (values == nullptr && range == nullptr) file.fail(*table, std::string(msg::kNoValues));
    if (values != nullptr) {
      if (!values->is_array()) file.fail(*values, std::string(msg::kNoValues));
      parameter.values = file.listed_values(*parameter.field, *values->as_array());
    } else {
      if (!range->is_table()) file.fail(*range, std::string(msg::kNoValues));
      parameter.values = file.ranged_values(*parameter.field, *range->as_table());
    }
    study.parameters.push_back(std::move(parameter));
  }
  if (study.mode == Mode::zip) {
    const Parameter& first = study.parameters.front();
    for (const Parameter& p : study.parameters) {
      if (p.values.size() != first.values.size()) {
        file.fail(p.line, msg::compose(msg::kZipLengths, {first.field->name, std::to_string(first.values.size()),
                                                          p.field->name, std::to_string(p.values.size())}));
      }
    }
  }
  return study;
}

std::vector<std::vector<std::size_t>> expand_cases(const StudyDefinition& study) {
  std::vector<std::vector<std::size_t>> cases;
  const std::size_t n = study.parameters.size();
  if (study.mode == Mode::zip) {
    for (std::size_t i = 0; i < study.parameters.front().values.size(); ++i) cases.emplace_back(n, i);
    return cases;
  }
  std::vector<std::size_t> index(n, 0);
  while (true) {
    cases.push_back(index);
    std::size_t k = n;
    while (k > 0) {
      --k;
      if (++index[k] < study.parameters[k].values.size()) break;
      index[k] = 0;
      if (k == 0) return cases;
    }
  }
}

}  // namespace zelvan::study
