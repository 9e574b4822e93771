#include "driver/flutter_system.hpp"

#include "driver/case_parameters.hpp"
#include "driver/model.hpp"

namespace zelvan::driver {

flutter::FlutterSystem flutter_system() {
  const CaseParameters& cp = case_parameters();
  const AeroelasticModel& m = model();
  return flutter::FlutterSystem{
      .mass_inverse = m.mass_inverse, .stiffness = m.structure.stiffness, .rho = cp.rho, .x_ref = cp.x_ref};
}

}  // namespace zelvan::driver
