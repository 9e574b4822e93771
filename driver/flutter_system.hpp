// The structural system of the flutter eigenproblem from the run's model.
#pragma once

#include "flutter/flutter_modes.hpp"

namespace zelvan::driver {

// The FlutterSystem of the built model (M^-1 and K with K_m) and the case
// parameters (rho, x_ref).  Needs build_model().
flutter::FlutterSystem flutter_system();

}  // namespace zelvan::driver
