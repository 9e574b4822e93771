#include "study/study_file.hpp"

#include <toml++/toml.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>

#include "aero/atmosphere.hpp"
#include "study/messages.hpp"

namespace zelvan::study {
namespace {

// Takes a parameter's value as the study file gives it, with its node
// (for the line of an error).
using ValueSink = std::function<void(const FieldValue&, const toml::node&)>;

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

  // The values of a "values" list, each with the node it came from: texts
  // for a text field, numbers otherwise.
  void listed_values(const std::string& name, bool text, const toml::array& values, const ValueSink& take) const {
    if (values.empty()) fail(values, std::string(msg::kEmptyValues));
    for (const toml::node& element : values) {
      if (text) {
        if (!element.is_string()) fail(element, msg::compose(msg::kNotText, {name, type_name(element)}));
        take(FieldValue{element.as_string()->get()}, element);
      } else {
        if (!element.is_number()) fail(element, msg::compose(msg::kNotANumber, {name, type_name(element)}));
        take(FieldValue{*element.value<double>()}, element);
      }
    }
  }

  // The values of a "range" table (numbers), each with the range's node.
  void ranged_values(const std::string& name, bool text, const toml::table& range, const ValueSink& take) const {
    if (text) fail(range, msg::compose(msg::kRangeText, {name}));
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
    for (double v : range_values(start, stop, static_cast<int>(*count), log)) take(FieldValue{v}, range);
  }

  // The parameter's values from its "values" or "range".
  void parameter_values(const toml::table& table, const std::string& name, bool text, const ValueSink& take) const {
    const toml::node* values = table.get("values");
    const toml::node* range = table.get("range");
    if (values != nullptr && range != nullptr) fail(table, std::string(msg::kValuesAndRange));
    if (values == nullptr && range == nullptr) fail(table, std::string(msg::kNoValues));
    if (values != nullptr) {
      if (!values->is_array()) fail(*values, std::string(msg::kNoValues));
      listed_values(name, text, *values->as_array(), take);
      return;
    }
    if (!range->is_table()) fail(*range, std::string(msg::kNoValues));
    ranged_values(name, text, *range->as_table(), take);
  }

  // A field's parameter: each value written into the field.
  void set_field_values(Parameter& parameter, const FieldSpec& field, const toml::table& table) const {
    parameter_values(table, parameter.name, field.kind == FieldKind::text,
                     [&](const FieldValue& value, const toml::node& node) {
                       const FormattedValue written = fit(field, value, node);
                       parameter.values.push_back(written.as_read);
                       parameter.settings.push_back({{&field, written}});
                     });
  }

  // The altitude's parameter: rho and sound_speed of the standard
  // atmosphere at each altitude, written into their fields.
  void set_altitude_values(Parameter& parameter, const toml::table& table) const {
    const FieldSpec& rho = *find_field("rho");
    const FieldSpec& sound_speed = *find_field("sound_speed");
    parameter_values(table, parameter.name, false, [&](const FieldValue& value, const toml::node& node) {
      const double h = std::get<double>(value);
      if (!(h >= 0.0 && h <= aero::kAtmosphereTop)) fail(node, msg::compose(msg::kAltitudeRange, {value_text(value)}));
      const aero::AirState air = aero::standard_atmosphere(h);
      parameter.values.push_back(value);
      parameter.settings.push_back({{&rho, fit(rho, FieldValue{air.density}, node)},
                                    {&sound_speed, fit(sound_speed, FieldValue{air.sound_speed}, node)}});
    });
  }

