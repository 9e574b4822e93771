#include "numlib/dlinrg.hpp"

#include <cmath>
#include <new>
#include <vector>

#include "numlib/detail/blas.hpp"
#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/machine.hpp"
#include "numlib/option_store.hpp"

namespace zelvan::numlib {
namespace {

// Column j (0-based) of a matrix with leading dimension ld.
inline double* col(double* a, int ld, int j) { return a + static_cast<std::size_t>(j) * static_cast<std::size_t>(ld); }
inline const double* col(const double* a, int ld, int j) {
  return a + static_cast<std::size_t>(j) * static_cast<std::size_t>(ld);
}
inline double& el(double* a, int ld, int i, int j) { return col(a, ld, j)[i]; }
inline double el(const double* a, int ld, int i, int j) { return col(a, ld, j)[i]; }

bool check_order(int n, int lda, int ldb, std::string_view ldb_message) {
  if (n < 1) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 1, msg::kOrderPositive);
  } else if (n > lda) {
    E1STI(1, n);
    E1STI(2, lda);
    E1MES(ErrorType::terminal, 2, msg::kOrderLda);
  } else if (n > ldb) {
    E1STI(1, n);
    E1STI(2, ldb);
    E1MES(ErrorType::terminal, 3, ldb_message);
  } else {
    return true;
  }
  return false;
}

// The condition-number switch of the option store: 1 computes the estimate.
int condition_switch() {
  int option = 1, value = 1;
  IUMAG("MATH", 1, 1, 1, &option, &value);
  return value;
}

// Scales the vector z by s (the rescaling steps of the estimate).
void scale(int n, double s, double* z) { DSCAL(n, s, z, 1); }

// Condition estimate, first solve: transpose(U)*w = e with e(k) = +-1
// chosen so that |w| grows; z := w scaled to unit L1 norm.
void solve_growing_upper_transpose(int n, const double* fac, int ldfac, double* z) {
  double ek = 1.0;
  for (int j = 0; j < n; ++j) z[j] = 0.0;
  for (int k = 0; k < n; ++k) {
    if (z[k] != 0.0) ek = std::copysign(ek, -z[k]);
    const double ukk = el(fac, ldfac, k, k);
    if (std::fabs(ek - z[k]) > std::fabs(ukk)) {
      const double s = std::fabs(ukk) / std::fabs(ek - z[k]);
      scale(n, s, z);
      ek *= s;
    }
    double wk = ek - z[k];
    double wkm = -ek - z[k];
    double s = std::fabs(wk);
    double sm = std::fabs(wkm);
    if (ukk != 0.0) {
      wk /= ukk;
      wkm /= ukk;
    } else {
      wk = 1.0;
      wkm = 1.0;
    }
    if (k + 1 < n) {
      for (int j = k + 1; j < n; ++j) {
        const double ukj = el(fac, ldfac, k, j);
        sm += std::fabs(z[j] + wkm * ukj);
        z[j] += wk * ukj;
        s += std::fabs(z[j]);
      }
      if (s < sm) {
        const double t = wkm - wk;
        wk = wkm;
        for (int j = k + 1; j < n; ++j) z[j] += t * el(fac, ldfac, k, j);
      }
    }
    z[k] = wk;
  }
  scale(n, 1.0 / DASUM(n, z, 1), z);
}

// Condition estimate, second solve: transpose(L)*y = w in place, with the
// row exchanges undone; z := y scaled to unit L1 norm.
void solve_lower_transpose(int n, const double* fac, int ldfac, const int* ipvt, double* z) {
  for (int k = n - 1; k >= 0; --k) {
    if (k < n - 1) z[k] += DDOT(n - k - 1, col(fac, ldfac, k) + k + 1, 1, z + k + 1, 1);
    if (std::fabs(z[k]) > 1.0) scale(n, 1.0 / std::fabs(z[k]), z);
    const int l = ipvt[k] - 1;
    std::swap(z[l], z[k]);
  }
  scale(n, 1.0 / DASUM(n, z, 1), z);
}

