// The linear solver of the Possio collocation system: Gauss-Jordan
// elimination with row pivoting through a permutation vector, which also
// gives the determinant.
#pragma once

#include <complex>

namespace zelvan::aero {

// Largest order the solver takes.
inline constexpr int kPossioCapacity = 51;

struct GaussJordanResult {
  bool solved = false;                 // false: a zero pivot stopped the elimination
  int zero_pivot_column = 0;           // 1-based column of the zero pivot (when not solved)
  std::complex<double> determinant{};  // det A (0 when not solved)
};

// Solves A x = w for nrhs right-hand sides at once.  n: order, 1..51.
// a: the n x n matrix, column-major with leading dimension lda >= n
// (a[i + lda*j] is A(i+1, j+1)); not changed.  w: the right-hand sides,
// column c at w[n*c .. n*c + n - 1].  x: the solutions in the same layout,
// written only when the result says solved.  nrhs >= 1.  The pivot of
// column k is the first of the largest moduli among the rows not yet used;
// entries of the normalised pivot row below 1e-14 in modulus are set to 0.
// Each right-hand side goes through exactly the operations of a solve
// with it alone.  A column whose candidates are all 0 (or NaN) stops the
// elimination: solved is false, the determinant 0, x untouched.  Complex
// division is Smith's scaled form; moduli are max * sqrt(1 + (min/max)^2).
GaussJordanResult possio_gauss_jordan(int n, const std::complex<double>* a, int lda, const std::complex<double>* w,
                                      std::complex<double>* x, int nrhs = 1);

}  // namespace zelvan::aero
