// Harmonic balance of nonlinear pitch springs on Theodorsen's exact
// coefficients against the independent describing-function reference of
// tools/gen_lco_harmonic_balance.py (mpmath, 40 digits).
#include <gtest/gtest.h>

#include <numbers>

#include "aero/thin_plate_matrix.hpp"
#include "driver/structural_model.hpp"
#include "driver/tests/section_models.hpp"
#include "flutter/harmonic_balance.hpp"

namespace zelvan::driver {
namespace {

using test_support::lco_reference;
using test_support::lco_section;

// The reference's flutter speeds: the program's Theodorsen function (about
// 1e-14) and the root of exact_flutter (1e-12 in k) give V to about 1e-14
// (measured 2e-15); the amplitude of a cycle is refined to 1e-10 and
// V_f(A) has a slope of order 1 there (measured 2e-15).
constexpr double kSpeed = 1e-12;
constexpr double kAmplitude = 1e-9;

flutter::HarmonicSection theodorsen_section(const SectionInput& s, double rho) {
  const StructuralModel structure = section_model(s, rho);
  const SectionScaling scaling = section_scaling(s);
  flutter::HarmonicSection h;
  h.mass = structure.mass;
  h.damping = structure.damping;
  h.stiffness = structure.stiffness;
  h.rho = rho;
  h.half_chord = s.b;
  h.coefficients = [scaling](double k) {
    return std::optional<flutter::Matrix2>(aero::thin_plate_matrix(k, scaling.x_p, 0.0, scaling.aero_scale, "k"));
  };
  return flutter::with_scan(h, 2.0, 0.005, 150);
}

TEST(HarmonicBalance, GivesTheReferenceFlutterSpeedsAndCycleAmplitudesOfCubicAndFreeplayPitchSprings) {
  const auto lines = lco_reference();
  ASSERT_EQ(lines.count("linear"), 1U);
  const SectionInput section = lco_section();
  const flutter::HarmonicSection h = theodorsen_section(section, 1.2);
  const double unit = section.b * 2.0 * std::numbers::pi * section.f_theta;  // V = 1 in m/s
  const std::optional<flutter::ExactFlutter> linear = flutter::exact_flutter(h);
  ASSERT_TRUE(linear);
  const double v_f = lines.find("linear")->second[0];
  EXPECT_NEAR(linear->u / unit / v_f, 1.0, kSpeed);

  flutter::SectionSprings cubic{};
  cubic[1].cubic = 3.0;
  for (auto [it, end] = lines.equal_range("cubic"); it != end; ++it) {
    const auto p = flutter::harmonic_balance_point(h, cubic, it->second[1]);
    ASSERT_TRUE(p) << it->second[1];
    EXPECT_NEAR(p->flutter.u / unit / v_f / it->second[2], 1.0, kSpeed) << it->second[1];
  }
  const flutter::HarmonicBalanceCurve curve = flutter::harmonic_balance_curve(h, cubic, 1.0, 50);
  for (auto [it, end] = lines.equal_range("cubic_at"); it != end; ++it) {
    const auto cycles = flutter::harmonic_balance_cycles(h, cubic, curve, it->second[1] * v_f * unit);
    ASSERT_EQ(cycles.size(), 1U) << it->second[1];
    EXPECT_TRUE(cycles[0].stable);
    EXPECT_NEAR(cycles[0].amplitude_theta / it->second[2], 1.0, kAmplitude) << it->second[1];
  }

  flutter::SectionSprings freeplay{};
  freeplay[1].freeplay = 0.001;
  for (auto [it, end] = lines.equal_range("freeplay"); it != end; ++it) {
    const auto p = flutter::harmonic_balance_point(h, freeplay, it->second[0] * 0.001);
    ASSERT_TRUE(p) << it->second[0];
    EXPECT_NEAR(p->flutter.u / unit / v_f / it->second[1], 1.0, kSpeed) << it->second[0];
  }
}

}  // namespace
}  // namespace zelvan::driver
