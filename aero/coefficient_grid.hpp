// An interpolating grid of a route's coefficients at one Mach number, for
// repeated evaluation where exact solves are costly (the Possio route).
#pragma once

#include <cstddef>
#include <vector>

#include "aero/aero_route.hpp"

namespace zelvan::aero {

// The variable the grid interpolates in: s = ln k + k/(1 - Ma).  Near k = 0
// the coefficients have k ln k terms (the wake), smooth in ln k but not
// polynomial in k; at higher k they oscillate with the phase of the wave
// that runs upstream across the chord, 2k/(1 - Ma), and are smooth in k.
// k > 0, 0 <= mach < 1.  No failure.
double grid_variable(double k, double mach);

// c = 2M/(1 - M^2): the grid interpolates Q(k) e^{ick}, whose chordwise
// waves, from e^{-2ik/(1 + M)} downstream to e^{2ik/(1 - M)} upstream,
// are centred on 0 by it (c is the middle of their two rates), so that
// the interpolant resolves half their spread instead of the upstream
// rate.  0 <= mach < 1.  No failure.
double grid_phase_rate(double mach);

// The k with grid_variable(k, mach) = s (Newton's method from a bound),
// to rounding.  0 <= mach < 1.  No failure.
double grid_frequency(double s, double mach);

// The points a grid on [k_lo, k_hi] at Ma = mach takes to interpolate the
// Possio coefficients within 1e-7 of the largest:
// 8 + 2.8 ln(k_hi/k_lo) + (1.25 + 0.2 Ma)(k_hi - k_lo)/(1 - Ma), rounded up
// (fitted with a margin over Ma 0.1 to 0.95, docs/flutter-solution.md),
// at least kGridLeastPoints.  Requires 0 < k_lo < k_hi, 0 <= mach < 1.
// No failure.
int grid_points(double mach, double k_lo, double k_hi);

inline constexpr int kGridLeastPoints = 8;

// The coefficients of one Mach number on [k_lo, k_hi], interpolated from
// exact solves at Chebyshev points (second kind, ends included) of
// s = grid_variable(k, mach) by the barycentric formula, each times
// e^{ick}, c = grid_phase_rate(mach), and the interpolant times e^{-ick}.
class CoefficientGrid {
 public:
  // Solves `points` (>= 2) times with `route` at Ma = mach; requires
  // 0 < k_lo < k_hi and the whole range in the route's domain.
  CoefficientGrid(AeroRouteEvaluator& route, double mach, double k_lo, double k_hi, int points);

  bool covers(double k) const { return k >= k_lo_ && k <= k_hi_; }
  double k_lo() const { return k_lo_; }
  double k_hi() const { return k_hi_; }
  std::size_t size() const { return values_.size(); }

  // The interpolated matrix at k; requires covers(k).
  Matrix2 at(double k) const;

 private:
  double mach_;
  double k_lo_, k_hi_;
  std::vector<double> nodes_;    // s at the Chebyshev points, from s_hi down to s_lo
  std::vector<double> weights_;  // barycentric weights
  std::vector<Matrix2> values_;
};

}  // namespace zelvan::aero