// Condition estimate, last solves: L*v = y, then U*z = v, in place; every
// rescaling of z is multiplied into ynorm, which is returned.
double solve_lower_then_upper(int n, const double* fac, int ldfac, const int* ipvt, double* z) {
  double ynorm = 1.0;
  for (int k = 0; k < n; ++k) {
    const int l = ipvt[k] - 1;
    std::swap(z[l], z[k]);
    const double t = z[k];
    if (k < n - 1) DAXPY(n - k - 1, t, col(fac, ldfac, k) + k + 1, 1, z + k + 1, 1);
    if (std::fabs(z[k]) > 1.0) {
      const double s = 1.0 / std::fabs(z[k]);
      scale(n, s, z);
      ynorm *= s;
    }
  }
  double s = 1.0 / DASUM(n, z, 1);
  scale(n, s, z);
  ynorm *= s;

  for (int k = n - 1; k >= 0; --k) {
    const double ukk = el(fac, ldfac, k, k);
    if (std::fabs(z[k]) > std::fabs(ukk)) {
      s = std::fabs(ukk) / std::fabs(z[k]);
      scale(n, s, z);
      ynorm *= s;
    }
    z[k] = ukk != 0.0 ? z[k] / ukk : 1.0;
    DAXPY(k, -z[k], col(fac, ldfac, k), 1, z, 1);
  }
  s = 1.0 / DASUM(n, z, 1);
  scale(n, s, z);
  ynorm *= s;
  return ynorm;
}

// The estimate of the reciprocal L1 condition number from the factors
// (Cline, Moler, Stewart and Wilkinson).
double condition_estimate(int n, const double* fac, int ldfac, const int* ipvt, double anorm, double* z) {
  solve_growing_upper_transpose(n, fac, ldfac, z);
  solve_lower_transpose(n, fac, ldfac, ipvt, z);
  const double ynorm = solve_lower_then_upper(n, fac, ldfac, ipvt, z);
  return anorm != 0.0 ? ynorm / anorm : 0.0;
}

}  // namespace

double DNR1RR(int m, int n, const double* a, int lda) {
  double norm = 0.0;
  for (int j = 0; j < n; ++j) norm = std::max(norm, DASUM(m, col(a, lda, j), 1));
  return norm;
}

void DL2TRG(int n, const double* a, int lda, double* fac, int ldfac, int* ipvt) {
  E1PSH("DL2TRG");
  if (!check_order(n, lda, ldfac, msg::kOrderLdfac)) {
    E1POP("DL2TRG");
    return;
  }
  double small = DMACH(1);
  const double big = DMACH(2);
  if (small * big < 1.0) small = 1.0 / big;

  if (fac != a || ldfac != lda) {
    for (int j = 0; j < n; ++j) DCOPY(n, col(a, lda, j), 1, col(fac, ldfac, j), 1);
  }
  bool singular = false;
  for (int k = 0; k < n - 1; ++k) {
    const int p = k + IDAMAX(n - k, col(fac, ldfac, k) + k, 1) - 1;
    ipvt[k] = p + 1;
    if (std::fabs(el(fac, ldfac, p, k)) <= small) {
      singular = true;
      continue;
    }
    if (p != k) std::swap(el(fac, ldfac, p, k), el(fac, ldfac, k, k));
    const double pivot = el(fac, ldfac, k, k);
    for (int i = k + 1; i < n; ++i) el(fac, ldfac, i, k) = -el(fac, ldfac, i, k) / pivot;
    for (int j = k + 1; j < n; ++j) {
      const double t = el(fac, ldfac, p, j);
      if (p != k) {
        el(fac, ldfac, p, j) = el(fac, ldfac, k, j);
        el(fac, ldfac, k, j) = t;
      }
      DAXPY(n - k - 1, t, col(fac, ldfac, k) + k + 1, 1, col(fac, ldfac, j) + k + 1, 1);
    }
  }
  ipvt[n - 1] = n;
  if (std::fabs(el(fac, ldfac, n - 1, n - 1)) <= small) singular = true;
  if (singular) E1MES(ErrorType::fatal, 2, msg::kSingularLu);
  E1POP("DL2TRG");
}

