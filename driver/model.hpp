// The aeroelastic model: the choice of the aerodynamic route, the
// aerodynamic coefficient matrix and the structural matrices.
#pragma once

#include <array>
#include <complex>
#include <string>

#include "aero/aero_route.hpp"

namespace zelvan::driver {

using aero::AeroRoute;

// The route's name in the flutter-solution files and the console summary:
// "external", "thin plate" or "Possio".
std::string route_name(AeroRoute route);

// The structural matrices, column-major (element (i, j) at [i + ld*j]).
struct AeroelasticModel {
  AeroRoute route = AeroRoute::external;
  std::array<double, 4> mass_matrix{};         // [[M_1, S_m], [S_m, M_2]]
  std::array<double, 4> mass_inverse{};        // its inverse
  std::array<double, 4> stiffness_matrix{};    // [[K_1, K_m], [K_m, K_2]]
  std::array<double, 16> state_mass_matrix{};  // [[mass_matrix, 0], [0, I]] for the time history
  // QR + i*QS, column-major, as the route left them in the case parameters.
  std::array<std::complex<double>, 4> aero_coefficients{};

  // The complex aerodynamic matrix QR + i*QS of the model.
  std::array<std::complex<double>, 4> aero_matrix() const { return aero_coefficients; }
};

// The model of the run (run_context().model).
AeroelasticModel& model();

// Chooses the aerodynamic route from w_star and Ma, computes the eight
// coefficients into case_parameters() (thin plate or Possio), writes the
// route line and the sign correction of f_s, and builds the structural
// matrices, inverting the mass matrix with DLINRG.  Inputs outside the
// routes' domains (|Ma| >= 1 on the thin-plate route, Ma >= 1 on the Possio
// route, a negative w_star on either) stop the run before any computation;
// a singular mass matrix stops it in DLINRG, after a note naming the
// masses.
void build_model();

}  // namespace zelvan::driver
