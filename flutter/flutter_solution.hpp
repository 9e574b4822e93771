// The flutter solution of a sweep as a function of values: tracked modes,
// crossings and the critical point, divergence, and on request the p-k
// analysis and the matched flutter point.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "aero/aero_route.hpp"
#include "aero/rational_fit.hpp"
#include "flutter/flutter_crossings.hpp"
#include "flutter/flutter_modes.hpp"
#include "flutter/matched_point.hpp"
#include "flutter/p_method.hpp"
#include "flutter/pk_analysis.hpp"

namespace zelvan::flutter {

// What the solution is computed from, in SI units.
struct FlutterProblem {
  FlutterSystem system;          // M^-1, K, rho, x_ref
  std::array<double, 4> mass{};  // M (column-major, kg), of the state-space model
  // The route of the sweep's coefficients, and those coefficients
  // (column-major, per unit dynamic pressure) at the sweep's reduced
  // frequency and Mach number `mach`.
  aero::AeroRoute route = aero::AeroRoute::external;
  Matrix2 aero{};
  double mach = 0.0;
  // The route's pitch axis (chord fraction) and scale factor on computed
  // coefficients, for the coefficients at other (k, Ma) and the steady lift
  // slope of the divergence.
  double x_p = 0.0, aero_scale = 1.0;
  // The sweep's steps in sweep order; they must outlive the call.
  std::span<const FlutterStep> steps;
  std::array<double, 2> structural_frequencies{};  // f_0_1, f_0_2 [Hz]; f_0_1 NaN: no value
  // 0: the sweep only; 1: also the p-k analysis and the matched point
  // (computed routes); 2: the matched point matched in Mach number as well.
  int method = 0;
  double match_tolerance = 1e-6;  // relative, of p-k points and the matched point
  int match_iterations = 30;      // evaluations of the matched point's critical crossing
  double sound_speed = 0.0;       // m/s, for method 2
};

// The state-space model of the section with the route's aerodynamics in
// Roger's form, fitted to samples over k_range, and its p-method over the
// sweep's dynamic pressures.  Like the sweep, p-k and the matched point it
// has no structural damping.
struct StateSpaceSolution {
  std::array<double, 2> k_range{};  // the lowest and the highest sample's k
  StateSpaceModel model;
  PMethodResult p;
};

// Everything the solution found, in SI units.
struct FlutterResult {
  // The sweep, tracked: sweep.modes[m][i] the solution of tracked mode m
  // at step i, column[m][i] its table column (1 or 2).
  TrackedSeries sweep;
  std::array<std::vector<int>, 2> column;
  std::vector<Crossing> crossings;
  std::optional<Crossing> critical;
  std::optional<Divergence> divergence;           // computed routes
  std::optional<PkResult> pk;                     // methods 1 and 2, computed routes
  std::optional<MatchedPoint> matched;            // methods 1 and 2, computed routes
  bool matched_without_start = false;             // no p-k critical point to start from
  std::optional<StateSpaceSolution> state_space;  // methods 1 and 2, computed routes, a p-k range
  long possio_solves = 0;                         // exact Possio solves of the solution
  long state_space_solves = 0;                    // of them, the fit's samples outside the grid
  std::size_t grid_points = 0;                    // Possio grid size of the p-k analysis (0: none)
};

// Tracks the sweep's modes from the structural solution (q = 0), finds and
// refines their crossings of d = 0 and the critical one, and on the
// thin-plate and Possio routes the divergence; with method 1 or 2 there,
// the p-k analysis over the sweep's dynamic pressures (on the Possio route
// with coefficients interpolated on a grid of exact solves)
// and the matched point from the p-k critical reduced frequency, and the
// state-space model fitted over the p-k range widened towards k = 0 (on
// the Possio route over k = 0.02 to 1, or to twice the p-k critical k),
// with its p-method.  The
// coefficients at other (k, Ma) are computed without console lines or
// files.  A library error (DEVCCG, the Bessel functions) or a Possio
// failure ends the run (textio::RunStop) after a note.
FlutterResult solve_flutter(const FlutterProblem& problem);

// The samples the state-space fit of solve_flutter takes: 40 log-spaced k
// over [k_lo, k_hi] (0 < k_lo < k_hi, both ends included) from
// `coefficients` (per unit dynamic pressure), and the steady matrix, the
// thin-plate one at `mach` with pitch axis x_p (chord fraction) and the
// factor aero_scale (on the Possio route too: it is the k -> 0 limit of
// Possio's).
aero::RogerSamples state_space_samples(double k_lo, double k_hi, double x_p, double mach, double aero_scale,
                                       const std::function<Matrix2(double)>& coefficients);

}  // namespace zelvan::flutter
