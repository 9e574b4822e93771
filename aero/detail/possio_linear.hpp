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

// Solves A x = w.  n: order, 1..51.  a: the n x n matrix, column-major with
// leading dimension lda >= n (a[i + lda*j] is A(i+1, j+1)); not changed.
// w: right-hand side (n values).  x: solution (n values), written only when
// the result says solved.  The pivot of column k is the first of the
// largest moduli among the rows not yet used; entries of the normalised
// pivot row below 1e-14 in modulus are set to 0.  A column whose
// candidates are all 0 (or NaN) stops the elimination: solved is false,
// the determinant 0, x untouched.  Complex division is Smith's scaled
// form; moduli are max * sqrt(1 + (min/max)^2).
GaussJordanResult possio_gauss_jordan(int n, const std::complex<double>* a, int lda, const std::complex<double>* w,
                                      std::complex<double>* x);

}  // namespace zelvan::aero
