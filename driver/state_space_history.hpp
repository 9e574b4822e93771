// The time history of the run with the state-space aerodynamics of the
// flutter solution: the same time window, samples, initial state,
// harmonic force, tolerance and method as the run's own history, with
// aerodynamics that hold at every frequency instead of coefficients frozen
// at one reference frequency.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "driver/case_parameters.hpp"
#include "driver/structural_model.hpp"
#include "flutter/state_space.hpp"

namespace zelvan::driver {

// The samples: t_A with the initial state, then the npoints - 1 samples of
// the run's own history.
struct StateSpaceHistory {
  std::vector<double> t;
  // Y1..Y4 as zelvan.dat has them: velocities 1, 2; displacements 1, 2.
  std::vector<std::array<double, 4>> y;
  // The aerodynamic forces per unit dynamic pressure with zelvan.dat's
  // sign (GenF = -(the load on the left-hand side)):
  //   -[A0 x + (b/u) A1 x' + (b/u)^2 A2 x'' + the lag load] (flutter::lag_load).
  std::vector<std::array<double, 2>> genf;
};

// The history of the case `cp` with the structure `structure` (its
// damping, and the stiffness with the coupling spring kappa, as the run's
// own history takes them) and the fitted aerodynamics of `aero` (its
// Roger fit, rho and b) at the run's dynamic pressure f_s: the state
// z = (x, x', x_a) of flutter::state_matrix, integrated by DIVPAG with the
// run's method and tolerance, the lag states starting at 0.  Empty when
// f_s <= 0 (no flow speed to refer the aerodynamics to).  Integrator
// failures end the run through the library's error handling.
std::optional<StateSpaceHistory> run_state_space_history(const CaseParameters& cp, const StructuralModel& structure,
                                                         const flutter::StateSpaceModel& aero);

}  // namespace zelvan::driver
