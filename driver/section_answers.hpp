// The flutter answers of a typical section in its own terms: the speed
// V = U/(b omega_theta), the frequency ratio omega/omega_theta and the
// reduced frequency k = omega b/U.
#pragma once

#include <optional>

#include "driver/case_parameters.hpp"
#include "flutter/flutter_crossings.hpp"

namespace zelvan::driver {

struct SectionPoint {
  double V = 0.0;            // U/(b omega_theta)
  double omega_ratio = 0.0;  // omega/omega_theta
  double k = 0.0;            // omega b/U
};

// U/(b omega_theta) of the flow speed u [m/s], omega_theta = 2 pi f_theta.
double section_speed(const SectionInput& section, double u);

// The crossing `c` (u [m/s], f [Hz], k) in the section's terms; empty when
// there is no crossing.
std::optional<SectionPoint> section_point(const SectionInput& section, const std::optional<flutter::Crossing>& c);

}  // namespace zelvan::driver
