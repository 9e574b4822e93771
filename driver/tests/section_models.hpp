// Models of typical sections for the tests: the state-space model on
// Theodorsen's coefficients.
#pragma once

#include <cmath>

#include "aero/rational_fit.hpp"
#include "aero/thin_plate_matrix.hpp"
#include "driver/case_parameters.hpp"
#include "driver/structural_model.hpp"
#include "flutter/state_space.hpp"

namespace zelvan::driver::test_support {

// The state-space model of `section` on the thin-plate route at Ma 0 (Theodorsen's
// coefficients), fitted with the automatic count over k 0.005 to 3.
inline flutter::StateSpaceModel theodorsen_state_space(const SectionInput& section, double rho) {
  const StructuralModel structure = section_model(section, rho);
  const SectionScaling scaling = section_scaling(section);
  aero::RogerSamples samples;
  for (int i = 0; i < 60; ++i) {
    const double k = 0.005 * std::pow(600.0, i / 59.0);
    samples.k.push_back(k);
    samples.q.push_back(aero::thin_plate_matrix(k, scaling.x_p, 0.0, scaling.aero_scale, "k"));
  }
  samples.steady = aero::thin_plate_matrix(0.0, scaling.x_p, 0.0, scaling.aero_scale, "k");
  flutter::StateSpaceModel model;
  model.mass = structure.mass;
  model.stiffness = structure.stiffness;
  model.aero = aero::fit_roger_auto(samples);
  model.rho = rho;
  model.half_chord = section.b;
  return model;
}

}  // namespace zelvan::driver::test_support
