// Error weights and norms of the initial-value integrator DIVPAG,
// selected by PARAM(10) = INORM.  A vector v (a local error estimate or a
// corrector increment) is measured against the solution y at the start of
// the step; `floor` is PARAM(11) (1 by default):
//
//   INORM 0  max_i |v_i| / max(|y_i|, floor)            mixed, per component
//   INORM 1  max_i |v_i|                                absolute
//   INORM 2  max_i |v_i| / max(ymax_i, floor)           relative to the largest
//            |y_i| seen since the start of the integration
//   INORM 3  sqrt(1/N sum_i (v_i / max(|y_i|, floor))^2)  root mean square
//
// The integrator compares these norms, divided by its error constants, with
// TOL (docs/initial-value-integrator.md).
#pragma once

namespace zelvan::numlib {

// Sets the inverse weights winv (n doubles) for norm `inorm` from the
// solution y.  For INORM 2, ymax (n doubles) holds the running maxima of
// |y_i| and is updated.
void divpag_weights(int inorm, int n, const double* y, double floor, double* ymax, double* winv);

// The weighted norm of v with the inverse weights of divpag_weights.
double divpag_norm(int inorm, int n, const double* v, const double* winv);

}  // namespace zelvan::numlib
