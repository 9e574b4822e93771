// Models of typical sections for the tests: the state-space model on
// Theodorsen's coefficients, and the section of the limit-cycle tests with
// its harmonic-balance reference.
#pragma once

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

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

// mu = 100, a = -1/2, x_theta = 1/4, r^2 = 1/4, sigma = 0.2 with b = 0.5 m
// and f_theta = 1 Hz: the literature's section for limit cycles of a pitch
// spring, exact linear flutter at V = U/(b omega_theta) = 6.25662.
inline SectionInput lco_section() {
  return {.b = 0.5, .a = -0.5, .x_theta = 0.25, .r2 = 0.25, .mu = 100.0, .sigma = 0.2, .f_theta = 1.0};
}

// The lines of driver/tests/data/lco_harmonic_balance.txt (written by
// tools/gen_lco_harmonic_balance.py) by their first word: the numbers
// after it.
inline std::multimap<std::string, std::vector<double>> lco_reference() {
  std::ifstream in(std::filesystem::path(ZELVAN_SOURCE_DIR) / "driver/tests/data/lco_harmonic_balance.txt");
  std::multimap<std::string, std::vector<double>> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string key;
    words >> key;
    std::vector<double> values;
    for (double v; words >> v;) values.push_back(v);
    lines.emplace(key, values);
  }
  return lines;
}

}  // namespace zelvan::driver::test_support
