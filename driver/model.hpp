// The aeroelastic model: the choice of the aerodynamic route, the
// aerodynamic coefficient matrix and the structural matrices.
#pragma once

#include <array>
#include <complex>
#include <string>

#include "aero/aero_route.hpp"
#include "driver/case_parameters.hpp"
#include "driver/structural_model.hpp"

namespace zelvan::driver {

using aero::AeroRoute;

// The route's name in the flutter-solution files and the console summary:
// "external", "thin plate" or "Possio".
std::string route_name(AeroRoute route);

// The aeroelastic model of the run: the route, the structural model and
// what the analyses derive from it once, column-major (element (i, j) at
// [i + ld*j]).
struct AeroelasticModel {
  AeroRoute route = AeroRoute::external;
  StructuralModel structure;                   // from the records or the section group
  std::array<double, 4> mass_inverse{};        // the inverse of structure.mass
  std::array<double, 16> state_mass_matrix{};  // [[structure.mass, 0], [0, I]] for the time history
  // QR + i*QS, column-major, as the route left them in the case parameters.
  std::array<std::complex<double>, 4> aero_coefficients{};

  // The complex aerodynamic matrix QR + i*QS of the model.
  std::array<std::complex<double>, 4> aero_matrix() const { return aero_coefficients; }
};

// The model of the run (run_context().model).
AeroelasticModel& model();

// The model of the case `cp`: the structural model from the records or,
// when the input has the typical-section group, from the section (then
// x_p, x_ref and aero_scale of `cp` become the section's, and a console
// line says so).  Chooses the aerodynamic route from w_star and Ma,
// computes the eight coefficients into `cp` (thin plate or Possio), writes the
// route line and the sign correction of f_s, and builds the structural
// matrices, inverting the mass matrix with DLINRG.  Inputs outside the
// routes' domains (|Ma| >= 1 on the thin-plate route, Ma >= 1 on the Possio
// route, a negative w_star on either) stop the run before any computation;
// a singular mass matrix stops it in DLINRG, after a note naming the
// masses.
AeroelasticModel build_model(CaseParameters& cp);

// The route the input selects: external when w_star is negligible, Possio
// above the Possio solver's lowest Mach number, otherwise thin plate.
AeroRoute case_route(const CaseParameters& cp);

// The model of `cp` on `route`, as a value: what build_model computes and
// changes in `cp`, on the route given rather than the one the input selects
// (the thin-plate route at any |Ma| < 1, the Possio route from Ma 0.1), with
// no console line, no Possio listing and no process-wide record (the
// Possio coefficients come from aero::AeroRouteEvaluator, the same
// solve).  The same stops as build_model.
AeroelasticModel model_of_case(CaseParameters& cp, AeroRoute route);

}  // namespace zelvan::driver
