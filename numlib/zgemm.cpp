#include "numlib/zgemm.hpp"

#include <cctype>
#include <string>

#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"

namespace zelvan::numlib {
namespace {

using zcomplex = std::complex<double>;

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// The first failing argument check, raised as a terminal error.
bool arguments_fail(char ta, char tb, char transa, char transb, int m, int n, int k, int lda, int ldb, int ldc) {
  const auto fail = [](int code, std::string_view message) {
    E1PSH("ZGEMM");
    E1MES(ErrorType::terminal, code, message);
    E1POP("ZGEMM");
    return true;
  };
  if (m < 0) return E1STI(1, m), fail(1, msg::kZgemmM);
  if (n < 0) return E1STI(1, n), fail(2, msg::kZgemmN);
  if (k < 0) return E1STI(1, k), fail(3, msg::kZgemmK);
  if (ldc < std::max(1, m)) return E1STI(1, ldc), E1STI(2, m), fail(4, msg::kZgemmLdc);
  if (ta == 'N') {
    if (lda < std::max(1, m)) return E1STI(1, lda), E1STI(2, m), fail(5, msg::kZgemmLdaN);
  } else if (ta == 'T' || ta == 'C') {
    if (lda < std::max(1, k)) return E1STI(1, lda), E1STI(2, k), fail(6, msg::kZgemmLdaT);
  } else {
    return E1STL(1, std::string(1, transa)), fail(7, msg::kZgemmTransa);
  }
  if (tb == 'N') {
    if (ldb < std::max(1, k)) return E1STI(1, ldb), E1STI(2, k), fail(8, msg::kZgemmLdbN);
  } else if (tb == 'T' || tb == 'C') {
    if (ldb < std::max(1, n)) return E1STI(1, ldb), E1STI(2, n), fail(9, msg::kZgemmLdbT);
  } else {
    return E1STL(1, std::string(1, transb)), fail(10, msg::kZgemmTransb);
  }
  return false;
}

}  // namespace

void ZGEMM(char transa, char transb, int m, int n, int k, zcomplex alpha, const zcomplex* a, int lda, const zcomplex* b,
           int ldb, zcomplex beta, zcomplex* c, int ldc) {
  const char ta = upper(transa);
  const char tb = upper(transb);
  if (arguments_fail(ta, tb, transa, transb, m, n, k, lda, ldb, ldc)) return;
  if (m == 0 || n == 0 || ((alpha == 0.0 || k == 0) && beta == 1.0)) return;

  const auto A = [&](int i, int j) { return a[static_cast<std::size_t>(j) * static_cast<std::size_t>(lda) + i]; };
  const auto B = [&](int i, int j) { return b[static_cast<std::size_t>(j) * static_cast<std::size_t>(ldb) + i]; };
  const auto C = [&](int i, int j) -> zcomplex& {
    return c[static_cast<std::size_t>(j) * static_cast<std::size_t>(ldc) + i];
  };
  // op(A)(i, l) and op(B)(l, j).
  const auto opA = [&](int i, int l) { return ta == 'N' ? A(i, l) : (ta == 'T' ? A(l, i) : std::conj(A(l, i))); };
  const auto opB = [&](int l, int j) { return tb == 'N' ? B(l, j) : (tb == 'T' ? B(j, l) : std::conj(B(j, l))); };

  if (alpha == 0.0) {
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < m; ++i) C(i, j) = beta == 0.0 ? zcomplex(0.0) : beta * C(i, j);
    return;
  }
  if (ta == 'N') {
    // Column by column: C(:, j) := beta*C(:, j) + sum over l of (alpha*op(B)(l, j))*A(:, l).
    for (int j = 0; j < n; ++j) {
      if (beta == 0.0) {
        for (int i = 0; i < m; ++i) C(i, j) = 0.0;
      } else if (beta != 1.0) {
        for (int i = 0; i < m; ++i) C(i, j) = beta * C(i, j);
      }
      for (int l = 0; l < k; ++l) {
        const zcomplex blj = opB(l, j);
        if (blj != 0.0) {
          const zcomplex temp = alpha * blj;
          for (int i = 0; i < m; ++i) C(i, j) += temp * A(i, l);
        }
      }
    }
    return;
  }
  // op(A) transposed: inner products.
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < m; ++i) {
      zcomplex temp = 0.0;
      for (int l = 0; l < k; ++l) temp += opA(i, l) * opB(l, j);
      C(i, j) = beta == 0.0 ? alpha * temp : alpha * temp + beta * C(i, j);
    }
  }
}

}  // namespace zelvan::numlib
