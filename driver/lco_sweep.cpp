#include "driver/lco_sweep.hpp"

#include <cmath>
#include <numbers>

namespace zelvan::driver {
namespace {

// The scan of exact_flutter: k from 5 down to 0.002 (V = omega/(k omega_theta)
// up to hundreds for any section's frequencies), 200 log-spaced points.
constexpr double kScanHigh = 5.0;
constexpr double kScanLow = 0.002;
constexpr int kScanPoints = 200;
// The harmonic-balance curve: pitch amplitudes up to the divergence bound
// of the march, in this many points.
constexpr int kCurvePoints = 120;

}  // namespace

std::string_view lco_state_name(flutter::LcoState state) {
  switch (state) {
    case flutter::LcoState::rest:
      return "rest";
    case flutter::LcoState::cycle:
      return "cycle";
    case flutter::LcoState::diverged:
      return "diverged";
    case flutter::LcoState::not_settled:
      return "not settled";
  }
  return {};
}

LcoSweep lco_sweep(const CaseParameters& cp, const StructuralModel& structure, const flutter::StateSpaceModel& aero,
                   aero::AeroRoute route) {
  const NonlinearSpringsInput& n = *cp.nonlinear;
  const SectionInput& section = *cp.section;
  flutter::SectionSprings springs{};
  springs[0] = {.cubic = n.cubic_h, .freeplay = n.freeplay_h};
  springs[1] = {.cubic = n.cubic_theta, .freeplay = n.freeplay_theta};
  const double omega_theta = 2.0 * std::numbers::pi * section.f_theta;
  const double unit = section.b * omega_theta;  // V = 1 in m/s

  flutter::StateSpaceModel model = aero;
  model.damping = structure.damping;
  flutter::LcoMarchSettings settings;
  settings.tolerance = cp.tolerance;
  settings.method = cp.integ_method;
  settings.reference_frequency = section.f_theta;
  settings.most_periods = kLcoMostPeriods;

  aero::AeroRouteEvaluator evaluator(route, cp.x_p, cp.aero_scale, "k");
  flutter::HarmonicSection exact;
  exact.mass = structure.mass;
  exact.damping = structure.damping;
  exact.stiffness = structure.stiffness;
  exact.rho = cp.rho;
  exact.half_chord = section.b;
  exact.coefficients = [&evaluator, &cp](double k) -> std::optional<flutter::Matrix2> {
    if (!evaluator.in_domain(k, cp.Ma)) return std::nullopt;
    return evaluator.coefficients(k, cp.Ma);
  };
  exact = flutter::with_scan(exact, kScanHigh, kScanLow, kScanPoints);

  LcoSweep sweep;
  sweep.springs = n;
  if (const auto linear = flutter::exact_flutter(exact)) sweep.linear_flutter_V = linear->u / unit;
  const flutter::HarmonicBalanceCurve curve =
      flutter::harmonic_balance_curve(exact, springs, settings.diverged_pitch, kCurvePoints);
  for (std::size_t i = 0; i < curve.points.size(); ++i) {
    if (!curve.points[i]) continue;
    const double V = curve.points[i]->flutter.u / unit;
    // Stable where the speed rises towards the next point (or from the
    // last one, at the end).
    bool stable = false;
    if (i + 1 < curve.points.size() && curve.points[i + 1]) {
      stable = curve.points[i + 1]->flutter.u > curve.points[i]->flutter.u;
    } else if (i > 0 && curve.points[i - 1]) {
      stable = curve.points[i]->flutter.u > curve.points[i - 1]->flutter.u;
    }
    sweep.curve.push_back({curve.amplitude_theta[i], V, stable});
  }
  for (int i = 0; i < n.lco_count; ++i) {
    const double V = n.lco_V_start + (n.lco_V_end - n.lco_V_start) * i / (n.lco_count - 1);
    const double u = V * unit;
    const std::vector<flutter::HarmonicBalanceCycle> cycles =
        flutter::harmonic_balance_cycles(exact, springs, curve, u);
    for (bool large : {false, true}) {
      LcoRow row;
      row.V = V;
      row.u = u;
      row.q = 0.5 * cp.rho * u * u;
      row.large_start = large;
      row.march =
          flutter::march_limit_cycle(model, springs, u, (large ? kLcoLargeStart : 1.0) * n.lco_theta0, settings);
      row.harmonic_balance = cycles;
      sweep.rows.push_back(row);
    }
  }
  return sweep;
}

}  // namespace zelvan::driver
