// The time-history simulation: the forced response of the aeroelastic
// section, integrated from t_A to t_E and sampled at npoints times.
#pragma once

#include <array>

#include "driver/case_parameters.hpp"

namespace zelvan::driver {

// The samples of one run, i = 1 .. npoints stored at index i - 1.
struct TimeHistory {
  std::array<double, istore> t{};
  std::array<double, istore> Y1{}, Y2{}, Y3{}, Y4{};  // velocities 1, 2; displacements 1, 2
  std::array<std::array<double, istore>, 2> GenF{};   // -aero_term_1, -aero_term_2
  std::array<std::array<double, istore>, 2> RPart{};  // restoring_force_1, restoring_force_2
  std::array<std::array<double, istore>, 2> SumP{};   // accumulated aerodynamic work on DOF 1, 2
};

// The force terms left by the most recent evaluation of motion_rhs.
struct ForceTerms {
  double aero_term_1 = 0.0, aero_term_2 = 0.0;
  double restoring_force_1 = 0.0, restoring_force_2 = 0.0;
};

// The records of the run (run_context().time_history and .forces).
TimeHistory& time_history();
ForceTerms& force_terms();

// What the right-hand side of the motion reads and writes: the case's
// coefficients and the force terms of its latest evaluation.
struct MotionData {
  const CaseParameters& parameters;
  ForceTerms& forces;
};

// A*y' = f(t, y) for the state (velocity 1, velocity 2, displacement 1,
// displacement 2): the harmonic force a_0*cos(2*pi*f_0*t + phi_rad) on
// DOF 1, the restoring forces with damping, stiffness and kappa, and the
// aerodynamic load -f_s*(QR*x + QS*x'/omega_ref).  `user` points to the
// MotionData of the integration, whose forces it updates.
void motion_rhs(int n, double t, const double* y, double* yprime, void* user);

// The same on the run's records: case_parameters(), and updates
// force_terms().
void motion_rhs(int n, double t, const double* y, double* yprime);

// The Jacobian callback the integrator's interface demands; the options
// of the run make the integrator use divided differences, so it does
// nothing.
void motion_jacobian(int n, double t, const double* y, double* dypdy, void* user);

// One run: sets up the integrator options and samples the solution into
// time_history().  Integrator failures end the run through the library's
// error handling.
void run_time_history();

}  // namespace zelvan::driver
