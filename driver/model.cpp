#include "driver/model.hpp"

#include <cmath>
#include <functional>
#include <string_view>

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

// Where a step of the model's construction sends its console line (the
// layout of a line without values).
using Say = std::function<void(std::string_view)>;
// The Possio route's coefficients of a case (column-major, scaled).
using PossioCoefficients = std::function<aero::Matrix2(const CaseParameters&)>;

void set_coefficients(CaseParameters& cp, const aero::Matrix2& q) {
  // Column-major: Q11, Q21, Q12, Q22.
  cp.QR11 = q[0].real();
  cp.QS11 = q[0].imag();
  cp.QR12 = q[2].real();
  cp.QS12 = q[2].imag();
  cp.QR21 = q[1].real();
  cp.QS21 = q[1].imag();
  cp.QR22 = q[3].real();
  cp.QS22 = q[3].imag();
}

void thin_plate_route(CaseParameters& cp, const Say& say) {
  cp.Ma = std::fabs(cp.Ma);
  if (cp.Ma >= 1.0) stop_with(msg::kThinPlateMach, cp.Ma, msg::kStopMach);
  // The Bessel functions of the second kind have no value for a negative
  // argument.
  if (cp.w_star < 0.0) stop_with(msg::kThinPlateReducedFrequency, cp.w_star, msg::kStopReducedFrequency);
  set_coefficients(cp, aero::thin_plate_matrix(cp.w_star, cp.x_p, cp.Ma, cp.aero_scale, msg::kThinPlateAtWStar));
  say(msg::kRouteThinPlate);
}

void possio_route(CaseParameters& cp, const Say& say, const PossioCoefficients& possio) {
  if (cp.Ma >= 1.0) stop_with(msg::kPossioMach, cp.Ma, msg::kStopMach);
  if (cp.w_star < 0.0) stop_with(msg::kPossioReducedFrequency, cp.w_star, msg::kStopReducedFrequency);
  set_coefficients(cp, possio(cp));
  say(msg::kRoutePossio);
}

// The run's Possio solve: the process-wide block, with its listing file.
aero::Matrix2 possio_block_coefficients(const CaseParameters& cp) {
  aero::PossioBlock& block = aero::possio_block();
  block.mach = cp.Ma;
  block.omred = cp.w_star;
  block.xr = (cp.x_p - 0.5) * 2.0;
  aero::possio_loads();
  const auto P = [&](int i, int j) {
    return block.q[static_cast<std::size_t>(i - 1) + 3 * static_cast<std::size_t>(j - 1)];
  };
  const double s = cp.aero_scale;
  return {s * P(1, 1), s * P(2, 1), s * P(1, 2), s * P(2, 2)};
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
StructuralModel structure_of_case(CaseParameters& cp, const Say& say) {
  if (!cp.section) return records_model(cp);
  const SectionScaling scaling = section_scaling(*cp.section);
  cp.x_p = scaling.x_p;
  cp.x_ref = scaling.x_ref;
  cp.aero_scale = scaling.aero_scale;
  say(msg::kSectionDefinesStructure);
  return section_model(*cp.section, cp.rho);
}

// The model of `cp` on `route`; each console line goes to `say`, the Possio
// coefficients come from `possio`.
AeroelasticModel make_model(CaseParameters& cp, AeroRoute route, const Say& say, const PossioCoefficients& possio) {
  AeroelasticModel m;
  m.structure = structure_of_case(cp, say);
  m.route = route;
  if (route == AeroRoute::external) {
    say(msg::kRouteExternal);
  } else {
    if (std::fabs(cp.aero_scale) < kNegligible) cp.aero_scale = 1.0;
    if (route == AeroRoute::possio) {
      possio_route(cp, say, possio);
    } else {
      thin_plate_route(cp, say);
    }
    if (cp.f_s < 0.0) {
      say(msg::kSignOfFsChanged);
      cp.f_s = std::fabs(cp.f_s);
    }
  }
  m.aero_coefficients = {std::complex<double>(cp.QR11, cp.QS11), std::complex<double>(cp.QR21, cp.QS21),
                         std::complex<double>(cp.QR12, cp.QS12), std::complex<double>(cp.QR22, cp.QS22)};
  structural_matrices(m);
  return m;
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

AeroRoute case_route(const CaseParameters& cp) {
  if (std::fabs(cp.w_star) <= kNegligible) return AeroRoute::external;
  // Strictly above the Possio solver's lowest Mach number: Ma = 0.1
  // itself takes the thin-plate route.
  return cp.Ma > aero::kPossioMinMach ? AeroRoute::possio : AeroRoute::thin_plate;
}

AeroelasticModel build_model(CaseParameters& cp) {
  return make_model(
      cp, case_route(cp), [](std::string_view layout) { console_write(layout, {}); }, possio_block_coefficients);
}

AeroelasticModel model_of_case(CaseParameters& cp, AeroRoute route) {
  return make_model(
      cp, route, [](std::string_view) {},
      [](const CaseParameters& c) {
        aero::AeroRouteEvaluator possio(AeroRoute::possio, c.x_p, c.aero_scale, msg::kThinPlateAtWStar);
        return possio.coefficients(c.w_star, c.Ma);
      });
}

}  // namespace zelvan::driver
