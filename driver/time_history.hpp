// The time-history simulation: the forced response of the aeroelastic
// section, integrated from t_A to t_E and sampled at npoints times.
#pragma once

#include <array>

#include "driver/case_parameters.hpp"
#include "driver/model.hpp"
#include "driver/structural_model.hpp"

namespace zelvan::driver {

// The samples of one run, i = 1 .. npoints stored at index i - 1.
struct TimeHistory {
  std::array<double, istore> t{};
  std::array<double, istore> Y1{}, Y2{}, Y3{}, Y4{};  // velocities 1, 2; displacements 1, 2
  std::array<std::array<double, istore>, 2> GenF{};   // -aero_term_1, -aero_term_2
  std::array<std::array<double, istore>, 2> RPart{};  // restoring_force_1, restoring_force_2
  std::array<std::array<double, istore>, 2> SumP{};   // accumulated aerodynamic work on DOF 1, 2
};

// The force terms of one state of the motion.
struct ForceTerms {
  double aero_term_1 = 0.0, aero_term_2 = 0.0;
  double restoring_force_1 = 0.0, restoring_force_2 = 0.0;
};

// The record of the run (run_context().time_history).
TimeHistory& time_history();

// The force terms at the state y = (velocity 1, velocity 2, displacement
// 1, displacement 2) of the case `cp` with the structural model
// `structure`: the aerodynamic terms QS*x'*inv_omega + QR*x of each row
// (before the factor f_s) and the restoring forces -D*x' - (K + kappa)*x
// with the coupling K_12 - kappa.  They do not depend on the time; the
// harmonic force is not part of them.
ForceTerms forces_at(const CaseParameters& cp, const StructuralModel& structure, const std::array<double, 4>& y);

// What the right-hand side of the motion reads: the case's coefficients
// and the structural model.
struct MotionData {
  const CaseParameters& parameters;
  const StructuralModel& structure;
};

// A*y' = f(t, y) for the state (velocity 1, velocity 2, displacement 1,
// displacement 2): the harmonic force a_0*cos(2*pi*f_0*t + phi_rad) on
// DOF 1, the restoring forces with damping, stiffness and kappa, and the
// aerodynamic load -f_s*(QR*x + QS*x'/omega_ref).  `user` points to the
// MotionData of the integration.
void motion_rhs(int n, double t, const double* y, double* yprime, void* user);

// The same on the run's records: case_parameters().
void motion_rhs(int n, double t, const double* y, double* yprime);

// The Jacobian callback the integrator's interface demands; the options
// of the run make the integrator use divided differences, so it does
// nothing.
void motion_jacobian(int n, double t, const double* y, double* dypdy, void* user);

// The integrator options every history of the run takes (PARAM of
// DIVPAG): the run's method, divided-difference Jacobians, at most 1e6
// steps; the caller adds how A is given.
std::array<double, 50> integrator_options(const CaseParameters& cp);

// One run of the case `cp` with `model`: sets up the integrator options
// and returns the sampled solution; the force columns of each sample are
// forces_at() its own state.  A reference frequency without a value stops
// the run (RunStop); integrator failures end it through the library's
// error handling.
TimeHistory run_time_history(const CaseParameters& cp, const AeroelasticModel& model);

}  // namespace zelvan::driver
