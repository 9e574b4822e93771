// Linear least squares: min ||A x - b||_2 by Householder QR of A with its
// columns scaled to unit length first.
#pragma once

#include <vector>

namespace zelvan::numlib {

struct LeastSquaresResult {
  // Columns of the scaled A whose diagonal element of R exceeds
  // kLeastSquaresRankTolerance times the largest: n when A has full rank.
  int rank = 0;
  // max |R_jj| / min |R_jj| of the scaled A: a lower bound of its 2-norm
  // condition number (infinite when a column is zero).
  double condition = 0.0;
  // ||A x - b||_2 of each right-hand side.
  std::vector<double> residual;
};

// R_jj at or below this multiple of the largest counts as zero (with the
// columns at unit length, a few hundred units of rounding of a column).
inline constexpr double kLeastSquaresRankTolerance = 1e-13;

// Solves min ||A x - b||_2 for the nrhs columns of b.  A: m x n, m >= n >= 1,
// by columns with leading dimension lda >= m (not changed); b: m x nrhs,
// ldb >= m (not changed); x: n x nrhs, ldx >= n.  Column j of A is divided
// by its 2-norm before the factorisation and x_j by the same norm after,
// which makes the result independent of the columns' units.  When the rank
// is below n the components of the negligible columns are set to 0 and the
// others solve the least-squares problem of the remaining columns (a basic
// solution, not the one of least norm); the caller decides what the rank
// means.  Terminal errors (the run ends): m < n, n < 1, nrhs < 1, a leading
// dimension too small.  Routine name LEAST_SQUARES in the error stack.
LeastSquaresResult least_squares(int m, int n, const double* a, int lda, const double* b, int ldb, int nrhs, double* x,
                                 int ldx);

}  // namespace zelvan::numlib