  // The [envelope] table: altitude and speed lists of equal length, the
  // altitudes increasing within the standard atmosphere, the speeds above
  // zero, and kind "true" (the default) or "equivalent".
  Envelope envelope(const toml::node& node, const StudyDefinition& study) const {
    const bool over_altitude = std::any_of(study.parameters.begin(), study.parameters.end(),
                                           [](const Parameter& p) { return p.name == kAltitudeParameter; });
    if (!over_altitude) fail(node, std::string(msg::kEnvelopeWithoutAltitude));
    const toml::table* table = node.as_table();
    if (table == nullptr) fail(node, std::string(msg::kEnvelopeNotATable));
    check_keys(*table, {"altitude", "speed", "kind"});
    Envelope e;
    const auto numbers = [&](std::string_view key, std::vector<double>& out) {
      const toml::node* list = table->get(key);
      if (list == nullptr) fail(*table, msg::compose(msg::kMissingKey, {"envelope." + std::string(key)}));
      const toml::array* array = list->as_array();
      if (array == nullptr || array->empty()) fail(*list, msg::compose(msg::kEnvelopeList, {key}));
      for (const toml::node& element : *array) {
        const auto value = element.value<double>();
        if (!element.is_number() || !value || !std::isfinite(*value)) {
          fail(element, msg::compose(msg::kEnvelopeList, {key}));
        }
        out.push_back(*value);
      }
    };
    numbers("altitude", e.altitude);
    numbers("speed", e.speed);
    if (e.altitude.size() != e.speed.size()) {
      fail(*table,
           msg::compose(msg::kEnvelopeLengths, {std::to_string(e.altitude.size()), std::to_string(e.speed.size())}));
    }
    for (std::size_t i = 0; i < e.altitude.size(); ++i) {
      if (!(e.altitude[i] >= 0.0 && e.altitude[i] <= aero::kAtmosphereTop) ||
          (i > 0 && !(e.altitude[i] > e.altitude[i - 1]))) {
        fail(*table->get("altitude"), std::string(msg::kEnvelopeAltitudes));
      }
      if (!(e.speed[i] > 0.0)) fail(*table->get("speed"), std::string(msg::kEnvelopeSpeeds));
    }
    const std::string kind = string_key(*table, "kind", *table, "true");
    if (kind != "true" && kind != "equivalent") fail(*table->get("kind"), msg::compose(msg::kEnvelopeKind, {kind}));
    e.equivalent = kind == "equivalent";
    return e;
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
  file.check_keys(root, {"base", "option", "mode", "parameter", "envelope"});

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
    parameter.name = file.string_key(*table, "field", *table, nullptr);
    if (parameter.name == kAltitudeParameter) {
      file.set_altitude_values(parameter, *table);
    } else if (const FieldSpec* field = find_field(parameter.name)) {
      file.set_field_values(parameter, *field, *table);
    } else {
      file.fail(*table->get("field"), msg::compose(msg::kUnknownField, {parameter.name}));
    }
    // No field set by two parameters: altitude sets rho and sound_speed.
    for (const Parameter& other : study.parameters) {
      for (const FieldSpec* field : parameter.fields()) {
        const std::vector<const FieldSpec*> others = other.fields();
        if (std::find(others.begin(), others.end(), field) == others.end()) continue;
        file.fail(*table->get("field"),
                  other.name == parameter.name
                      ? msg::compose(msg::kDuplicateField, {parameter.name, std::to_string(other.line)})
                      : msg::compose(msg::kFieldSetTwice,
                                     {parameter.name, field->name, other.name, std::to_string(other.line)}));
      }
    }
    study.parameters.push_back(std::move(parameter));
  }
  if (const toml::node* envelope = root.get("envelope")) study.envelope = file.envelope(*envelope, study);
  if (study.mode == Mode::zip) {
    const Parameter& first = study.parameters.front();
    for (const Parameter& p : study.parameters) {
      if (p.values.size() != first.values.size()) {
        file.fail(p.line, msg::compose(msg::kZipLengths, {first.name, std::to_string(first.values.size()), p.name,
                                                          std::to_string(p.values.size())}));
      }
    }
  }
  return study;
}

std::optional<double> Envelope::limit_at(double h) const {
  if (altitude.empty() || !(h >= altitude.front() && h <= altitude.back())) return std::nullopt;
  if (altitude.size() == 1) return speed.front();
  std::size_t i = 1;
  while (i + 1 < altitude.size() && altitude[i] < h) ++i;
  const double t = (h - altitude[i - 1]) / (altitude[i] - altitude[i - 1]);
  return speed[i - 1] + t * (speed[i] - speed[i - 1]);
}

std::vector<const FieldSpec*> Parameter::fields() const {
  std::vector<const FieldSpec*> out;
  if (!settings.empty()) {
    for (const FieldSetting& setting : settings.front()) out.push_back(setting.field);
  }
  return out;
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
