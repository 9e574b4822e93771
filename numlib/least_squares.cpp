#include "numlib/least_squares.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "numlib/detail/blas.hpp"
#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"

namespace zelvan::numlib {
namespace {

constexpr std::string_view kName = "LEAST_SQUARES";

std::size_t at(int i, int j, int ld) {
  return static_cast<std::size_t>(j) * static_cast<std::size_t>(ld) + static_cast<std::size_t>(i);
}

bool arguments_valid(int m, int n, int lda, int ldb, int nrhs, int ldx) {
  if (n < 1 || m < n) {
    E1STI(1, m);
    E1STI(2, n);
    E1MES(ErrorType::terminal, 1, msg::kLeastSquaresShape);
  } else if (nrhs < 1) {
    E1STI(1, nrhs);
    E1MES(ErrorType::terminal, 2, msg::kLeastSquaresRhs);
  } else if (lda < m || ldb < m || ldx < n) {
    E1STI(1, m);
    E1STI(2, n);
    E1STI(3, lda);
    E1STI(4, ldb);
    E1STI(5, ldx);
    E1MES(ErrorType::terminal, 3, msg::kLeastSquaresLeading);
  } else {
    return true;
  }
  return false;
}

// Applies the reflector H = I - tau v v^T (v(0) = 1 implied, the rest in
// v[1..len-1]) to `count` columns of length len, the first at c and each
// `ld` after the last.  Four columns are taken at a time: their dot
// products are four independent sums, each added in the order of i as for
// one column alone, so that the result is the same to the bit while the
// additions of one sum no longer wait for each other.
void reflect(int len, const double* v, double tau, double* c, int ld, int count) {
  const auto column = [&](int j) { return c + static_cast<std::size_t>(j) * static_cast<std::size_t>(ld); };
  int j = 0;
  for (; j + 4 <= count; j += 4) {
    double* c0 = column(j);
    double* c1 = column(j + 1);
    double* c2 = column(j + 2);
    double* c3 = column(j + 3);
    double d0 = c0[0], d1 = c1[0], d2 = c2[0], d3 = c3[0];
    for (int i = 1; i < len; ++i) {
      d0 += v[i] * c0[i];
      d1 += v[i] * c1[i];
      d2 += v[i] * c2[i];
      d3 += v[i] * c3[i];
    }
    const double f0 = tau * d0, f1 = tau * d1, f2 = tau * d2, f3 = tau * d3;
    c0[0] -= f0;
    c1[0] -= f1;
    c2[0] -= f2;
    c3[0] -= f3;
    for (int i = 1; i < len; ++i) {
      c0[i] -= f0 * v[i];
      c1[i] -= f1 * v[i];
      c2[i] -= f2 * v[i];
      c3[i] -= f3 * v[i];
    }
  }
  for (; j < count; ++j) {
    double* cj = column(j);
    double dot = cj[0];
    for (int i = 1; i < len; ++i) dot += v[i] * cj[i];
    const double f = tau * dot;
    cj[0] -= f;
    for (int i = 1; i < len; ++i) cj[i] -= f * v[i];
  }
}

}  // namespace

LeastSquaresResult least_squares(int m, int n, const double* a, int lda, const double* b, int ldb, int nrhs, double* x,
                                 int ldx) {
  E1PSH(kName);
  LeastSquaresResult result;
  if (!arguments_valid(m, n, lda, ldb, nrhs, ldx)) {
    E1POP(kName);
    return result;
  }
  // The scaled copy of A, factored in place (R on and above the diagonal,
  // the reflectors below it), and the copy of b that becomes Q^T b.
  std::vector<double> qr(static_cast<std::size_t>(m) * static_cast<std::size_t>(n));
  std::vector<double> scale(static_cast<std::size_t>(n), 1.0);
  for (int j = 0; j < n; ++j) {
    const double norm = DNRM2(m, a + at(0, j, lda), 1);
    if (norm > 0.0) scale[static_cast<std::size_t>(j)] = norm;
    for (int i = 0; i < m; ++i) qr[at(i, j, m)] = a[at(i, j, lda)] / scale[static_cast<std::size_t>(j)];
  }
  std::vector<double> qtb(static_cast<std::size_t>(m) * static_cast<std::size_t>(nrhs));
  for (int c = 0; c < nrhs; ++c) {
    for (int i = 0; i < m; ++i) qtb[at(i, c, m)] = b[at(i, c, ldb)];
  }

  std::vector<double> diagonal(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    double* column = &qr[at(k, k, m)];
    const int len = m - k;
    const double norm = DNRM2(len, column, 1);
    double tau = 0.0;
    double beta = column[0];
    if (norm > 0.0) {
      // beta = -sign(a_kk) ||x||, v = (x - beta e1)/(a_kk - beta), tau = (beta - a_kk)/beta.
      beta = column[0] >= 0.0 ? -norm : norm;
      tau = (beta - column[0]) / beta;
      const double divisor = column[0] - beta;
      for (int i = 1; i < len; ++i) column[i] /= divisor;
      if (k + 1 < n) reflect(len, column, tau, &qr[at(k, k + 1, m)], m, n - k - 1);
      reflect(len, column, tau, &qtb[at(k, 0, m)], m, nrhs);
    }
    diagonal[static_cast<std::size_t>(k)] = beta;
  }

  double largest = 0.0;
  double smallest = std::numeric_limits<double>::infinity();
  for (double d : diagonal) {
    largest = std::max(largest, std::fabs(d));
    smallest = std::min(smallest, std::fabs(d));
  }
  result.condition = smallest > 0.0 ? largest / smallest : std::numeric_limits<double>::infinity();
  std::vector<bool> kept(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    kept[static_cast<std::size_t>(k)] =
        std::fabs(diagonal[static_cast<std::size_t>(k)]) > kLeastSquaresRankTolerance * largest;
    if (kept[static_cast<std::size_t>(k)]) ++result.rank;
  }

  // R y = (Q^T b)(0..n-1) by back substitution over the kept columns; x = y / scale.
  for (int c = 0; c < nrhs; ++c) {
    std::vector<double> y(static_cast<std::size_t>(n), 0.0);
    for (int k = n - 1; k >= 0; --k) {
      if (!kept[static_cast<std::size_t>(k)]) continue;
      double sum = qtb[at(k, c, m)];
      for (int j = k + 1; j < n; ++j) sum -= qr[at(k, j, m)] * y[static_cast<std::size_t>(j)];
      y[static_cast<std::size_t>(k)] = sum / diagonal[static_cast<std::size_t>(k)];
    }
    for (int j = 0; j < n; ++j) x[at(j, c, ldx)] = y[static_cast<std::size_t>(j)] / scale[static_cast<std::size_t>(j)];
    // The residual: of full rank, the part of Q^T b below row n; else from A x - b.
    if (result.rank == n) {
      result.residual.push_back(DNRM2(m - n, &qtb[at(n, c, m)], 1));
    } else {
      std::vector<double> r(static_cast<std::size_t>(m));
      for (int i = 0; i < m; ++i) {
        double sum = -b[at(i, c, ldb)];
        for (int j = 0; j < n; ++j) sum += a[at(i, j, lda)] * x[at(j, c, ldx)];
        r[static_cast<std::size_t>(i)] = sum;
      }
      result.residual.push_back(DNRM2(m, r.data(), 1));
    }
  }
  E1POP(kName);
  return result;
}

}  // namespace zelvan::numlib
