// The structural system of the flutter eigenproblem from the run's model.
#pragma once

#include "driver/case_parameters.hpp"
#include "driver/model.hpp"
#include "flutter/flutter_modes.hpp"

namespace zelvan::driver {

// The FlutterSystem of `model` (M^-1 and K) with rho and x_ref of `cp`.
flutter::FlutterSystem flutter_system(const CaseParameters& cp, const AeroelasticModel& model);

}  // namespace zelvan::driver
