// The limit-cycle sweep of a run with the nonlinear-spring group: at each
// speed of the sweep, time marches of the state-space model with the
// nonlinear springs from a small and a large pitch disturbance, and the
// harmonic-balance cycles on the route's exact coefficients.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "aero/aero_route.hpp"
#include "driver/case_parameters.hpp"
#include "driver/structural_model.hpp"
#include "flutter/harmonic_balance.hpp"
#include "flutter/limit_cycle.hpp"
#include "flutter/state_space.hpp"

namespace zelvan::driver {

// Periods of the pitch frequency a march may take before it counts as not
// settled, and the factor of the large start on lco_theta0.
inline constexpr int kLcoMostPeriods = 500;
inline constexpr double kLcoLargeStart = 10.0;

// One time march of the sweep.
struct LcoRow {
  double V = 0.0;            // U/(b omega_theta)
  double u = 0.0;            // m/s
  double q = 0.0;            // N/m^2
  bool large_start = false;  // from kLcoLargeStart * lco_theta0 (else lco_theta0)
  flutter::LcoPoint march;
  // Every harmonic-balance cycle at this speed, in increasing amplitude.
  std::vector<flutter::HarmonicBalanceCycle> harmonic_balance;
};

// A point of the harmonic-balance curve: the flutter speed of the
// equivalent section at a pitch amplitude, and whether the cycle there is
// stable (the speed rises with the amplitude towards the next point).
struct LcoCurvePoint {
  double amplitude_theta = 0.0;  // rad
  double V = 0.0;
  bool stable = false;
};

struct LcoSweep {
  NonlinearSpringsInput springs;           // the group it was run for
  std::optional<double> linear_flutter_V;  // the exact flutter speed with linear springs (harmonic balance's)
  std::vector<LcoRow> rows;                // per speed: the small start, then the large one
  std::vector<LcoCurvePoint> curve;        // the harmonic-balance curve, where it has flutter points
};

// The sweep of `springs` (cp.nonlinear, cp.section) over lco_count speeds
// from lco_V_start to lco_V_end, linear in V: the time marches of
// `aero` (the flutter solution's state-space model) with the section's
// structural damping added, at the case's tolerance and method, and
// harmonic balance with the coefficients of `route` at the case's Mach
// number.  Library errors end the run.
LcoSweep lco_sweep(const CaseParameters& cp, const StructuralModel& structure, const flutter::StateSpaceModel& aero,
                   aero::AeroRoute route);

// The state as the files write it: "rest", "cycle", "diverged", "not settled".
std::string_view lco_state_name(flutter::LcoState state);

}  // namespace zelvan::driver
