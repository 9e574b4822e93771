// Real symmetric positive definite matrices: Cholesky factorisation
// (DLFTDS) and solve from the factor (DLFSDS).  Matrices are stored by
// columns; element (i, j) of a matrix with leading dimension ld is entry
// (j-1)*ld + (i-1).  Only the upper triangle of the input matrix is read.
#pragma once

namespace zelvan::numlib {

// Factors A = transpose(R)*R with R upper triangular, R stored in the upper
// triangle of FACT (the strict lower triangle of FACT is not touched; FACT
// may be A itself).  Terminal errors: n < 1 (code 1), n > lda (2),
// n > ldfact (3).  When the leading k by k submatrix is not positive
// definite the factorisation stops there: fatal error 2 "The leading k by k
// submatrix of the input matrix is not positive definite.", FACT partly
// overwritten.
void DLFTDS(int n, const double* a, int lda, double* fact, int ldfact);

// Solves A*x = b from the factor R of DLFTDS (transpose(R)*y = b, then
// R*x = y).  b and x may be the same vector.  Terminal errors: n < 1
// (code 1), n > ldfact (2).  A zero diagonal element of R is fatal error 3
// "The input matrix is singular.".
void DLFSDS(int n, const double* fact, int ldfact, const double* b, double* x);

}  // namespace zelvan::numlib
