#include "driver/input_records.hpp"

#include <array>
#include <stdexcept>

#include "driver/constants.hpp"

namespace zelvan::driver {
namespace {

constexpr auto kReal = FieldKind::real;
constexpr auto kInteger = FieldKind::integer;

// A record of one value in columns 1-10.
constexpr InputRecord line(std::string_view name, InputBlock block, int record, FieldKind kind, std::string_view unit,
                           std::string_view meaning) {
  return {name, block, record, 1, 10, kind, false, unit, false, 0.0, {}, meaning};
}
constexpr InputRecord mandatory(std::string_view name, int record, std::string_view unit, std::string_view meaning,
                                FieldKind kind = kReal) {
  return line(name, InputBlock::mandatory, record, kind, unit, meaning);
}
// A value at `column` of a record of the aerodynamic or coefficient block.
constexpr InputRecord at(std::string_view name, InputBlock block, int record, int column, std::string_view unit,
                         std::string_view meaning) {
  return {name, block, record, column, 10, kReal, false, unit, false, 0.0, {}, meaning};
}
// A record of a group after a marker, with the value it has when the group
// is absent or the field blank.
constexpr InputRecord group(std::string_view name, InputBlock block, int record, FieldKind kind, std::string_view unit,
                            double default_value, std::string_view default_text, std::string_view meaning) {
  return {name, block, record, 1, 10, kind, false, unit, false, default_value, default_text, meaning};
}
constexpr InputRecord required(std::string_view name, int record, std::string_view unit, std::string_view meaning,
                               InputBlock block = InputBlock::section) {
  return {name, block, record, 1, 10, kReal, false, unit, true, 0.0, "required", meaning};
}

constexpr std::array kRecords{
    mandatory("t_A", 1, "s", "start time of the time history; columns 11–30 are ignored"),
    InputRecord{"title",
                InputBlock::mandatory,
                1,
                31,
                40,
                FieldKind::text,
                false,
                {},
                false,
                0.0,
                {},
                "the title (40 characters) appears in the plot annotations.  A multi-byte UTF-8 character that "
                "column 70 splits is left out whole; a double quote is written as a single quote in the quoted "
                "titles of `zelvan.dat` and `zelvan.sty`"},
    mandatory("t_E", 2, "s", "end time"),
    mandatory("npoints", 3, "", "integer, number of time points, at most 10001", kInteger),
    mandatory("Y*_0_1", 4, "m/s", "initial velocity of DOF 1"),
    mandatory("Y*_0_2", 5, "m/s", "initial velocity of DOF 2"),
    mandatory("Y_0_1", 6, "m", "initial displacement of DOF 1"),
    mandatory("Y_0_2", 7, "m", "initial displacement of DOF 2"),
    mandatory("M_1", 8, "kg", "mass of DOF 1"),
    mandatory("M_2", 9, "kg", "mass of DOF 2"),
    mandatory("S_m", 10, "kg", "mass coupling"),
    InputRecord{"mass_scale",
                InputBlock::mandatory,
                10,
                15,
                10,
                kReal,
                true,
                {},
                false,
                1.0,
                {},
                "`mass_scale` only when column 25 holds `<` (default 1; below 1e-10 it is taken as 1); `M_1`, "
                "`M_2`, `S_m` are multiplied by it"},
    mandatory("D_1", 11, "kg/s", "damping of DOF 1 (time history)"),
    mandatory("D_2", 12, "kg/s", "damping of DOF 2 (time history)"),
    mandatory("K_1", 13, "kg/s²", "stiffness of DOF 1"),
    InputRecord{"K_m",
                InputBlock::mandatory,
                13,
                15,
                10,
                kReal,
                true,
                "kg/s²",
                false,
                0.0,
                {},
                "coupling stiffness `K_m` only when column 25 holds `<` (default 0)"},
    mandatory("K_2", 14, "kg/s²", "stiffness of DOF 2"),
    mandatory("kappa", 15, "kg/s²", "extra coupling spring (time history only)"),
    mandatory("a_0", 16, "N", "amplitude of the harmonic force on DOF 1"),
    mandatory("f_0", 17, "Hz", "frequency of the harmonic force"),
    mandatory("phi", 18, "deg", "phase of the harmonic force"),
    mandatory("tolerance", 19, "", "error tolerance of the time integrator"),
    mandatory("integ_method", 20, "", "integer: 1 Adams, 2 backward differentiation", kInteger),
    mandatory("listing_unit", 21, "",
              "integer: results listing channel; 0 or less none, 6 the console, another n a file (see below)",
              kInteger),
    at("f_s", InputBlock::aero, 1, 1, "N/m²", "operating dynamic pressure (the sweep steps by `f_s`/`nstep`)"),
    at("w_star", InputBlock::aero, 1, 13, "", "reduced frequency; 0 selects the coefficients of the input file"),
    at("x_p", InputBlock::aero, 1, 25, "", "pitch-axis position as a chord fraction from the leading edge"),
    at("Ma", InputBlock::aero, 1, 37, "", "Mach number: above 0.1 the Possio solver, else thin-plate theory"),
    at("aero_scale", InputBlock::aero, 1, 49, "", "factor on computed coefficients (0 is taken as 1)"),
    at("QR11", InputBlock::coefficients, 1, 1, "", "lift from DOF 1, real part"),
    at("QS11", InputBlock::coefficients, 1, 13, "", "lift from DOF 1, imaginary part"),
    at("QR12", InputBlock::coefficients, 2, 1, "", "lift from DOF 2, real part"),
    at("QS12", InputBlock::coefficients, 2, 13, "", "lift from DOF 2, imaginary part"),
    at("QR21", InputBlock::coefficients, 3, 1, "", "moment from DOF 1, real part"),
    at("QS21", InputBlock::coefficients, 3, 13, "", "moment from DOF 1, imaginary part"),
    at("QR22", InputBlock::coefficients, 4, 1, "", "moment from DOF 2, real part"),
    at("QS22", InputBlock::coefficients, 4, 13, "", "moment from DOF 2, imaginary part"),
    group("x_ref", InputBlock::sweep, 1, kReal, "m", kSweepDefaults.x_ref, "1.0", "reference length"),
    group("rho", InputBlock::sweep, 2, kReal, "kg/m³", kSweepDefaults.rho, "1.2", "air density"),
    group("q_start", InputBlock::sweep, 3, kReal, "N/m²", kSweepDefaults.q_start, "0.0", "start of the sweep"),
    group("nstep", InputBlock::sweep, 4, kInteger, "", kSweepDefaults.nstep, "20",
          "integer: parts of `f_s` per sweep step; 0 or less: console output instead of the flutter file; the "
          "sweep takes `nstep` + `nextra` + 1 steps, at most 1 000 000"),
    group("nextra", InputBlock::sweep, 5, kInteger, "", kSweepDefaults.nextra, "5", "integer: additional sweep steps"),
    group("coupling_tolerance", InputBlock::sweep, 6, kInteger, "", kSweepDefaults.coupling_tolerance, "5",
          "integer: spectral lines for strong coupling"),
    group("flutter_method", InputBlock::flutter, 1, kInteger, "", 0, "0",
          "0 sweep analysis only (tracked modes, crossings, divergence); 1 also the p-k analysis and the matched "
          "flutter point at the input's `Ma`; 2 as 1, with the Mach number matched (Ma = u/`sound_speed`)"),
    group("sound_speed", InputBlock::flutter, 2, kReal, "m/s", 0.0, "—",
          "speed of sound; required (positive) for method 2"),
    group("match_tolerance", InputBlock::flutter, 3, kReal, "", 1e-6, "1e-6",
          "relative tolerance on k (and Ma) of the p-k and matched-point iterations"),
    group("match_iterations", InputBlock::flutter, 4, kInteger, "", 30, "30", "iteration limit of the matched point"),
    required("b", 1, "m", "half chord; positive"),
    group("a", InputBlock::section, 2, kReal, "", 0.0, "0",
          "pitch axis, half chords aft of mid-chord; from −1 to 1 (the axis lies on the chord)"),
    group("x_theta", InputBlock::section, 3, kReal, "", 0.0, "0", "centre of mass, half chords aft of the axis"),
    required("r2", 4, "", "squared radius of gyration about the axis, in b²; greater than `x_theta`²"),
    required("mu", 5, "", "mass ratio m/(πρb²), ρ the sweep group's `rho`; positive"),
    required("sigma", 6, "", "ω_h/ω_θ; 0 or more (a 0 is written, not left blank)"),
    required("f_theta", 7, "Hz", "uncoupled pitch frequency ω_θ/2π; positive"),
    group("span", InputBlock::section, 8, kReal, "m", 1.0, "1", "span s of the section; positive"),
    group("zeta_h", InputBlock::section, 9, kReal, "", 0.0, "0", "plunge damping ratio (time history); 0 or more"),
    group("zeta_theta", InputBlock::section, 10, kReal, "", 0.0, "0", "pitch damping ratio (time history); 0 or more"),
    group("cubic_h", InputBlock::nonlinear, 1, kReal, "", 0.0, "0",
          "plunge spring: force K (y + `cubic_h` y³), y = h/b the plunge coordinate"),
    group("freeplay_h", InputBlock::nonlinear, 2, kReal, "", 0.0, "0",
          "plunge freeplay half-width δ (in h/b): no stiffness for \\|y\\| ≤ δ, K (y − δ sign y) beyond; 0 or "
          "more, 0 with a non-zero `cubic_h`"),
    group("cubic_theta", InputBlock::nonlinear, 3, kReal, "", 0.0, "0",
          "pitch spring: moment K (θ + `cubic_theta` θ³), θ in rad"),
    group("freeplay_theta", InputBlock::nonlinear, 4, kReal, "rad", 0.0, "0",
          "pitch freeplay half-width δ; 0 or more, 0 with a non-zero `cubic_theta`"),
    required("lco_V_start", 5, "", "first speed of the limit-cycle sweep, as U/(b ω_θ); positive",
             InputBlock::nonlinear),
    required("lco_V_end", 6, "", "last speed; greater than `lco_V_start`", InputBlock::nonlinear),
    group("lco_count", InputBlock::nonlinear, 7, kInteger, "", 20, "20", "integer: number of speeds, 2 to 1000"),
    group("lco_theta0", InputBlock::nonlinear, 8, kReal, "rad", 0.01, "0.01",
          "initial pitch disturbance of each time march; positive"),
};

constexpr std::string_view block_words(InputBlock block) {
  switch (block) {
    case InputBlock::mandatory:
      return "record";
    case InputBlock::aero:
      return "the aerodynamic record";
    case InputBlock::coefficients:
      return "coefficient record";
    case InputBlock::sweep:
      return "sweep record";
    case InputBlock::flutter:
      return "flutter record";
    case InputBlock::section:
      return "section record";
    case InputBlock::nonlinear:
      return "nonlinear record";
  }
  return {};
}

}  // namespace

std::string field_format(const InputRecord& field) {
  const std::string width = std::to_string(field.width);
  switch (field.kind) {
    case FieldKind::real:
      return "F" + width + ".0";
    case FieldKind::integer:
      return "I" + width;
    case FieldKind::text:
      return "A" + width;
  }
  return {};
}

std::span<const InputRecord> input_records() { return kRecords; }

const InputRecord* find_input_record(std::string_view name) {
  for (const InputRecord& r : kRecords) {
    if (r.name == name) return &r;
  }
  return nullptr;
}

std::span<const InputRecord> record_fields(InputBlock block, int record) {
  std::size_t first = 0;
  while (first < kRecords.size() && !(kRecords[first].block == block && kRecords[first].record == record)) ++first;
  std::size_t last = first;
  while (last < kRecords.size() && kRecords[last].block == block && kRecords[last].record == record) ++last;
  return std::span<const InputRecord>(kRecords).subspan(first, last - first);
}

std::string record_label(InputBlock block, int record) {
  std::string label(block_words(block));
  if (block != InputBlock::aero) label += ' ' + std::to_string(record);
  label += " (";
  bool first = true;
  for (const InputRecord& field : record_fields(block, record)) {
    if (!first) label += ", ";
    label += field.name;
    first = false;
  }
  return label + ')';
}

std::string record_layout(InputBlock block, int record, bool with_flagged) {
  const std::span<const InputRecord> fields = record_fields(block, record);
  if (fields.empty()) throw std::logic_error("record_layout: no such record");
  std::string layout = "(";
  int next_column = 1;
  for (const InputRecord& field : fields) {
    if (field.needs_flag && !with_flagged) continue;
    if (next_column > 1) layout += ',';
    if (field.column > next_column) layout += std::to_string(field.column - next_column) + "X,";
    layout += field_format(field);
    next_column = field.column + field.width;
  }
  return layout + ')';
}

}  // namespace zelvan::driver
