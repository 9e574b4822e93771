#include "driver/section_answers.hpp"

#include "driver/structural_model.hpp"

namespace zelvan::driver {

double section_speed(const SectionInput& section, double u) {
  return u / (section.b * pitch_circular_frequency(section));
}

std::optional<SectionPoint> section_point(const SectionInput& section, const std::optional<flutter::Crossing>& c) {
  if (!c) return std::nullopt;
  return SectionPoint{.V = section_speed(section, c->u), .omega_ratio = c->f / section.f_theta, .k = c->k};
}

}  // namespace zelvan::driver
