// Vector and matrix kernels shared by the library's routines.  Each follows
// the published Basic Linear Algebra Subprograms definition of the same
// name; vectors are given by a pointer to their first element and a stride,
// matrices by columns with a leading dimension.  The level-2 kernels check
// their arguments (terminal errors under their own names); the level-1
// kernels do nothing for n <= 0.
#pragma once

#include <complex>

namespace zelvan::numlib {

using zcomplex = std::complex<double>;

void DCOPY(int n, const double* x, int incx, double* y, int incy);
void DSWAP(int n, double* x, int incx, double* y, int incy);
void DSCAL(int n, double a, double* x, int incx);
void DAXPY(int n, double a, const double* x, int incx, double* y, int incy);
double DDOT(int n, const double* x, int incx, const double* y, int incy);
double DASUM(int n, const double* x, int incx);
// Euclidean norm, scaled against overflow and underflow.
double DNRM2(int n, const double* x, int incx);
// 1-based index of the first element of largest |x(i)|; 0 when n < 1.
int IDAMAX(int n, const double* x, int incx);
// y := alpha*op(A)*x + beta*y, trans "N", "T" or "C" (either case).
void DGEMV(char trans, int m, int n, double alpha, const double* a, int lda, const double* x, int incx, double beta,
           double* y, int incy);

void ZCOPY(int n, const zcomplex* x, int incx, zcomplex* y, int incy);
void ZSWAP(int n, zcomplex* x, int incx, zcomplex* y, int incy);
void ZSCAL(int n, zcomplex a, zcomplex* x, int incx);
void ZDSCAL(int n, double a, zcomplex* x, int incx);
void ZAXPY(int n, zcomplex a, const zcomplex* x, int incx, zcomplex* y, int incy);
zcomplex ZDOTC(int n, const zcomplex* x, int incx, const zcomplex* y, int incy);
double DZNRM2(int n, const zcomplex* x, int incx);
// y := alpha*op(A)*x + beta*y for complex A, trans "N", "T" or "C".
void ZGEMV(char trans, int m, int n, zcomplex alpha, const zcomplex* a, int lda, const zcomplex* x, int incx,
           zcomplex beta, zcomplex* y, int incy);
// A := alpha*x*conjugate-transpose(y) + A.
void ZGERC(int m, int n, zcomplex alpha, const zcomplex* x, int incx, const zcomplex* y, int incy, zcomplex* a,
           int lda);

// sqrt(a^2 + b^2) without destructive overflow or underflow.
double DHYPOT(double a, double b);

}  // namespace zelvan::numlib
