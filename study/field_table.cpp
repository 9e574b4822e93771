#include "study/field_table.hpp"

#include <array>
#include <charconv>
#include <cmath>

namespace zelvan::study {
namespace {

// The member of `cp` that the reader fills from the field, before any
// scaling; nullptr for the fields it does not keep.
const double* real_member(std::string_view name, const driver::CaseParameters& cp) {
  static constexpr std::array<std::pair<std::string_view, double driver::CaseParameters::*>, 34> kMembers{{
      {"t_A", &driver::CaseParameters::t_A},
      {"t_E", &driver::CaseParameters::t_E},
      {"M_1", &driver::CaseParameters::M_1},
      {"M_2", &driver::CaseParameters::M_2},
      {"S_m", &driver::CaseParameters::S_m},
      {"mass_scale", &driver::CaseParameters::mass_scale},
      {"D_1", &driver::CaseParameters::D_1},
      {"D_2", &driver::CaseParameters::D_2},
      {"K_1", &driver::CaseParameters::K_1},
      {"K_m", &driver::CaseParameters::K_m},
      {"K_2", &driver::CaseParameters::K_2},
      {"kappa", &driver::CaseParameters::kappa},
      {"a_0", &driver::CaseParameters::a_0},
      {"f_0", &driver::CaseParameters::f_0},
      {"phi", &driver::CaseParameters::phi},
      {"tolerance", &driver::CaseParameters::tolerance},
      {"f_s", &driver::CaseParameters::f_s},
      {"w_star", &driver::CaseParameters::w_star},
      {"x_p", &driver::CaseParameters::x_p},
      {"Ma", &driver::CaseParameters::Ma},
      {"aero_scale", &driver::CaseParameters::aero_scale},
      {"QR11", &driver::CaseParameters::QR11},
      {"QS11", &driver::CaseParameters::QS11},
      {"QR12", &driver::CaseParameters::QR12},
      {"QS12", &driver::CaseParameters::QS12},
      {"QR21", &driver::CaseParameters::QR21},
      {"QS21", &driver::CaseParameters::QS21},
      {"QR22", &driver::CaseParameters::QR22},
      {"QS22", &driver::CaseParameters::QS22},
      {"x_ref", &driver::CaseParameters::x_ref},
      {"rho", &driver::CaseParameters::rho},
      {"q_start", &driver::CaseParameters::q_start},
      {"sound_speed", &driver::CaseParameters::sound_speed},
      {"match_tolerance", &driver::CaseParameters::match_tolerance},
  }};
  for (const auto& [member_name, member] : kMembers) {
    if (member_name == name) return &(cp.*member);
  }
  if (name == "Y*_0_1") return &cp.y0[0];
  if (name == "Y*_0_2") return &cp.y0[1];
  if (name == "Y_0_1") return &cp.y0[2];
  if (name == "Y_0_2") return &cp.y0[3];
  if (!cp.section) return nullptr;
  static constexpr std::array<std::pair<std::string_view, double driver::SectionInput::*>, 10> kSection{{
      {"b", &driver::SectionInput::b},
      {"a", &driver::SectionInput::a},
      {"x_theta", &driver::SectionInput::x_theta},
      {"r2", &driver::SectionInput::r2},
      {"mu", &driver::SectionInput::mu},
      {"sigma", &driver::SectionInput::sigma},
      {"f_theta", &driver::SectionInput::f_theta},
      {"span", &driver::SectionInput::span},
      {"zeta_h", &driver::SectionInput::zeta_h},
      {"zeta_theta", &driver::SectionInput::zeta_theta},
  }};
  for (const auto& [member_name, member] : kSection) {
    if (member_name == name) return &(*cp.section.*member);
  }
  if (!cp.nonlinear) return nullptr;
  static constexpr std::array<std::pair<std::string_view, double driver::NonlinearSpringsInput::*>, 7> kNonlinear{{
      {"cubic_h", &driver::NonlinearSpringsInput::cubic_h},
      {"freeplay_h", &driver::NonlinearSpringsInput::freeplay_h},
      {"cubic_theta", &driver::NonlinearSpringsInput::cubic_theta},
      {"freeplay_theta", &driver::NonlinearSpringsInput::freeplay_theta},
      {"lco_V_start", &driver::NonlinearSpringsInput::lco_V_start},
      {"lco_V_end", &driver::NonlinearSpringsInput::lco_V_end},
      {"lco_theta0", &driver::NonlinearSpringsInput::lco_theta0},
  }};
  for (const auto& [member_name, member] : kNonlinear) {
    if (member_name == name) return &(*cp.nonlinear.*member);
  }
  return nullptr;
}

const int* integer_member(std::string_view name, const driver::CaseParameters& cp) {
  if (name == "npoints") return &cp.npoints;
  if (name == "integ_method") return &cp.integ_method;
  if (name == "listing_unit") return &cp.listing_unit;
  if (name == "nstep") return &cp.nstep;
  if (name == "nextra") return &cp.nextra;
  if (name == "coupling_tolerance") return &cp.coupling_tolerance;
  if (name == "flutter_method") return &cp.flutter_method;
  if (name == "match_iterations") return &cp.match_iterations;
  if (name == "lco_count" && cp.nonlinear) return &cp.nonlinear->lco_count;
  return nullptr;
}

}  // namespace

std::span<const FieldSpec> field_table() { return driver::input_records(); }

const FieldSpec* find_field(std::string_view name) { return driver::find_input_record(name); }

std::optional<FieldValue> held_value(const FieldSpec& field, const driver::CaseParameters& cp) {
  if (field.kind == FieldKind::text) return FieldValue{cp.title};
  if (field.kind == FieldKind::integer) {
    const int* member = integer_member(field.name, cp);
    if (member == nullptr) return std::nullopt;
    return FieldValue{static_cast<double>(*member)};
  }
  const double* member = real_member(field.name, cp);
  if (member == nullptr) return std::nullopt;
  return FieldValue{*member};
}

ProgramCheck program_value(const FieldSpec& field, const FieldValue& as_read, const driver::CaseParameters& cp) {
  const std::optional<FieldValue> actual = held_value(field, cp);
  if (!actual) return {};
  if (field.kind == FieldKind::text) return {as_read, actual};
  const double value = std::get<double>(as_read);
  if (field.kind == FieldKind::integer) {
    // The reader takes a match_iterations of 0 as 30.
    const double expected = field.name == "match_iterations" && value == 0.0 ? 30.0 : value;
    return {FieldValue{expected}, actual};
  }
  // The reader multiplies the masses by mass_scale and takes a mass_scale
  // below 1e-10 as 1.
  double expected = value;
  if (field.name == "M_1" || field.name == "M_2" || field.name == "S_m") expected = value * cp.mass_scale;
  if (field.name == "mass_scale" && value < 1e-10) expected = 1.0;
  if (field.name == "match_tolerance" && value == 0.0) expected = 1e-6;  // the reader's default
  return {FieldValue{expected}, actual};
}

std::string value_text(const FieldValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  const double x = std::get<double>(value);
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x);
  return {buffer.data(), result.ptr};
}

}  // namespace zelvan::study
