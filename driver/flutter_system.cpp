#include "driver/flutter_system.hpp"

namespace zelvan::driver {

flutter::FlutterSystem flutter_system(const CaseParameters& cp, const AeroelasticModel& model) {
  return flutter::FlutterSystem{
      .mass_inverse = model.mass_inverse, .stiffness = model.structure.stiffness, .rho = cp.rho, .x_ref = cp.x_ref};
}

}  // namespace zelvan::driver
