// The aerodynamic route of a run as a function of reduced frequency and
// Mach number: the coefficients at any (k, Ma) without console lines,
// without a Possio listing and without changing a run's own coefficients.
#pragma once

#include <string>
#include <string_view>

#include "aero/possio_kernel.hpp"
#include "aero/possio_loads.hpp"
#include "aero/thin_plate_matrix.hpp"

namespace zelvan::aero {

// Where a run's aerodynamic coefficients come from: read from the input,
// thin-plate theory, or the Possio integral equation.
enum class AeroRoute { external, thin_plate, possio };

// Possio's domain in reduced frequency: 2k/(1 - Ma^2) at most this.
inline constexpr double kPossioFrequencyLimit = 25.0;
// Possio's domain in Mach number: at least the solver's lowest Mach number
// (below it the input selects thin-plate theory).
inline constexpr double kPossioLowestMach = kPossioMinMach;

class AeroRouteEvaluator {
 public:
  // route: the run's route; x_p: pitch axis (chord fraction); aero_scale:
  // the factor on computed coefficients (as the model left it);
  // frequency_name: how a library-error note of the thin-plate route names
  // the reduced frequency.
  AeroRouteEvaluator(AeroRoute route, double x_p, double aero_scale, std::string_view frequency_name);

  // True when (k, Ma) lies in the route's domain: thin plate k > 0 and
  // |Ma| < 1; Possio 0 < k, 0.1 <= Ma < 1 and 2k/(1 - Ma^2) <= 25; never on
  // the external route (it has no reduced frequency).
  bool in_domain(double k, double mach) const;

  // The largest reduced frequency in the domain at Mach number `mach`:
  // on the Possio route the k with 2k/(1 - Ma^2) = 25, brought inside by
  // the unit of rounding its product may lie beyond; infinity on the
  // thin-plate route; 0 where no k is in the domain (the external route, a
  // Mach number outside the route's range).  No failure.
  double highest_frequency(double mach) const;

  // The aerodynamic matrix (column-major, per unit dynamic pressure) at
  // reduced frequency k and Mach number `mach`, computed exactly as the
  // model computes a run's coefficients.  Requires in_domain(k, mach); a
  // Possio failure (singular system, quadrature) ends the run.
  Matrix2 coefficients(double k, double mach);

  // The number of Possio solves made by this evaluator.
  long possio_solves() const { return possio_solves_; }

  AeroRoute route() const { return route_; }

 private:
  AeroRoute route_;
  double x_p_, aero_scale_;
  std::string frequency_name_;
  PossioSolver solver_;
  long possio_solves_ = 0;
};

// The steady limit F of the lift slope on the thin-plate and Possio routes:
// 2 pi aero_scale / sqrt(1 - Ma^2) (kTwoPi), |Ma| < 1.
double steady_lift_slope(double aero_scale, double mach);

}  // namespace zelvan::aero