void DL2CRG(int n, const double* a, int lda, double* fac, int ldfac, int* ipvt, double& rcond, double* z) {
  E1PSH("DL2CRG");
  if (!check_order(n, lda, ldfac, msg::kOrderLdfac)) {
    E1POP("DL2CRG");
    return;
  }
  const int flag = condition_switch();
  if (flag != 1 && flag != 2) {
    E1STI(1, flag);
    E1MES(ErrorType::terminal, 4, msg::kConditionFlag);
    E1POP("DL2CRG");
    return;
  }
  rcond = 1.0;  // stays 1 when the switch turns the estimate off
  const double anorm = DNR1RR(n, n, a, lda);
  DL2TRG(n, a, lda, fac, ldfac, ipvt);
  if (N1RTY(1) == type_number(ErrorType::fatal)) {
    rcond = 0.0;
    E1POP("DL2CRG");
    return;
  }
  if (flag == 1) {
    rcond = condition_estimate(n, fac, ldfac, ipvt, anorm, z);
    if (rcond <= DMACH(4)) {
      E1STD(1, rcond);
      E1MES(ErrorType::warning, 1, msg::kAlgorithmicallySingular);
    }
  }
  E1POP("DL2CRG");
}

void DLINRT(int n, const double* a, int lda, int ipath, double* ainv, int ldainv) {
  E1PSH("DLINRT");
  if (!check_order(n, lda, ldainv, msg::kOrderLdainv)) {
    E1POP("DLINRT");
    return;
  }
  if (ipath != 1 && ipath != 2) {
    E1STI(1, ipath);
    E1MES(ErrorType::terminal, 4, msg::kIpath);
    E1POP("DLINRT");
    return;
  }
  for (int k = 0; k < n; ++k) {
    if (el(a, lda, k, k) == 0.0) {
      E1STI(1, k + 1);
      E1MES(ErrorType::fatal, 2, msg::kSingularTriangular);
      E1POP("DLINRT");
      return;
    }
  }
  if (ainv != a || ldainv != lda) {
    for (int j = 0; j < n; ++j) DCOPY(n, col(a, lda, j), 1, col(ainv, ldainv, j), 1);
  }
  if (ipath == 2) {
    // Upper: column by column, T(1:k-1, k) := -T(1:k-1, 1:k-1)*T(1:k-1, k)/T(k, k).
    for (int k = 0; k < n; ++k) {
      el(ainv, ldainv, k, k) = 1.0 / el(ainv, ldainv, k, k);
      DSCAL(k, -el(ainv, ldainv, k, k), col(ainv, ldainv, k), 1);
      for (int j = k + 1; j < n; ++j) {
        const double t = el(ainv, ldainv, k, j);
        el(ainv, ldainv, k, j) = 0.0;
        DAXPY(k + 1, t, col(ainv, ldainv, k), 1, col(ainv, ldainv, j), 1);
      }
    }
  } else {
    // Lower: the same from the last column backwards.
    for (int k = n - 1; k >= 0; --k) {
      el(ainv, ldainv, k, k) = 1.0 / el(ainv, ldainv, k, k);
      DSCAL(n - k - 1, -el(ainv, ldainv, k, k), col(ainv, ldainv, k) + k + 1, 1);
      for (int j = 0; j < k; ++j) {
        const double t = el(ainv, ldainv, k, j);
        el(ainv, ldainv, k, j) = 0.0;
        DAXPY(n - k, t, col(ainv, ldainv, k) + k, 1, col(ainv, ldainv, j) + k, 1);
      }
    }
  }
  E1POP("DLINRT");
}

