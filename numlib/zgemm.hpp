// Complex matrix product.
#pragma once

#include <complex>

namespace zelvan::numlib {

// C := alpha*op(A)*op(B) + beta*C, op given by transa / transb: "N" no
// change, "T" transpose, "C" conjugate transpose (either case).  op(A) is
// m x k, op(B) k x n, C m x n; all stored by columns.  Argument errors are
// terminal errors under the name ZGEMM; the normal path does not touch the
// error stack.  With alpha = 0 and beta = 1 (or m = 0 or n = 0) C is not
// touched.
void ZGEMM(char transa, char transb, int m, int n, int k, std::complex<double> alpha, const std::complex<double>* a,
           int lda, const std::complex<double>* b, int ldb, std::complex<double> beta, std::complex<double>* c,
           int ldc);

}  // namespace zelvan::numlib
