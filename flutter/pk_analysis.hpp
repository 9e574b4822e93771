// The p-k analysis: at every sweep speed each tracked mode iterates its own
// reduced frequency until the aerodynamic coefficients match its
// frequency.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "flutter/flutter_crossings.hpp"
#include "flutter/flutter_modes.hpp"

namespace zelvan::flutter {

// Substitution steps of one p-k point before it counts as not converged.
inline constexpr int kPkIterationLimit = 100;

// The aerodynamic matrix at reduced frequency k; empty when k lies outside
// the aerodynamic domain.
using CoefficientsAt = std::function<std::optional<Matrix2>(double k)>;

// One converged p-k point of a tracked mode: the eigen-solution at the
// matched k, k = 2 pi f (x_ref/2)/u of that solution, and the table column
// (1 or 2) it came from.
struct PkPoint {
  FlutterMode mode;
  double k = 0.0;
  int column = 0;
};

// Iterates k := 2 pi f(k) (x_ref/2)/u at dynamic pressure q from k_start,
// following the mode closest to W_ref (the mode's W at the previous speed),
// until |k_new - k| <= tolerance*k.  Empty when u = 0, k leaves the domain
// (coefficients empty, or k <= 0 as the mode stops oscillating) or the
// iteration limit is reached.
std::optional<PkPoint> pk_point(const FlutterSystem& system, const CoefficientsAt& coefficients, double q,
                                double k_start, zcomplex W_ref, zcomplex ratio_ref, double tolerance);

struct PkResult {
  std::vector<double> q, u;
  std::array<std::vector<std::optional<PkPoint>>, 2> modes;  // per tracked mode and speed
  std::vector<Crossing> crossings;
  std::optional<Crossing> critical;
};

// The p-k analysis over the sweep's dynamic pressures `q`, tracked modes
// starting from the structural solutions `structural` (tracked order, at
// q = 0): the first speed starts from the structural frequency, every later
// one from the mode's last converged k.  Crossings refined as for the sweep,
// each trial q iterated from the bracket's interpolated k.
PkResult pk_analysis(const FlutterSystem& system, const CoefficientsAt& coefficients, const std::vector<double>& q,
                     const std::array<FlutterMode, 2>& structural, double tolerance);

}  // namespace zelvan::flutter
