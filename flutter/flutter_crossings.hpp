// Crossings of the decay rate d = 0 by a tracked mode, refined by a
// bracketing root-finder, the critical crossing, and the static divergence.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "flutter/flutter_modes.hpp"

namespace zelvan::flutter {

// Relative tolerance in q to which a crossing is refined.
inline constexpr double kCrossingTolerance = 1e-10;

enum class CrossingKind { onset, offset };

// A crossing: flutter onset (d changes from positive to negative, the mode
// starts to grow) or offset (from negative to positive), of tracked mode
// `mode` (0: f_0_1, 1: f_0_2) at q [N/m^2], u [m/s], with the mode's f [Hz],
// d [1/s] (zero to the refinement), k = 2 pi f (x_ref/2)/u and the
// eigenvector ratio pitch/plunge (magnitude, phase [deg]).
struct Crossing {
  CrossingKind kind = CrossingKind::onset;
  int mode = 0;
  double q = 0.0, u = 0.0, f = 0.0, d = 0.0, k = 0.0;
  zcomplex ratio;
  double magnitude = 0.0, phase = 0.0;
  // False when the root-finder could not follow the mode into the bracket
  // and the crossing was interpolated linearly between the steps.
  bool refined = true;
};

// The values of the two tracked modes at a series of dynamic pressures: an
// empty entry marks a step where the mode has no value (p-k: k left the
// aerodynamic domain or the iteration did not converge).
struct TrackedSeries {
  std::vector<double> q;
  std::array<std::vector<std::optional<FlutterMode>>, 2> modes;
};

// The tracked mode at dynamic pressure q inside the bracket of the steps at
// q_a and q_b with the mode's solutions `a` and `b` there; empty when it
// cannot be computed.
using ModeInBracket = std::function<std::optional<FlutterMode>(double q, double q_a, const FlutterMode& a, double q_b,
                                                               const FlutterMode& b)>;

// Every sign change of d between consecutive steps of each tracked mode
// with a value, refined on d(q) by TOMS 748 to kCrossingTolerance relative
// in q.  A step where d is exactly zero between steps of opposite sign is
// the crossing itself; a touch of zero without a sign change is none.
// Sorted by mode, then in sweep order.
std::vector<Crossing> find_crossings(const TrackedSeries& series, const ModeInBracket& mode_at, double rho,
                                     double x_ref);

// The flutter onset of lowest |q|, if any.
std::optional<Crossing> critical_crossing(const std::vector<Crossing>& crossings);

// The static divergence: the smallest positive q [N/m^2] at which K + q Qs
// is singular, with Qs = [[0, F], [0, -F (x_p - 0.25)]], and u [m/s].
struct Divergence {
  double q = 0.0, u = 0.0;
};

// K column-major (with K_m) [N/m, N, Nm]; F the steady lift slope
// (aero::steady_lift_slope); x_p the pitch axis (chord fraction); rho
// [kg/m^3].  Empty when det(K + q Qs), linear in q, has no
// positive finite root.
std::optional<Divergence> divergence(const std::array<double, 4>& stiffness, double lift_slope, double x_p, double rho);

}  // namespace zelvan::flutter
