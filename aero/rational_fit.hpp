// Rational-function approximation of an aerodynamic matrix in Roger's form,
//   Q(k) ~ A0 + ik A1 - k^2 A2 + sum_j D_j ik/(ik + gamma_j),
// fitted to sampled Q(k) by linear least squares with A0 = Q(0) exactly,
// the lag roots gamma_j optimised (docs/time-domain-aerodynamics.md).
// With s = ik it is A0 + A1 s + A2 s^2 + sum_j D_j s/(s + gamma_j): the
// aerodynamics of a state-space model, one lag state per root and degree
// of freedom.
#pragma once

#include <array>
#include <limits>
#include <span>
#include <vector>

#include "aero/thin_plate_matrix.hpp"

namespace zelvan::aero {

// A real 2x2 matrix, column-major (element (i, j) at [i + 2*j]).
using RealMatrix2 = std::array<double, 4>;

// The form of the lag terms: Roger's, each D_j a full matrix (two lag
// states per lag in a state-space model), or Karpel's minimum-state form,
// each D_j = d_j e_j^T of rank one (one lag state per lag).
enum class LagForm { roger, minimum_state };

struct RogerFit {
  LagForm form = LagForm::roger;
  std::vector<double> lags;  // gamma_j > 0, ascending
  RealMatrix2 a0{}, a1{}, a2{};
  std::vector<RealMatrix2> d;  // D_j, one per lag
  // The minimum-state form's factors, D_j = d_j e_j^T with |e_j| = 1;
  // empty in Roger's form.
  std::vector<std::array<double, 2>> d_vectors, e_vectors;
  // The largest |Q_fit - Q| over the samples and entries, relative to the
  // largest |Q| of the samples.
  double error = 0.0;
};

// The samples a fit is made to: Q at k > 0 (ascending) and the steady
// matrix Q(0) (its real part is A0; a steady matrix is real).
struct RogerSamples {
  std::vector<double> k;
  std::vector<Matrix2> q;
  Matrix2 steady{};
};

// Q_fit(k), k >= 0.
Matrix2 roger_value(const RogerFit& fit, double k);

// The least-squares fit with the lags given (each > 0).  Needs at least as
// many real equations (two per sample) as unknowns of an entry (2 + the
// number of lags); fewer end the run (a terminal error of
// numlib::least_squares).  Coinciding lags give a fit of the distinct ones
// (the dependent terms 0).
RogerFit fit_roger_with_lags(const RogerSamples& samples, std::span<const double> lags);

// The fit with `count` lags, optimised (Levenberg-Marquardt in ln gamma on
// the least-squares residual, the linear coefficients eliminated, with
// Kaufman's Jacobian) from a start spread geometrically over the samples' k
// range (its lower end at most three decades below the highest k).
// count >= 1; samples as for fit_roger_with_lags.
RogerFit fit_roger(const RogerSamples& samples, int count);

// The fit error a run asks for, and the range of lag counts it tries.
inline constexpr double kRogerTargetError = 1e-4;
inline constexpr int kRogerFewestLags = 2;
inline constexpr int kRogerMostLags = 8;

// The fit with the fewest lags from kRogerFewestLags to kRogerMostLags
// whose error is below kRogerTargetError, else the one with the most.
// The counts are bisected (5, then 3 or 7, ...), on the premise that more
// lags fit at least as well: a count below one that misses the target is
// not tried.
RogerFit fit_roger_auto(const RogerSamples& samples);

// The minimum-state form with the lags of `start` (a fit in Roger's form
// of the same samples): each D_j = d_j e_j^T, started from the dominant
// singular pair of start's D_j and found by alternating linear least
// squares (the d_j with A1, A2 for fixed e_j, then the e_j with A1, A2 for
// fixed d_j) until the sum of squares settles; A0 = Q(0) as in Roger's
// form.  The rounds also end, from the second on, once the error cannot
// come within `acceptable` in the rounds left at the last round's
// decrease (the fit is then of no use to a caller that takes it only
// within that error).  Samples as for fit_roger_with_lags.
RogerFit fit_minimum_state(const RogerSamples& samples, const RogerFit& start,
                           double acceptable = std::numeric_limits<double>::infinity());

// The fit a run takes: fit_roger_auto, and the minimum-state form with its
// lags where that meets the same error (below kRogerTargetError, or no
// worse than Roger's where that is not below it) with half the lag states.
RogerFit fit_rational_auto(const RogerSamples& samples);

}  // namespace zelvan::aero
