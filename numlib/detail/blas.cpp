#include "numlib/detail/blas.hpp"

#include <cctype>
#include <cmath>
#include <string>

#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"

namespace zelvan::numlib {
namespace {

std::size_t at(int i, int inc) { return static_cast<std::size_t>(i) * static_cast<std::size_t>(inc); }

// The Euclidean norm of a sequence kept as scale * sqrt(ssq) with
// scale = the largest magnitude so far, so that squaring neither
// overflows nor underflows; zeros are skipped.
struct ScaledSumOfSquares {
  double scale = 0.0;
  double ssq = 1.0;
  void add(double v) {
    if (v == 0.0) return;
    const double a = std::fabs(v);
    if (scale < a) {
      ssq = 1.0 + ssq * (scale / a) * (scale / a);
      scale = a;
    } else {
      ssq += (a / scale) * (a / scale);
    }
  }
  double norm() const { return scale * std::sqrt(ssq); }
};

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Argument checks of the level-2 kernels; true when the call may go on.
bool check_gemv(std::string_view name, char trans, int m, int n, int lda, int incx, int incy) {
  const char t = upper(trans);
  int code = 0;
  if (t != 'N' && t != 'T' && t != 'C') {
    E1PSH(name);
    E1STL(1, std::string(1, trans));
    code = 1;
    E1MES(ErrorType::terminal, code, msg::kTransKernel);
  } else if (m < 0) {
    E1PSH(name);
    E1STI(1, m);
    E1MES(ErrorType::terminal, 2, msg::kMKernel);
  } else if (n < 0) {
    E1PSH(name);
    E1STI(1, n);
    E1MES(ErrorType::terminal, 3, msg::kNKernel);
  } else if (lda < std::max(1, m)) {
    E1PSH(name);
    E1STI(1, lda);
    E1STI(2, m);
    E1MES(ErrorType::terminal, 4, msg::kLdaKernel);
  } else if (incx == 0) {
    E1PSH(name);
    E1STI(1, incx);
    E1MES(ErrorType::terminal, 5, msg::kIncxKernel);
  } else if (incy == 0) {
    E1PSH(name);
    E1STI(1, incy);
    E1MES(ErrorType::terminal, 6, msg::kIncyKernel);
  } else {
    return true;
  }
  E1POP(name);
  return false;
}

}  // namespace

void DCOPY(int n, const double* x, int incx, double* y, int incy) {
  for (int i = 0; i < n; ++i) y[at(i, incy)] = x[at(i, incx)];
}

void DSWAP(int n, double* x, int incx, double* y, int incy) {
  for (int i = 0; i < n; ++i) std::swap(x[at(i, incx)], y[at(i, incy)]);
}

void DSCAL(int n, double a, double* x, int incx) {
  for (int i = 0; i < n; ++i) x[at(i, incx)] *= a;
}

void DAXPY(int n, double a, const double* x, int incx, double* y, int incy) {
  if (n <= 0 || a == 0.0) return;
  for (int i = 0; i < n; ++i) y[at(i, incy)] += a * x[at(i, incx)];
}

double DDOT(int n, const double* x, int incx, const double* y, int incy) {
  double sum = 0.0;
  for (int i = 0; i < n; ++i) sum += x[at(i, incx)] * y[at(i, incy)];
  return sum;
}

double DASUM(int n, const double* x, int incx) {
  double sum = 0.0;
  for (int i = 0; i < n; ++i) sum += std::fabs(x[at(i, incx)]);
  return sum;
}

double DNRM2(int n, const double* x, int incx) {
  ScaledSumOfSquares sum;
  for (int i = 0; i < n; ++i) sum.add(x[at(i, incx)]);
  return sum.norm();
}

int IDAMAX(int n, const double* x, int incx) {
  if (n < 1) return 0;
  int best = 1;
  double largest = std::fabs(x[0]);
  for (int i = 1; i < n; ++i) {
    const double a = std::fabs(x[at(i, incx)]);
    if (a > largest) {
      largest = a;
      best = i + 1;
    }
  }
  return best;
}

void DGEMV(char trans, int m, int n, double alpha, const double* a, int lda, const double* x, int incx, double beta,
           double* y, int incy) {
  if (!check_gemv("DGEMV", trans, m, n, lda, incx, incy)) return;
  const bool plain = upper(trans) == 'N';
  const int leny = plain ? m : n;
  const int lenx = plain ? n : m;
  if (m == 0 || n == 0 || (alpha == 0.0 && beta == 1.0)) return;
  if (beta != 1.0) {
    for (int i = 0; i < leny; ++i) y[at(i, incy)] = beta == 0.0 ? 0.0 : beta * y[at(i, incy)];
  }
  if (alpha == 0.0) return;
  const auto col = [&](int j) { return a + static_cast<std::size_t>(j) * static_cast<std::size_t>(lda); };
  if (plain) {
    for (int j = 0; j < lenx; ++j) {
      const double temp = alpha * x[at(j, incx)];
      if (temp != 0.0) {
        for (int i = 0; i < m; ++i) y[at(i, incy)] += temp * col(j)[i];
      }
    }
  } else {
    for (int j = 0; j < leny; ++j) {
      double temp = 0.0;
      for (int i = 0; i < m; ++i) temp += col(j)[i] * x[at(i, incx)];
      y[at(j, incy)] += alpha * temp;
    }
  }
}

void ZCOPY(int n, const zcomplex* x, int incx, zcomplex* y, int incy) {
  for (int i = 0; i < n; ++i) y[at(i, incy)] = x[at(i, incx)];
}

void ZSWAP(int n, zcomplex* x, int incx, zcomplex* y, int incy) {
  for (int i = 0; i < n; ++i) std::swap(x[at(i, incx)], y[at(i, incy)]);
}

void ZSCAL(int n, zcomplex a, zcomplex* x, int incx) {
  for (int i = 0; i < n; ++i) x[at(i, incx)] *= a;
}

void ZDSCAL(int n, double a, zcomplex* x, int incx) {
  for (int i = 0; i < n; ++i) x[at(i, incx)] = zcomplex(a * x[at(i, incx)].real(), a * x[at(i, incx)].imag());
}

void ZAXPY(int n, zcomplex a, const zcomplex* x, int incx, zcomplex* y, int incy) {
  if (n <= 0 || a == 0.0) return;
  for (int i = 0; i < n; ++i) y[at(i, incy)] += a * x[at(i, incx)];
}

zcomplex ZDOTC(int n, const zcomplex* x, int incx, const zcomplex* y, int incy) {
  zcomplex sum = 0.0;
  for (int i = 0; i < n; ++i) sum += std::conj(x[at(i, incx)]) * y[at(i, incy)];
  return sum;
}

double DZNRM2(int n, const zcomplex* x, int incx) {
  ScaledSumOfSquares sum;
  for (int i = 0; i < n; ++i) {
    sum.add(x[at(i, incx)].real());
    sum.add(x[at(i, incx)].imag());
  }
  return sum.norm();
}

void ZGEMV(char trans, int m, int n, zcomplex alpha, const zcomplex* a, int lda, const zcomplex* x, int incx,
           zcomplex beta, zcomplex* y, int incy) {
  if (!check_gemv("ZGEMV", trans, m, n, lda, incx, incy)) return;
  const char t = upper(trans);
  const bool plain = t == 'N';
  const int leny = plain ? m : n;
  const int lenx = plain ? n : m;
  if (m == 0 || n == 0 || (alpha == 0.0 && beta == 1.0)) return;
  if (beta != 1.0) {
    for (int i = 0; i < leny; ++i) y[at(i, incy)] = beta == 0.0 ? zcomplex(0.0) : beta * y[at(i, incy)];
  }
  if (alpha == 0.0) return;
  const auto col = [&](int j) { return a + static_cast<std::size_t>(j) * static_cast<std::size_t>(lda); };
  if (plain) {
    for (int j = 0; j < lenx; ++j) {
      const zcomplex temp = alpha * x[at(j, incx)];
      if (temp != 0.0) {
        for (int i = 0; i < m; ++i) y[at(i, incy)] += temp * col(j)[i];
      }
    }
  } else {
    const bool conjugate = t == 'C';
    for (int j = 0; j < leny; ++j) {
      zcomplex temp = 0.0;
      for (int i = 0; i < m; ++i) temp += (conjugate ? std::conj(col(j)[i]) : col(j)[i]) * x[at(i, incx)];
      y[at(j, incy)] += alpha * temp;
    }
  }
}

void ZGERC(int m, int n, zcomplex alpha, const zcomplex* x, int incx, const zcomplex* y, int incy, zcomplex* a,
           int lda) {
  if (!check_gemv("ZGERC", 'N', m, n, lda, incx, incy)) return;
  if (m == 0 || n == 0 || alpha == 0.0) return;
  for (int j = 0; j < n; ++j) {
    const zcomplex yj = y[at(j, incy)];
    if (yj != 0.0) {
      const zcomplex temp = alpha * std::conj(yj);
      zcomplex* colj = a + static_cast<std::size_t>(j) * static_cast<std::size_t>(lda);
      for (int i = 0; i < m; ++i) colj[i] += x[at(i, incx)] * temp;
    }
  }
}

double DHYPOT(double a, double b) {
  const double p = std::max(std::fabs(a), std::fabs(b));
  const double q = std::min(std::fabs(a), std::fabs(b));
  if (p == 0.0) return 0.0;
  const double r = q / p;
  return p * std::sqrt(1.0 + r * r);
}

}  // namespace zelvan::numlib
