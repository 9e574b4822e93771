#include "flutter/limit_cycle.hpp"

#include <cmath>
#include <cstddef>
#include <vector>

#include "numlib/divpag_events.hpp"
#include "numlib/dset.hpp"

namespace zelvan::flutter {
namespace {

std::size_t sz(int i) { return static_cast<std::size_t>(i); }

// The error norm's floor as a fraction of the initial disturbance: the
// motion is measured relative to the size each component has reached
// (INORM 2), absolutely only below a thousandth of theta0, so that a cycle
// of any size is computed to the same relative accuracy.
constexpr double kNormFloor = 1e-3;

// The slope of spring_force at x.
double spring_slope(double k, const SpringNonlinearity& spring, double x) {
  if (spring.freeplay > 0.0) return std::fabs(x) <= spring.freeplay ? 0.0 : k;
  return k * (1.0 + 3.0 * spring.cubic * x * x);
}

// The linear state matrix at the march's speed and what the springs change
// in its acceleration rows.
struct Motion {
  int n = 0;
  std::vector<double> a;         // state_matrix(model, u), column-major
  std::array<double, 4> minv{};  // Mbar^-1
  std::array<double, 2> k{};     // K_11, K_22
  SectionSprings springs{};
};

// The springs' forces beyond the linear K_ii x_i the state matrix holds.
std::array<double, 2> extra_force(const Motion& m, const double* z) {
  return {spring_force(m.k[0], m.springs[0], z[0]) - m.k[0] * z[0],
          spring_force(m.k[1], m.springs[1], z[1]) - m.k[1] * z[1]};
}

void rhs(int n, double, const double* z, double* f, void* user) {
  const Motion& m = *static_cast<const Motion*>(user);
  for (int i = 0; i < n; ++i) f[i] = 0.0;
  for (int j = 0; j < n; ++j) {
    const double zj = z[j];
    if (zj == 0.0) continue;
    const double* column = &m.a[sz(j) * sz(n)];
    for (int i = 0; i < n; ++i) f[i] += column[i] * zj;
  }
  const std::array<double, 2> r = extra_force(m, z);
  f[2] -= m.minv[0] * r[0] + m.minv[2] * r[1];
  f[3] -= m.minv[1] * r[0] + m.minv[3] * r[1];
}

void jacobian(int n, double, const double* z, double* dfdz, void* user) {
  const Motion& m = *static_cast<const Motion*>(user);
  for (std::size_t e = 0; e < m.a.size(); ++e) dfdz[e] = m.a[e];
  for (std::size_t j = 0; j < 2; ++j) {
    const double extra = spring_slope(m.k[j], m.springs[j], z[j]) - m.k[j];
    dfdz[2 + j * sz(n)] -= m.minv[0 + 2 * j] * extra;
    dfdz[3 + j * sz(n)] -= m.minv[1 + 2 * j] * extra;
  }
}

// The switching functions of the march, in this order.
enum Switch : int {
  kPitchVelocity,
  kPlungeVelocity,
  kPitchAbove,
  kPitchBelow,
  kPlungeAbove,
  kPlungeBelow,
  kFirstCorner,  // then the freeplay corners: +delta and -delta of each spring with freeplay
};

}  // namespace

double spring_force(double k, const SpringNonlinearity& spring, double x) {
  if (spring.freeplay > 0.0) {
    if (std::fabs(x) <= spring.freeplay) return 0.0;
    return k * (x - std::copysign(spring.freeplay, x));
  }
  return k * (x + spring.cubic * x * x * x);
}

LcoPoint march_limit_cycle(const StateSpaceModel& model, const SectionSprings& springs, double u, double theta0,
                           const LcoMarchSettings& settings) {
  Motion motion;
  motion.n = state_count(model);
  motion.a = state_matrix(model, u);
  motion.minv = effective_mass_inverse(model);
  motion.k = {model.stiffness[0], model.stiffness[3]};
  motion.springs = springs;
  const int n = motion.n;

  std::vector<double> corners;  // (DOF, +-delta) of each switch from kFirstCorner on
  std::vector<int> corner_dof;
  for (int dof = 0; dof < 2; ++dof) {
    const double delta = springs[sz(dof)].freeplay;
    if (delta <= 0.0) continue;
    for (double side : {delta, -delta}) {
      corners.push_back(side);
      corner_dof.push_back(dof);
    }
  }
  const int count = kFirstCorner + static_cast<int>(corners.size());
  const auto switching = [&](double, const double* z, double* g) {
    g[kPitchVelocity] = z[3];
    g[kPlungeVelocity] = z[2];
    g[kPitchAbove] = z[1] - settings.diverged_pitch;
    g[kPitchBelow] = z[1] + settings.diverged_pitch;
    g[kPlungeAbove] = z[0] - settings.diverged_plunge;
    g[kPlungeBelow] = z[0] + settings.diverged_plunge;
    for (std::size_t c = 0; c < corners.size(); ++c) g[kFirstCorner + c] = z[corner_dof[c]] - corners[c];
  };

  LcoPoint point;
  bool have_min_theta = false, have_max_h = false, have_min_h = false;
  double min_theta = 0.0, max_h = 0.0, min_h = 0.0;
  double last_amplitude = -1.0, last_max_time = 0.0;
  bool have_max_time = false;
  const auto on_event = [&](const numlib::SwitchEvent& event, const double* z) {
    switch (event.which) {
      case kPitchAbove:
      case kPitchBelow:
      case kPlungeAbove:
      case kPlungeBelow:
        point.state = LcoState::diverged;
        return numlib::EventAction::stop;
      case kPlungeVelocity:
        (event.direction < 0 ? max_h : min_h) = z[0];
        (event.direction < 0 ? have_max_h : have_min_h) = true;
        if (have_max_h && have_min_h) point.amplitude_h = 0.5 * (max_h - min_h);
        return numlib::EventAction::pass;
      case kPitchVelocity:
        break;
      default:
        return numlib::EventAction::restart;  // a freeplay corner
    }
    if (event.direction > 0) {  // a minimum of theta
      min_theta = z[1];
      have_min_theta = true;
      return numlib::EventAction::pass;
    }
    // A maximum of theta: one more period.
    ++point.periods;
    if (have_max_time) point.frequency = 1.0 / (event.x - last_max_time);
    last_max_time = event.x;
    have_max_time = true;
    if (!have_min_theta) return numlib::EventAction::pass;
    const double amplitude = 0.5 * (z[1] - min_theta);
    point.amplitude_theta = amplitude;
    if (amplitude < settings.rest_fraction * std::fabs(theta0)) {
      point.state = LcoState::rest;
      return numlib::EventAction::stop;
    }
    if (last_amplitude > 0.0 && std::fabs(amplitude - last_amplitude) <= settings.settled * amplitude) {
      point.state = LcoState::cycle;
      return numlib::EventAction::stop;
    }
    last_amplitude = amplitude;
    return numlib::EventAction::pass;
  };

  std::array<double, 50> param{};
  numlib::DSET(50, 0.0, param.data(), 1);
  param[3] = 1.0e7;                            // PARAM(4): most steps
  param[11] = settings.method;                 // PARAM(12): METH
  param[9] = 2.0;                              // PARAM(10): INORM, relative to the size each component has reached
  param[10] = kNormFloor * std::fabs(theta0);  // PARAM(11): below it, absolute
  param[12] = 1.0;                             // PARAM(13): MITER, the Jacobian above
  std::vector<double> z0(sz(n), 0.0);
  z0[1] = theta0;
  const std::array<double, 1> end{settings.most_periods / settings.reference_frequency};
  const numlib::EventMarchResult march = numlib::march_with_events(
      n, rhs, jacobian, &motion, settings.tolerance, param, 0.0, z0, end, count, switching,
      [](std::size_t, double, const double*) {}, on_event);
  point.steps = march.steps;
  return point;
}

}  // namespace zelvan::flutter
