// Real general matrices: inverse (DLINRG), LU factorisation with partial
// pivoting (DL2TRG), factorisation with condition estimate (DL2CRG), solve
// from the factors (DLFSRG) and inverse of a triangular matrix (DLINRT).
// Matrices are stored by columns; element (i, j) of a matrix with leading
// dimension ld is entry (j-1)*ld + (i-1).  Pivot indices are 1-based.
#pragma once

namespace zelvan::numlib {

// AINV := inverse of A (n x n).  A is not changed.  Terminal errors: n < 1,
// n > lda, n > ldainv.  A singular matrix is fatal error 2 (the message of
// DL2TRG, printed under DLINRG; the run ends).  An ill-conditioned one
// (RCOND <= DMACH(4)) is warning 1 "too ill-conditioned" with the estimate;
// the computed inverse is returned.
void DLINRG(int n, const double* a, int lda, double* ainv, int ldainv);

// DLINRG with caller-supplied workspace: wk of n + n(n-1)/2 doubles, ipvt
// of n integers.
void DL2NRG(int n, const double* a, int lda, double* ainv, int ldainv, double* wk, int* ipvt);

// LU factorisation of A into FAC (U in the upper triangle, the negated
// multipliers below it; ipvt(k) the row exchanged with row k) and an
// estimate RCOND of the reciprocal L1 condition number (work vector z of
// n doubles).  RCOND <= DMACH(4) is warning 1 "algorithmically singular";
// a singular matrix is fatal error 2 with RCOND = 0.
void DL2CRG(int n, const double* a, int lda, double* fac, int ldfac, int* ipvt, double& rcond, double* z);

// LU factorisation with partial pivoting alone.  A singular matrix (a
// pivot of magnitude <= DMACH(1)) is fatal error 2.
void DL2TRG(int n, const double* a, int lda, double* fac, int ldfac, int* ipvt);

// Solves A*x = b (ipath 1) or transpose(A)*x = b (ipath 2) from the
// factors of DL2TRG.  b and x may be the same vector.
void DLFSRG(int n, const double* fac, int ldfac, const int* ipvt, const double* b, int ipath, double* x);

// Inverse of a triangular matrix: ipath 1 lower, 2 upper.  A and AINV may
// be the same array.  A zero diagonal element is fatal error 2.
void DLINRT(int n, const double* a, int lda, int ipath, double* ainv, int ldainv);

// L1 norm (largest column sum of magnitudes) of the m x n matrix A.
double DNR1RR(int m, int n, const double* a, int lda);

}  // namespace zelvan::numlib
