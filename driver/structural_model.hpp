// The structural model of the section: mass, damping and stiffness in the
// program's coordinates, built once from the input (records 8-14, or the
// typical-section group), and the structural modes that follow from it.
#pragma once

#include <array>

#include "driver/case_parameters.hpp"

namespace zelvan::driver {

// A real 2x2 matrix, column-major (element (i, j) at [i + 2*j]).
using RealMatrix2 = std::array<double, 4>;

// M x'' + D x' + K x = F in the program's coordinates x = (DOF 1, DOF 2),
// rows in the units of the aerodynamic matrix that the routes compute.
// None of the three is assumed symmetric: the typical section's mass
// coupling is not, in these coordinates.
struct StructuralModel {
  RealMatrix2 mass{};       // kg
  RealMatrix2 damping{};    // kg/s
  RealMatrix2 stiffness{};  // kg/s^2

  friend bool operator==(const StructuralModel&, const StructuralModel&) = default;
};

// The model of records 8-14: mass [[M_1, S_m], [S_m, M_2]] (after
// mass_scale), damping diag(D_1, D_2), stiffness [[K_1, K_m], [K_m, K_2]].
StructuralModel records_model(const CaseParameters& cp);

// The aerodynamic scaling of a typical section: the quantities of the
// aerodynamic record and the sweep group that the section defines.
struct SectionScaling {
  double x_p = 0.0;         // pitch axis, chord fraction from the leading edge: (1 + a)/2
  double x_ref = 0.0;       // m, reference length: the chord 2b
  double aero_scale = 0.0;  // the span s
};

// The model of a typical section (its values in the domains that the
// reader checks; rho [kg/m^3] > 0 the air density of the mass ratio).
// Coordinates DOF 1 = h/b (plunge, positive down) and DOF 2 = theta (pitch,
// rad, positive nose up); the plunge row is the equation of vertical
// force times s/(2b), the pitch row that of the moment about the axis
// times s/(4b^2), so that the aerodynamic rows are lift/(q c) and
// moment/(q c^2) times the span, as the routes compute them.  With
// m = mu pi rho b^2, S = m x_theta b, I = m r2 b^2 per unit span:
//   mass      [[m s/2, m x_theta s/2], [m x_theta s/4, m r2 s/4]]
//   stiffness diag(omega_h^2 m s/2, omega_theta^2 m r2 s/4)
//   damping   diag(2 zeta_h omega_h m s/2, 2 zeta_theta omega_theta m r2 s/4)
// with omega_theta = 2 pi f_theta and omega_h = sigma omega_theta.
StructuralModel section_model(const SectionInput& section, double rho);

// The uncoupled pitch frequency omega_theta = 2 pi f_theta [rad/s] of a
// typical section.
double pitch_circular_frequency(const SectionInput& section);

// x_p, x_ref and aero_scale of a typical section.
SectionScaling section_scaling(const SectionInput& section);

// The undamped structural modes: the roots of det(K - lambda M) = 0.
struct StructuralModes {
  // The frequencies sqrt(lambda)/2pi [Hz] of the larger and the smaller
  // root; NaN where lambda is negative or does not exist.
  std::array<double, 2> f{};
  // The mode shapes (DOF 1, DOF 2): (v1/v2, 1), or (1, v2/v1) where the
  // first form divides by zero (a mode without pitch component).
  std::array<std::array<double, 2>, 2> shape{};
  // f_0_1 and f_0_2: the two frequencies with f_0_1 the one that belongs to
  // DOF 1 (the larger, when DOF 1 has the larger uncoupled frequency).
  double f_0_1 = 0.0, f_0_2 = 0.0;
};

// The structural modes of `model` (the damping does not enter).  For a
// symmetric mass the arithmetic is that of the closed form the program has
// always used, so the printed modes keep every digit.
StructuralModes structural_modes_of(const StructuralModel& model);

}  // namespace zelvan::driver
