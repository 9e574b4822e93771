#include "driver/structural_model.hpp"

#include <cmath>
#include <limits>
#include <numbers>

#include "driver/constants.hpp"

namespace zelvan::driver {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// a/b, or NaN when b is zero.
double quotient(double a, double b) { return b != 0.0 ? a / b : kNaN; }

}  // namespace

StructuralModel records_model(const CaseParameters& cp) {
  StructuralModel m;
  m.mass = {cp.M_1, cp.S_m, cp.S_m, cp.M_2};
  m.damping = {cp.D_1, 0.0, 0.0, cp.D_2};
  m.stiffness = {cp.K_1, cp.K_m, cp.K_m, cp.K_2};
  return m;
}

StructuralModel section_model(const SectionInput& section, double rho) {
  const double b = section.b, s = section.span;
  const double m = section.mu * std::numbers::pi * rho * b * b;  // kg/m
  const double omega_theta = pitch_circular_frequency(section);
  const double omega_h = section.sigma * omega_theta;
  const double plunge = m * s / 2.0;                // m s/2
  const double pitch = m * section.r2 * s / 4.0;    // I s/(4 b^2)
  const double coupling = m * section.x_theta * s;  // S s/b
  StructuralModel model;
  model.mass = {plunge, coupling / 4.0, coupling / 2.0, pitch};
  model.damping = {2.0 * section.zeta_h * omega_h * plunge, 0.0, 0.0, 2.0 * section.zeta_theta * omega_theta * pitch};
  model.stiffness = {omega_h * omega_h * plunge, 0.0, 0.0, omega_theta * omega_theta * pitch};
  return model;
}

double pitch_circular_frequency(const SectionInput& section) { return 2.0 * std::numbers::pi * section.f_theta; }

SectionScaling section_scaling(const SectionInput& section) {
  return SectionScaling{.x_p = (1.0 + section.a) / 2.0, .x_ref = 2.0 * section.b, .aero_scale = section.span};
}

StructuralModes structural_modes_of(const StructuralModel& model) {
  // det(K - lambda M) = 0 written out: M12 and M21 are the plunge row's and
  // the pitch row's coupling, K12 = K21 = Km the stiffness coupling (both
  // input forms have a symmetric stiffness).  With M12 = M21 = S_m every
  // product below is, bit for bit, the one of the symmetric closed form.
  const double M1 = model.mass[0], M21 = model.mass[1], M12 = model.mass[2], M2 = model.mass[3];
  const double K1 = model.stiffness[0], Km = model.stiffness[2], K2 = model.stiffness[3];
  const double Msum = M12 + M21;
  const double delta = M1 * M2 - M12 * M21;
  double D = K1 * K1 * M2 * M2 - 2.0 * K1 * K2 * M1 * M2 + 4.0 * K1 * K2 * M12 * M21 - 2.0 * K1 * Km * M2 * Msum +
             K2 * K2 * M1 * M1 - 2.0 * K2 * Km * M1 * Msum + 4.0 * Km * Km * M1 * M2;
  // Terms that vanish for a symmetric mass, added only when they do not, so
  // that a zero leaves the sign of a zero result as it was.
  if (M12 != M21) D += Km * Km * (M12 - M21) * (M12 - M21);
  const double root = std::pow(D, 0.5);
  const double ls1 = quotient(root / 2.0 + K1 * M2 / 2.0 + K2 * M1 / 2.0 - Km * Msum / 2.0, delta);
  const double ls2 = quotient(K1 * M2 / 2.0 - root / 2.0 + K2 * M1 / 2.0 - Km * Msum / 2.0, delta);

  // The mode of lambda = (b + s)/(2 delta), s = +-root, from the plunge
  // row: v1/v2 = num/den.
  const auto shape = [&](double s) -> std::array<double, 2> {
    const double den = s * M1 - K1 * M1 * M2 + 2.0 * K1 * M12 * M21 + K2 * M1 * M1 - Km * M1 * Msum;
    double num = -s * M12 - K1 * M2 * M12 - K2 * M1 * M12 + 2.0 * Km * M1 * M2;
    if (M12 != M21) num += Km * M12 * (M12 - M21);
    if (std::fabs(den) > kNegligible) return {num / den, 1.0};
    // No pitch component: normalised on the plunge component instead.
    if (std::fabs(num) > kNegligible) return {1.0, den / num};
    return {1.0, 0.0};
  };

  StructuralModes modes;
  modes.f = {std::sqrt(ls1) / kTwoPi, std::sqrt(ls2) / kTwoPi};
  modes.shape = {shape(root), shape(-root)};
  const double fu1 = std::sqrt(quotient(K1, M1)) / kTwoPi;
  const double fu2 = std::sqrt(quotient(K2, M2)) / kTwoPi;
  if (fu1 > fu2 && modes.f[0] > modes.f[1]) {
    modes.f_0_1 = modes.f[0];
    modes.f_0_2 = modes.f[1];
  } else {
    modes.f_0_1 = modes.f[1];
    modes.f_0_2 = modes.f[0];
  }
  return modes;
}

}  // namespace zelvan::driver
