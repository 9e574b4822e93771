#include "python/analyses.hpp"

#include <charconv>
#include <cmath>
#include <span>

#include "driver/flutter.hpp"
#include "driver/flutter_solution.hpp"
#include "driver/flutter_solution_files.hpp"
#include "driver/input_file.hpp"
#include "driver/model.hpp"
#include "driver/section_input.hpp"
#include "driver/structural_model.hpp"
#include "python/messages.hpp"
#include "study/field_table.hpp"
#include "study/input_edit.hpp"
#include "study/messages.hpp"
#include "textio/messages.hpp"
#include "textio/record_reader.hpp"
#include "textio/stop.hpp"

namespace zelvan::python {
namespace {

using aero::AeroRoute;
using textio::msg::compose;

// The reduced frequency of a Section's sweep coefficients when the call
// gives none: only the sweep's own crossings depend on it (the p-k
// analysis, the matched point and the state-space model do not).
constexpr double kSectionWStar = 0.3;

[[noreturn]] void input_error(const std::string& message) {
  throw textio::RunStop(textio::StopReason::input_error, message + "\n");
}

std::string number_text(double x) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, x).ptr;
  return {buffer, end};
}

void check_positive(std::string_view name, double value) {
  if (!(std::isfinite(value) && value > 0.0)) input_error(compose(msg::kNotPositive, {name, number_text(value)}));
}

void check_finite(std::string_view name, double value) {
  if (!std::isfinite(value)) input_error(compose(msg::kNotFinite, {name, number_text(value)}));
}

void check_not_negative(std::string_view name, double value) {
  if (!(std::isfinite(value) && value >= 0.0)) input_error(compose(msg::kNegative, {name, number_text(value)}));
}

const study::FieldSpec& field_named(const std::string& name) {
  const study::FieldSpec* field = study::find_field(name);
  if (field == nullptr) input_error(compose(msg::kUnknownField, {name}));
  return *field;
}

// The route of the call: the option's, else a case's own (chosen from its
// w_star and Ma, as the input selects it), a section's thin plate.
AeroRoute route_of(const std::optional<std::string>& route, const driver::CaseParameters& cp, bool is_case) {
  if (!route) return is_case ? driver::case_route(cp) : AeroRoute::thin_plate;
  if (*route == "thin_plate") return AeroRoute::thin_plate;
  if (*route == "possio") return AeroRoute::possio;
  if (*route == "external") {
    if (!is_case) input_error(std::string(msg::kExternalOnlyCase));
    return AeroRoute::external;
  }
  input_error(compose(msg::kUnknownRoute, {*route, is_case ? ", \"external\"" : ""}));
}

int method_code(const std::string& method) {
  if (method == "sweep") return 0;
  if (method == "pk" || method == "matched") return 1;
  if (method == "matched_mach") return 2;
  input_error(compose(msg::kUnknownMethod, {method}));
}

// The case of a typical section alone: the section group with the
// flutter-solution group, a blank title, nothing else.
driver::CaseParameters section_case(const driver::SectionInput& section) {
  driver::CaseParameters cp;
  cp.section = section;
  cp.flutter_group = true;
  cp.flutter_method = 1;
  cp.w_star = kSectionWStar;
  return cp;
}

}  // namespace

CaseRecord read_case(std::string text, std::string name) {
  CaseRecord record{std::move(text), std::move(name), {}, {}};
  record.warnings = driver::read_input_text(record.cp, record.text, record.name);
  return record;
}

std::optional<FieldValue> case_value(const CaseRecord& record, const std::string& name) {
  const std::optional<study::FieldValue> value = study::held_value(field_named(name), record.cp);
  if (!value) return std::nullopt;
  if (const auto* text = std::get_if<std::string>(&*value)) {
    const std::size_t end = text->find_last_not_of(' ');
    return FieldValue{end == std::string::npos ? std::string() : text->substr(0, end + 1)};
  }
  return FieldValue{std::get<double>(*value)};
}

CaseRecord edit_case(const CaseRecord& record, const std::vector<std::pair<std::string, FieldValue>>& values) {
  study::InputText input = study::InputText::parse(record.text);
  std::vector<const study::FieldSpec*> fields;
  for (const auto& [name, value] : values) {
    const study::FieldSpec& field = field_named(name);
    const bool is_text = field.kind == study::FieldKind::text;
    if (is_text != std::holds_alternative<std::string>(value)) {
      input_error(compose(msg::kFieldKind, {name, is_text ? "text" : "a number", is_text ? "a number" : "text"}));
    }
    fields.push_back(&field);
  }
  try {
    study::insert_missing_blocks(input, fields);
    const study::RecordMap map = study::locate_records(input);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const study::FieldValue value = std::holds_alternative<std::string>(values[i].second)
                                          ? study::FieldValue{std::get<std::string>(values[i].second)}
                                          : study::FieldValue{std::get<double>(values[i].second)};
      study::set_field(input, map, *fields[i], study::format_field(*fields[i], value).text);
    }
  } catch (const study::msg::StudyError& error) {
    input_error(error.what());
  }
  return read_case(input.str(), record.name);
}

