#include "driver/model.hpp"

#include <cmath>

#include "aero/aero.hpp"
#include "driver/case_parameters.hpp"
#include "driver/console_output.hpp"
#include "driver/constants.hpp"
#include "driver/messages.hpp"
#include "driver/run_context.hpp"
#include "numlib/dlinrg.hpp"
#include "numlib/error_handler.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {

// Writes a message layout with one value and stops the run with `stop_line`.
[[noreturn]] void stop_with(std::string_view layout_text, double value, std::string_view stop_line) {
  std::string text = message_text(layout_text, {value});
  text += stop_line;
  text += '\n';
  throw textio::RunStop(textio::StopReason::limit_violation, text);
}

void write_console(std::string_view layout_text) { console_write(layout_text, {}); }

void set_coefficients(CaseParameters& cp, std::complex<double> q11, std::complex<double> q12, std::complex<double> q21,
                      std::complex<double> q22) {
  cp.QR11 = q11.real();
  cp.QS11 = q11.imag();
  cp.QR12 = q12.real();
  cp.QS12 = q12.imag();
  cp.QR21 = q21.real();
  cp.QS21 = q21.imag();
  cp.QR22 = q22.real();
  cp.QS22 = q22.imag();
}

void thin_plate_route(CaseParameters& cp) {
  cp.Ma = std::fabs(cp.Ma);
  if (cp.Ma >= 1.0) stop_with(msg::kThinPlateMach, cp.Ma, msg::kStopMach);
  // The Bessel functions of the second kind have no value for a negative
  // argument.
  if (cp.w_star < 0.0) stop_with(msg::kThinPlateReducedFrequency, cp.w_star, msg::kStopReducedFrequency);
  // Column-major: Q11, Q21, Q12, Q22.
  const aero::Matrix2 q = aero::thin_plate_matrix(cp.w_star, cp.x_p, cp.Ma, cp.aero_scale, msg::kThinPlateAtWStar);
  set_coefficients(cp, q[0], q[2], q[1], q[3]);
  write_console(msg::kRouteThinPlate);
}

void possio_route(CaseParameters& cp) {
  if (cp.Ma >= 1.0) stop_with(msg::kPossioMach, cp.Ma, msg::kStopMach);
  if (cp.w_star < 0.0) stop_with(msg::kPossioReducedFrequency, cp.w_star, msg::kStopReducedFrequency);
  aero::PossioBlock& block = aero::possio_block();
  block.mach = cp.Ma;
  block.omred = cp.w_star;
  block.xr = (cp.x_p - 0.5) * 2.0;
  aero::possio_loads();
  const auto P = [&](int i, int j) {
    return block.q[static_cast<std::size_t>(i - 1) + 3 * static_cast<std::size_t>(j - 1)];
  };
  const double s = cp.aero_scale;
  set_coefficients(cp, s * P(1, 1), s * P(1, 2), s * P(2, 1), s * P(2, 2));
  write_console(msg::kRoutePossio);
}

// The matrices that the analyses derive from the structural model: the
// inverse mass (by DLINRG) and the time history's state mass matrix.
void structural_matrices(AeroelasticModel& m) {
  const RealMatrix2& mass = m.structure.mass;
  m.state_mass_matrix.fill(0.0);
  for (std::size_t i = 0; i < 4; ++i) m.state_mass_matrix[5 * i] = 1.0;
  m.state_mass_matrix[0] = mass[0];
  m.state_mass_matrix[1] = mass[1];
  m.state_mass_matrix[4] = mass[2];
  m.state_mass_matrix[5] = mass[3];
  const numlib::ErrorNote note([&mass] { return message_text(msg::kNoteMassInverse, {mass[0], mass[3], mass[2]}); });
  numlib::DLINRG(2, mass.data(), 2, m.mass_inverse.data(), 2);
}

// The structure of the run: the section's when the input has the group.
StructuralModel structure_of_case(CaseParameters& cp) {
  if (!cp.section) return records_model(cp);
  const SectionScaling scaling = section_scaling(*cp.section);
  cp.x_p = scaling.x_p;
  cp.x_ref = scaling.x_ref;
  cp.aero_scale = scaling.aero_scale;
  write_console(msg::kSectionDefinesStructure);
  return section_model(*cp.section, cp.rho);
}

}  // namespace

std::string route_name(AeroRoute route) {
  switch (route) {
    case AeroRoute::thin_plate:
      return "thin plate";
    case AeroRoute::possio:
      return "Possio";
    case AeroRoute::external:
      break;
  }
  return "external";
}

AeroelasticModel& model() { return run_context().model; }

AeroelasticModel build_model(CaseParameters& cp) {
  AeroelasticModel m;
  m.structure = structure_of_case(cp);
  if (std::fabs(cp.w_star) <= kNegligible) {
    m.route = AeroRoute::external;
    write_console(msg::kRouteExternal);
  } else {
    if (std::fabs(cp.aero_scale) < kNegligible) cp.aero_scale = 1.0;
    // Strictly above the Possio solver's lowest Mach number: Ma = 0.1
    // itself takes the thin-plate route.
    if (cp.Ma > aero::kPossioMinMach) {
      m.route = AeroRoute::possio;
      possio_route(cp);
    } else {
      m.route = AeroRoute::thin_plate;
      thin_plate_route(cp);
    }
    if (cp.f_s < 0.0) {
      write_console(msg::kSignOfFsChanged);
      cp.f_s = std::fabs(cp.f_s);
    }
  }
  m.aero_coefficients = {std::complex<double>(cp.QR11, cp.QS11), std::complex<double>(cp.QR21, cp.QS21),
                         std::complex<double>(cp.QR12, cp.QS12), std::complex<double>(cp.QR22, cp.QS22)};
  structural_matrices(m);
  return m;
}

}  // namespace zelvan::driver
