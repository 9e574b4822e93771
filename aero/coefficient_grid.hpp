// An interpolating grid of a route's coefficients at one Mach number, for
// repeated evaluation where exact solves are costly (the Possio route).
#pragma once

#include <cstddef>
#include <vector>

#include "aero/aero_route.hpp"

namespace zelvan::aero {

// The coefficients of one Mach number on [k_lo, k_hi], interpolated from
// exact solves at Chebyshev points of s = ln k (barycentric formula): the
// coefficients are smooth in ln k, where their k ln k terms are not
// polynomial in k.
class CoefficientGrid {
 public:
  // Solves `points` (>= 2) times with `route` at Ma = mach; requires
  // 0 < k_lo < k_hi and the whole range in the route's domain.
  CoefficientGrid(AeroRouteEvaluator& route, double mach, double k_lo, double k_hi, int points);

  bool covers(double k) const { return k >= k_lo_ && k <= k_hi_; }
  double k_lo() const { return k_lo_; }
  double k_hi() const { return k_hi_; }
  std::size_t size() const { return nodes_.size(); }

  // The interpolated matrix at k; requires covers(k).
  Matrix2 at(double k) const;

 private:
  double k_lo_, k_hi_;
  std::vector<double> nodes_;    // s = ln k at the Chebyshev points
  std::vector<double> weights_;  // barycentric weights
  std::vector<Matrix2> values_;
};

}  // namespace zelvan::aero