void DL2NRG(int n, const double* a, int lda, double* ainv, int ldainv, double* wk, int* ipvt) {
  E1PSH("DL2NRG");
  if (!check_order(n, lda, ldainv, msg::kOrderLdainv)) {
    E1POP("DL2NRG");
    return;
  }
  double rcond = 0.0;
  DL2CRG(n, a, lda, ainv, ldainv, ipvt, rcond, wk);
  if (N1RTY(1) == type_number(ErrorType::fatal)) {
    E1POP("DL2NRG");
    return;
  }
  DLINRT(n, ainv, ldainv, 2, ainv, ldainv);
  // inverse(U)*inverse(L): fold in the multipliers column by column, from
  // the last step back, and undo each step's row exchange by a column
  // exchange right after its fold.  DL2TRG leaves the multipliers of a step
  // where they were when the step was taken (later exchanges do not move
  // them), so the exchanges cannot be deferred to a loop of their own: for
  // N >= 3 that would apply the multipliers of one step to the rows of
  // another.
  for (int j = n - 2; j >= 0; --j) {
    for (int i = j + 1; i < n; ++i) {
      wk[i] = el(ainv, ldainv, i, j);
      el(ainv, ldainv, i, j) = 0.0;
    }
    DGEMV('N', n, n - j - 1, 1.0, col(ainv, ldainv, j + 1), ldainv, wk + j + 1, 1, 1.0, col(ainv, ldainv, j), 1);
    const int p = ipvt[j] - 1;
    if (p != j) DSWAP(n, col(ainv, ldainv, j), 1, col(ainv, ldainv, p), 1);
  }
  if (rcond <= DMACH(4)) {
    E1STD(1, rcond);
    E1MES(ErrorType::warning, 1, msg::kTooIllConditioned);
  }
  E1POP("DL2NRG");
}

void DLINRG(int n, const double* a, int lda, double* ainv, int ldainv) {
  E1PSH("DLINRG");
  if (n <= 0) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 1, msg::kOrderPositiveLower);
    E1POP("DLINRG");
    return;
  }
  std::vector<double> wk;
  std::vector<int> ipvt;
  try {
    wk.resize(static_cast<std::size_t>(n) + static_cast<std::size_t>(n) * static_cast<std::size_t>(n - 1) / 2);
    ipvt.resize(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 2, msg::kWorkspaceN);
    E1POP("DLINRG");
    return;
  }
  DL2NRG(n, a, lda, ainv, ldainv, wk.data(), ipvt.data());
  E1POP("DLINRG");
}

void DLFSRG(int n, const double* fac, int ldfac, const int* ipvt, const double* b, int ipath, double* x) {
  E1PSH("DLFSRG");
  if (n < 1) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 1, msg::kEquationsPositive);
  } else if (n > ldfac) {
    E1STI(1, n);
    E1STI(2, ldfac);
    E1MES(ErrorType::terminal, 2, msg::kOrderLdfac);
  } else if (ipath != 1 && ipath != 2) {
    E1STI(1, ipath);
    E1MES(ErrorType::terminal, 3, msg::kIpath);
  } else {
    bool singular = false;
    for (int k = 0; k < n; ++k) singular = singular || el(fac, ldfac, k, k) == 0.0;
    if (singular) E1MES(ErrorType::fatal, 4, msg::kSingularLu);
  }
  if (N1RTY(0) >= type_number(ErrorType::fatal)) {
    E1POP("DLFSRG");
    return;
  }
  if (x != b) DCOPY(n, b, 1, x, 1);
  if (ipath == 1) {
    for (int k = 0; k < n - 1; ++k) {
      const int l = ipvt[k] - 1;
      const double t = x[l];
      if (l != k) {
        x[l] = x[k];
        x[k] = t;
      }
      DAXPY(n - k - 1, t, col(fac, ldfac, k) + k + 1, 1, x + k + 1, 1);
    }
    for (int k = n - 1; k >= 0; --k) {
      x[k] /= el(fac, ldfac, k, k);
      DAXPY(k, -x[k], col(fac, ldfac, k), 1, x, 1);
    }
  } else {
    for (int k = 0; k < n; ++k) {
      const double t = DDOT(k, col(fac, ldfac, k), 1, x, 1);
      x[k] = (x[k] - t) / el(fac, ldfac, k, k);
    }
    for (int k = n - 2; k >= 0; --k) {
      x[k] += DDOT(n - k - 1, col(fac, ldfac, k) + k + 1, 1, x + k + 1, 1);
      const int l = ipvt[k] - 1;
      if (l != k) std::swap(x[l], x[k]);
    }
  }
  E1POP("DLFSRG");
}

}  // namespace zelvan::numlib
