#include "numlib/dlftds.hpp"

#include <cmath>
#include <cstddef>

#include "numlib/detail/blas.hpp"
#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"

namespace zelvan::numlib {
namespace {

inline double* col(double* a, int ld, int j) { return a + static_cast<std::size_t>(j) * static_cast<std::size_t>(ld); }
inline const double* col(const double* a, int ld, int j) {
  return a + static_cast<std::size_t>(j) * static_cast<std::size_t>(ld);
}

}  // namespace

void DLFTDS(int n, const double* a, int lda, double* fact, int ldfact) {
  E1PSH("DLFTDS");
  if (n < 1) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 1, msg::kOrderPositive);
  } else if (n > lda) {
    E1STI(1, n);
    E1STI(2, lda);
    E1MES(ErrorType::terminal, 2, msg::kOrderLda);
  } else if (n > ldfact) {
    E1STI(1, n);
    E1STI(2, ldfact);
    E1MES(ErrorType::terminal, 3, msg::kOrderLdfact);
  }
  if (N1RTY(0) >= type_number(ErrorType::fatal)) {
    E1POP("DLFTDS");
    return;
  }
  if (fact != a || ldfact != lda) {
    for (int j = 0; j < n; ++j) DCOPY(j + 1, col(a, lda, j), 1, col(fact, ldfact, j), 1);
  }
  // Column by column: R(k, j) = (A(k, j) - R(1:k-1, k).R(1:k-1, j)) / R(k, k),
  // R(j, j) = sqrt(A(j, j) - |R(1:j-1, j)|^2).
  for (int j = 0; j < n; ++j) {
    double* rj = col(fact, ldfact, j);
    double sum = 0.0;
    for (int k = 0; k < j; ++k) {
      const double* rk = col(fact, ldfact, k);
      const double t = (rj[k] - DDOT(k, rk, 1, rj, 1)) / rk[k];
      rj[k] = t;
      sum += t * t;
    }
    const double d = rj[j] - sum;
    if (!(d > 0.0)) {
      E1STI(1, j + 1);
      E1MES(ErrorType::fatal, 2, msg::kNotPositiveDefinite);
      break;
    }
    rj[j] = std::sqrt(d);
  }
  E1POP("DLFTDS");
}

void DLFSDS(int n, const double* fact, int ldfact, const double* b, double* x) {
  E1PSH("DLFSDS");
  if (n < 1) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 1, msg::kOrderPositive);
  } else if (n > ldfact) {
    E1STI(1, n);
    E1STI(2, ldfact);
    E1MES(ErrorType::terminal, 2, msg::kOrderLdfact);
  } else {
    for (int k = 0; k < n; ++k) {
      if (col(fact, ldfact, k)[k] == 0.0) {
        E1MES(ErrorType::fatal, 3, msg::kSingularCholesky);
        break;
      }
    }
  }
  if (N1RTY(0) >= type_number(ErrorType::fatal)) {
    E1POP("DLFSDS");
    return;
  }
  if (x != b) DCOPY(n, b, 1, x, 1);
  // transpose(R)*y = b, forwards.
  for (int k = 0; k < n; ++k) {
    const double* rk = col(fact, ldfact, k);
    x[k] = (x[k] - DDOT(k, rk, 1, x, 1)) / rk[k];
  }
  // R*x = y, backwards.
  for (int k = n - 1; k >= 0; --k) {
    const double* rk = col(fact, ldfact, k);
    x[k] /= rk[k];
    DAXPY(k, -x[k], rk, 1, x, 1);
  }
  E1POP("DLFSDS");
}

}  // namespace zelvan::numlib