void check_section(const driver::SectionInput& section) {
  if (const std::optional<driver::SectionProblem> p = driver::section_problem(section)) {
    const study::FieldSpec& field = field_named(std::string(p->name));
    const double value = std::get<double>(*study::held_value(field, section_case(section)));
    input_error(compose(msg::kSectionValue, {p->name, number_text(value), p->problem}));
  }
}

FlutterAnswer flutter_answer(const std::variant<CaseRecord, driver::SectionInput>& model, const FlutterOptions& o) {
  const bool is_case = std::holds_alternative<CaseRecord>(model);
  driver::CaseParameters cp;
  if (is_case) {
    cp = std::get<CaseRecord>(model).cp;
  } else {
    check_section(std::get<driver::SectionInput>(model));
    cp = section_case(std::get<driver::SectionInput>(model));
    if (!o.rho) input_error(std::string(msg::kNeedsRho));
    if (!o.speeds && !o.pressures) input_error(std::string(msg::kNeedsSpeeds));
  }
  if (o.mach) {
    check_finite("mach", *o.mach);
    cp.Ma = *o.mach;
  }
  if (o.w_star) {
    check_positive("w_star", *o.w_star);
    cp.w_star = *o.w_star;
  }
  if (o.rho) {
    check_positive("rho", *o.rho);
    cp.rho = *o.rho;
  }
  if (o.method) {
    cp.flutter_method = method_code(*o.method);
    cp.flutter_group = true;
  }
  if (o.sound_speed) {
    check_not_negative("sound_speed", *o.sound_speed);
    cp.sound_speed = *o.sound_speed;
  }
  if (cp.flutter_method == 2 && !(cp.sound_speed > 0.0)) input_error(std::string(msg::kSoundSpeedNeeded));
  if (o.match_tolerance) {
    check_positive("match_tolerance", *o.match_tolerance);
    cp.match_tolerance = *o.match_tolerance;
  }
  if (o.match_iterations) {
    check_positive("match_iterations", *o.match_iterations);
    cp.match_iterations = *o.match_iterations;
  }
  const AeroRoute route = route_of(o.route, cp, is_case);

  if (o.speeds && o.pressures) input_error(std::string(msg::kSpeedsOrPressures));
  const std::optional<std::vector<double>>& given = o.speeds ? o.speeds : o.pressures;
  std::vector<double> q;
  if (given) {
    if (given->empty()) input_error(std::string(msg::kNoSpeeds));
    if (given->size() > driver::kMaxKeptSteps) {
      input_error(compose(msg::kTooManySpeeds, {std::to_string(given->size()), std::to_string(driver::kMaxKeptSteps)}));
    }
    for (double v : *given) {
      check_not_negative(o.speeds ? "a flow speed of speeds" : "a dynamic pressure of pressures", v);
      q.push_back(o.speeds ? cp.rho * v * v / 2.0 : v);
    }
  } else if (cp.nstep <= 0) {
    input_error(compose(msg::kNoSweep, {std::to_string(cp.nstep)}));
  }

  const driver::AeroelasticModel aeroelastic = driver::model_of_case(cp, route);
  const driver::SweepResults sweep = given ? driver::sweep_of(cp, aeroelastic, q) : driver::sweep_of(cp, aeroelastic);
  driver::set_structural_frequencies(cp, driver::structural_modes_of(aeroelastic.structure));
  const driver::FlutterSolution solution = driver::solve_flutter_solution(cp, aeroelastic, sweep);
  FlutterAnswer answer{driver::flutter_json_text(solution, cp.section), std::nullopt};
  if (solution.state_space) answer.state_space = solution.state_space->model;
  return answer;
}

aero::Matrix2 thin_plate_at(double k, double x_p, double mach, double aero_scale) {
  check_finite("k", k);
  check_finite("x_p", x_p);
  check_finite("aero_scale", aero_scale);
  if (!(std::fabs(mach) < 1.0)) input_error(compose(msg::kThinPlateMach, {number_text(mach)}));
  return aero::thin_plate_matrix(k, x_p, mach, aero_scale, "k");
}

std::array<std::complex<double>, 9> possio_at(aero::PossioSolver& solver, double mach, double k, double xr,
                                              double xrud) {
  check_finite("xr", xr);
  solver.assemble(mach, k);
  return solver.loads(xr, xrud);
}

driver::StructuralModel section_structure(const driver::SectionInput& section, double rho) {
  check_section(section);
  check_positive("rho", rho);
  return driver::section_model(section, rho);
}

std::vector<double> state_matrix_at(const flutter::StateSpaceModel& model, double u) {
  check_positive("u", u);
  return flutter::state_matrix(model, u);
}

}  // namespace zelvan::python
