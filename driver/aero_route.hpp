// The aerodynamic route of the run as a function of reduced frequency and
// Mach number, for the flutter solution: the coefficients at any (k, Ma)
// without console lines, without a Possio listing and without changing the
// run's own coefficients; and an interpolating grid of Possio solutions.
#pragma once

#include <vector>

#include "aero/possio_kernel.hpp"
#include "aero/possio_loads.hpp"
#include "driver/flutter_modes.hpp"
#include "driver/model.hpp"

namespace zelvan::driver {

// Possio's domain in reduced frequency: 2k/(1 - Ma^2) at most this.
inline constexpr double kPossioFrequencyLimit = 25.0;
// Possio's domain in Mach number: at least the solver's lowest Mach number
// (below it the input selects thin-plate theory).
inline constexpr double kPossioLowestMach = aero::kPossioMinMach;

class AeroRouteEvaluator {
 public:
  // route: the run's route; x_p: pitch axis (chord fraction); aero_scale:
  // the factor on computed coefficients (as build_model() left it).
  AeroRouteEvaluator(AeroRoute route, double x_p, double aero_scale);

  // True when (k, Ma) lies in the route's domain: thin plate k > 0 and
  // |Ma| < 1; Possio 0 < k, 0.1 <= Ma < 1 and 2k/(1 - Ma^2) <= 25; never on
  // the external route (it has no reduced frequency).
  bool in_domain(double k, double mach) const;

  // The aerodynamic matrix (column-major, per unit dynamic pressure) at
  // reduced frequency k and Mach number `mach`, computed exactly as the
  // model computes the run's coefficients.  Requires in_domain(k, mach);
  // a Possio failure (singular system, quadrature) ends the run.
  Matrix2 coefficients(double k, double mach);

  // The number of Possio solves made by this evaluator.
  long possio_solves() const { return possio_solves_; }

  AeroRoute route() const { return route_; }

 private:
  AeroRoute route_;
  double x_p_, aero_scale_;
  aero::PossioSolver solver_;
  long possio_solves_ = 0;
};

// The steady limit F of the lift slope on the thin-plate and Possio routes:
// 2 pi aero_scale / sqrt(1 - Ma^2).
double steady_lift_slope(double aero_scale, double mach);

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

}  // namespace zelvan::driver
