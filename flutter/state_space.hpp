// The section with rational-function aerodynamics (Roger's form, aero/
// rational_fit.hpp) as one real linear system, and its eigenvalues at a
// flow speed: the roots of the p-method.
#pragma once

#include <array>
#include <complex>
#include <vector>

#include "aero/rational_fit.hpp"

namespace zelvan::flutter {

// M x'' + D x' + K x + q Q(s_bar) x = f(t), s_bar = s b/U, in the program's
// coordinates and units (Q per unit dynamic pressure, as the sweep takes
// it), with Q(s_bar) = A0 + A1 s_bar + A2 s_bar^2 + sum_j D_j s_bar/(s_bar +
// gamma_j).
struct StateSpaceModel {
  std::array<double, 4> mass{};       // M, column-major, kg
  std::array<double, 4> damping{};    // D, kg/s
  std::array<double, 4> stiffness{};  // K, kg/s^2
  aero::RogerFit aero;
  double rho = 1.2;         // kg/m^3
  double half_chord = 0.5;  // b = x_ref/2, m: the length of s_bar
};

// 4 + 2 n_lags in Roger's form: x, x' and one lag state x_a,j per lag and
// degree of freedom, x_a,j' = x' - (U/b) gamma_j x_a,j; 4 + n_lags in the
// minimum-state form: one lag state per lag, x_a,j' = e_j^T x' - (U/b)
// gamma_j x_a,j.
int state_count(const StateSpaceModel& model);

// The lag terms' load per unit dynamic pressure, sum_j D_j x_a,j (Roger's
// form) or sum_j d_j x_a,j (minimum-state form), of the lag states
// `lag_states` (state_count - 4 values, in the order of the state).
std::array<double, 2> lag_load(const StateSpaceModel& model, const double* lag_states);

// Mbar = M + (rho b^2/2) A2: the mass with the fit's added mass (the A2
// term q (b/u)^2 A2 x'' does not depend on u), column-major, kg.
std::array<double, 4> effective_mass(const StateSpaceModel& model);

// Mbar^-1, column-major, 1/kg: the factor of the loads in the acceleration
// rows of state_matrix.  Requires Mbar regular.
std::array<double, 4> effective_mass_inverse(const StateSpaceModel& model);

// The state matrix A(u) of z' = A z (column-major, state_count square),
// z = (x, x', x_a,1, ..., x_a,n), at flow speed u > 0 [m/s], q = rho u^2/2
// (in Roger's form; the minimum-state form as state_count says):
//   x''    = -Mbar^-1 [(K + q A0) x + (D + q (b/u) A1) x' + q sum_j D_j x_a,j],
//   x_a,j' = x' - (u/b) gamma_j x_a,j.
// Requires Mbar regular (a mass matrix with the added mass of the fit);
// no failure otherwise (the caller checks u > 0).
std::vector<double> state_matrix(const StateSpaceModel& model, double u);

// The eigenvalues of state_matrix(model, u) [1/s], in the order DEVLCG
// gives them (decreasing modulus).  A library error of DEVLCG ends the run.
struct StateRoots {
  std::vector<std::complex<double>> values;
};
StateRoots state_roots(const StateSpaceModel& model, double u);

// The displacement part x = (x_1, x_2) of the eigenvector z = (x, s x,
// x_a,1, ..., x_a,n) of state_matrix(model, u) for its eigenvalue s, z of
// unit length: a null vector of the 2x2 matrix
//   F(s) = Mbar s^2 + (D + q (b/u) A1) s + K + q A0
//          + q sum_j D_j s/(s + (u/b) gamma_j),
// from its row of the larger norm (the lag states are x_a,j = s/(s + (u/b)
// gamma_j) x, or that factor times e_j^T x in the minimum-state form).
// u > 0 [m/s]; s an eigenvalue off the lag poles s = -(u/b) gamma_j (there
// x = 0: a root of the lag states alone), or F(s) is regular and the result
// is no eigenvector.  (1, 0), scaled, where F(s) vanishes.
std::array<std::complex<double>, 2> root_shape(const StateSpaceModel& model, double u, std::complex<double> s);

}  // namespace zelvan::flutter
