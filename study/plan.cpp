#include "study/plan.hpp"

#include <stdlib.h>  // NOLINT(modernize-deprecated-headers): mkdtemp is POSIX, not in <cstdlib>

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>
#include <sstream>

#include "driver/input_file.hpp"
#include "study/atomic_file.hpp"
#include "study/input_edit.hpp"
#include "study/messages.hpp"
#include "study/study_file.hpp"
#include "textio/stop.hpp"

namespace zelvan::study {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTemplates[] = {"zelvan.lay0", "zelvan.sty0"};

std::string case_folder(int id, std::size_t count) {
  std::string digits = std::to_string(id);
  const std::size_t width = std::max<std::size_t>(4, std::to_string(count).size());
  return "case_" + std::string(width - digits.size(), '0') + digits;
}

// The first line of a stop message, for quoting it in one line.
std::string stop_text(const textio::RunStop& stop) {
  std::istringstream lines(stop.console_text());
  std::string line;
  std::string text;
  while (std::getline(lines, line)) {
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    if (!text.empty()) text += ' ';
    text += line.substr(line.find_first_not_of(' '));
  }
  return text;
}

bool same_value(const FieldValue& a, const FieldValue& b) { return a == b; }

// Reads the written case input with the program's own reader and checks
// each parameter's value.
void read_back(const fs::path& input, int id, const StudyDefinition& study, const std::vector<std::size_t>& choice) {
  driver::CaseParameters cp;
  try {
    driver::read_input_file(cp, input.string());
  } catch (const textio::RunStop& stop) {
    throw msg::StudyError(msg::compose(msg::kReadBack, {std::to_string(id), stop_text(stop)}));
  }
  for (std::size_t p = 0; p < study.parameters.size(); ++p) {
    for (const FieldSetting& setting : study.parameters[p].settings[choice[p]]) {
      const ProgramCheck check = program_value(*setting.field, setting.value.as_read, cp);
      if (check.expected && check.actual && !same_value(*check.expected, *check.actual)) {
        throw msg::StudyError(msg::compose(
            msg::kReadBackValue,
            {std::to_string(id), setting.field->name, value_text(*check.actual), value_text(*check.expected)}));
      }
    }
  }
}

void build_plan(const StudyDefinition& study, const InputText& base, const fs::path& into) {
  const auto cases = expand_cases(study);
  std::string tsv = "case\tfolder";
  nlohmann::ordered_json plan;
  plan["study_file"] = fs::absolute(study.study_file).lexically_normal().string();
  plan["base_file"] = study.base_file.string();
  plan["option"] = study.option;
  plan["mode"] = study.mode == Mode::zip ? "zip" : "grid";
  plan["fields"] = nlohmann::json::array();
  for (const Parameter& p : study.parameters) {
    tsv += '\t';
    tsv += p.name;
    plan["fields"].push_back(p.name);
  }
  tsv += '\n';
  plan["cases"] = cases.size();
  if (study.envelope) {
    plan["envelope"] = {{"altitude", study.envelope->altitude},
                        {"speed", study.envelope->speed},
                        {"kind", study.envelope->equivalent ? "equivalent" : "true"}};
  }

  const fs::path base_dir = study.base_file.parent_path();
  int id = 0;
  for (const auto& choice : cases) {
    ++id;
    const std::string folder = case_folder(id, cases.size());
    InputText input = base;
    const RecordMap map = locate_records(input);
    tsv += std::to_string(id) + '\t' + folder;
    for (std::size_t p = 0; p < study.parameters.size(); ++p) {
      const Parameter& parameter = study.parameters[p];
      const std::string note = parameter.name == kAltitudeParameter
                                   ? msg::compose(msg::kAltitudeNote, {value_text(parameter.values[choice[p]])})
                                   : std::string();
      for (const FieldSetting& setting : parameter.settings[choice[p]]) {
        set_field(input, map, *setting.field, setting.value.text);
        if (!note.empty()) set_note(input, map, *setting.field, note);
      }
      tsv += '\t' + value_text(parameter.values[choice[p]]);
    }
    tsv += '\n';
    const fs::path case_dir = into / folder;
    std::error_code error;
    if (!fs::create_directory(case_dir, error)) {
      throw msg::StudyError(msg::compose(msg::kCannotCreate, {case_dir.string(), error.message()}));
    }
    write_file_atomically(case_dir / "zelvan.inp", input.str());
    for (const char* name : kTemplates) {
      if (fs::is_regular_file(base_dir / name)) {
        fs::copy_file(base_dir / name, case_dir / name, error);
        if (error)
          throw msg::StudyError(msg::compose(msg::kCannotCreate, {(case_dir / name).string(), error.message()}));
      }
    }
    read_back(case_dir / "zelvan.inp", id, study, choice);
  }
  write_file_atomically(into / "cases.tsv", tsv);
  write_file_atomically(into / "plan.json", plan.dump(2) + "\n");
}

std::vector<std::string> split(const std::string& line, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = line.find(separator, start);
    parts.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

fs::path plan_study(const fs::path& study_file, const std::optional<fs::path>& dir) {
  const StudyDefinition study = read_study_file(study_file);

  driver::CaseParameters cp;
  try {
    driver::read_input_file(cp, study.base_file.string());
  } catch (const textio::RunStop& stop) {
    throw msg::StudyError(msg::compose(msg::kBadBaseFile, {stop_text(stop)}));
  }
  InputText base = InputText::parse(read_whole_file(study.base_file));
  std::vector<const FieldSpec*> fields;
  for (const Parameter& p : study.parameters) {
    for (const FieldSpec* field : p.fields()) fields.push_back(field);
  }
  if (const auto unset = unset_required_fields(base, fields); !unset.empty()) {
    const auto first = std::find_if(study.parameters.begin(), study.parameters.end(), [](const Parameter& p) {
      return p.settings.front().front().field->block >= Block::section;
    });
    std::string names;
    for (std::size_t i = 0; i < unset.size(); ++i) {
      if (i > 0) names += i + 1 == unset.size() ? " and " : ", ";
      names += '"' + std::string(unset[i]) + '"';
    }
    throw msg::StudyError(msg::compose(
        msg::kAtLine, {study_file.string(), std::to_string(first->line),
                       msg::compose(msg::kGroupFieldsUnset,
                                    {first->name, block_name(first->settings.front().front().field->block), names})}));
  }
  for (const Parameter& p : study.parameters) {
    try {
      insert_missing_blocks(base, p.fields());
    } catch (const msg::StudyError& e) {
      throw msg::StudyError(msg::compose(msg::kAtLine, {study_file.string(), std::to_string(p.line), e.what()}));
    }
  }

  fs::path target = dir ? *dir : study_file.parent_path() / study_file.stem();
  target = fs::absolute(target).lexically_normal();
  if (!target.has_filename()) target = target.parent_path();
  if (fs::exists(target)) throw msg::StudyError(msg::compose(msg::kDirExists, {target.string()}));

  std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".partial-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw msg::StudyError(msg::compose(msg::kCannotCreate, {target.string(), std::strerror(errno)}));
  }
  const fs::path temporary = pattern;
  try {
    build_plan(study, base, temporary);
    fs::permissions(temporary, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
    fs::rename(temporary, target);
  } catch (...) {
    std::error_code ignored;
    fs::remove_all(temporary, ignored);
    throw;
  }
  return target;
}

PlannedStudy load_plan(const fs::path& dir) {
  PlannedStudy study;
  study.dir = fs::absolute(dir).lexically_normal();
  if (!study.dir.has_filename()) study.dir = study.dir.parent_path();
  std::string plan_text;
  std::string tsv;
  try {
    plan_text = read_whole_file(study.dir / "plan.json");
    tsv = read_whole_file(study.dir / "cases.tsv");
  } catch (const msg::StudyError& e) {
    throw msg::StudyError(msg::compose(msg::kNotAStudy, {study.dir.string(), e.what()}));
  }
  try {
    const auto plan = nlohmann::json::parse(plan_text);
    study.option = plan.at("option").get<std::string>();
    study.mode = plan.at("mode").get<std::string>();
    study.fields = plan.at("fields").get<std::vector<std::string>>();
    if (plan.contains("envelope")) {
      const auto& e = plan.at("envelope");
      study.envelope = Envelope{e.at("altitude").get<std::vector<double>>(), e.at("speed").get<std::vector<double>>(),
                                e.at("kind").get<std::string>() == "equivalent"};
    }
  } catch (const nlohmann::json::exception& e) {
    throw msg::StudyError(msg::compose(msg::kBadPlan, {(study.dir / "plan.json").string(), e.what()}));
  }
  std::istringstream lines(tsv);
  std::string line;
  std::getline(lines, line);
  const std::size_t columns = 2 + study.fields.size();
  while (std::getline(lines, line)) {
    const auto parts = split(line, '\t');
    int id = 0;
    if (parts.size() != columns ||
        std::from_chars(parts[0].data(), parts[0].data() + parts[0].size(), id).ec != std::errc{}) {
      throw msg::StudyError(msg::compose(msg::kBadPlan, {(study.dir / "cases.tsv").string(), line}));
    }
    PlannedCase c{id, parts[1], {}};
    for (std::size_t p = 0; p < study.fields.size(); ++p) {
      const FieldSpec* field = find_field(study.fields[p]);
      const std::string& text = parts[2 + p];
      double number = 0.0;
      // Every field but a text one holds numbers, and so does the altitude.
      if ((field == nullptr || field->kind != FieldKind::text) &&
          std::from_chars(text.data(), text.data() + text.size(), number).ec == std::errc{}) {
        c.values.emplace_back(number);
      } else {
        c.values.emplace_back(text);
      }
    }
    study.cases.push_back(std::move(c));
  }
  return study;
}

}  // namespace zelvan::study
