// Dense linear algebra: DLINRG with its factorisation, condition estimate
// and solves against LAPACK (dgetrf, dgetri, dgecon), DLINRT against
// substitution, ZGEMM against the triple loop of its definition, DSET, and
// the Euclidean norms DNRM2 and DZNRM2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "numlib/detail/blas.hpp"
#include "numlib/dlinrg.hpp"
#include "numlib/dset.hpp"
#include "numlib/tests/library_test_support.hpp"
#include "numlib/zgemm.hpp"

extern "C" {
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetri_(const int* n, double* a, const int* lda, const int* ipiv, double* work, const int* lwork, int* info);
void dgecon_(const char* norm, const int* n, const double* a, const int* lda, const double* anorm, double* rcond,
             double* work, int* iwork, int* info, std::size_t norm_len);
double dlange_(const char* norm, const int* m, const int* n, const double* a, const int* lda, double* work,
               std::size_t norm_len);
}

namespace zelvan::numlib {
namespace {

using test_support::column_major;
using test_support::LibraryTest;
using test_support::Random;
using test_support::Worst;
using zcomplex = std::complex<double>;

// Matrices whose RCOND (LAPACK's estimate) is at least this count as well
// conditioned: condition number at most 100.
constexpr double kWellConditioned = 1e-2;
// Largest entry difference of two inverses (or solutions), relative to the
// largest entry: both are backward stable, the condition number is <= 100.
constexpr double kInverseTolerance = 1e-13;
// Two estimates of the same L1 condition number usually agree within this
// factor ...
constexpr double kRcondFactor = 3.0;
// ... but the library's estimate can overrate RCOND several times on a few
// random matrices (16 of these 2000, at most 6.9 times), ...
constexpr double kRcondOutlierShare = 0.01;
// ... though never by more than this factor over the true RCOND, ...
constexpr double kRcondFactorBound = 10.0;
// ... and never below it, since it comes from a lower bound of the norm of
// the inverse (up to rounding).
constexpr double kRcondRounding = 1e-12;
// LU factors of the same pivot sequence differ only by the rounding of the
// order in which the updates are summed.
constexpr double kFactorTolerance = 1e-13;
// Inverse of a triangular matrix with unit-sized diagonal, order <= 8,
// relative to its largest entry: substitutions in different orders.
constexpr double kTriangularTolerance = 1e-14;
// A complex product entry: at most 4 products summed, relative to the sum
// of the magnitudes of its terms.
constexpr double kProductTolerance = 1e-15;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
// What the padding rows of an output matrix hold; they must keep it.
constexpr double kPadding = -77.0;

// A square real matrix stored by columns with a leading dimension;
// element access is 0-based.
struct RealMatrix {
  RealMatrix(int order, int lead, double fill = 0.0)
      : n(order), ld(lead), data(static_cast<std::size_t>(lead) * static_cast<std::size_t>(order), fill) {}
  double& operator()(int i, int j) { return data[column_major(i, j, ld)]; }
  double operator()(int i, int j) const { return data[column_major(i, j, ld)]; }
  int n, ld;
  std::vector<double> data;
};

// A 2 by 2 matrix written row by row.
RealMatrix two_by_two(double a11, double a12, double a21, double a22) {
  RealMatrix a(2, 2);
  a(0, 0) = a11;
  a(0, 1) = a12;
  a(1, 0) = a21;
  a(1, 1) = a22;
  return a;
}

RealMatrix random_matrix(Random& random, int n, int ld, double padding) {
  RealMatrix a(n, ld, padding);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) a(i, j) = random.uniform();
  return a;
}

double largest_entry(const RealMatrix& a) {
  double largest = 0.0;
  for (int j = 0; j < a.n; ++j)
    for (int i = 0; i < a.n; ++i) largest = std::max(largest, std::fabs(a(i, j)));
  return largest;
}

// max |a - b| / max |b| over the n x n entries.
double relative_difference(const RealMatrix& a, const RealMatrix& b) {
  double difference = 0.0;
  for (int j = 0; j < a.n; ++j)
    for (int i = 0; i < a.n; ++i) difference = std::max(difference, std::fabs(a(i, j) - b(i, j)));
  return difference / largest_entry(b);
}

bool padding_intact(const RealMatrix& a) {
  for (int j = 0; j < a.n; ++j)
    for (int i = a.n; i < a.ld; ++i)
      if (a(i, j) != kPadding) return false;
  return true;
}

// LAPACK's LU factors, its 1-norm RCOND estimate and its inverse.
struct Lapack {
  RealMatrix lu, inverse;
  std::vector<int> ipiv;
  double rcond = 0.0;
};

Lapack lapack(const RealMatrix& a) {
  const int n = a.n, lwork = 64 * n;
  Lapack result{RealMatrix(n, n), RealMatrix(n, n), std::vector<int>(static_cast<std::size_t>(n))};
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) result.lu(i, j) = a(i, j);
  std::vector<double> work(static_cast<std::size_t>(lwork));
  std::vector<int> iwork(static_cast<std::size_t>(n));
  const double anorm = dlange_("1", &n, &n, result.lu.data.data(), &n, work.data(), 1);
  int info = 0;
  dgetrf_(&n, &n, result.lu.data.data(), &n, result.ipiv.data(), &info);
  EXPECT_EQ(info, 0);
  dgecon_("1", &n, result.lu.data.data(), &n, &anorm, &result.rcond, work.data(), iwork.data(), &info, 1);
  result.inverse = result.lu;
  dgetri_(&n, result.inverse.data.data(), &n, result.ipiv.data(), work.data(), &lwork, &info);
  EXPECT_EQ(info, 0);
  return result;
}

class DenseLinearAlgebra : public LibraryTest {
 protected:
  // The message text of a terminal error raised under `routine` at the
  // user-called level, whatever its code.
  void expect_terminal_error(std::string_view routine, std::string_view message) {
    const std::string text = unwrapped();
    const std::string head = "\n *** TERMINAL ERROR ";
    const std::string tail = " from " + std::string(routine) + ".  " + std::string(message) + "\n";
    ASSERT_GT(text.size(), head.size() + tail.size()) << text;
    EXPECT_EQ(text.substr(0, head.size()), head) << text;
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
    const std::string code = text.substr(head.size(), text.size() - head.size() - tail.size());
    EXPECT_TRUE(!code.empty() && std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; }))
        << text;
  }
};

constexpr std::string_view kSingularText =
    "\n"
    " *** FATAL    ERROR 2 from DLINRG.  The input matrix is singular.  Some of\n"
    " ***          the diagonal elements of the upper triangular matrix U of the\n"
    " ***          LU factorization are close to zero.\n";

TEST_F(DenseLinearAlgebra, InvertsFactorsAndEstimatesTheConditionOfRandomMatricesLikeLapack) {
  constexpr int kTrialsPerOrder = 200;
  Random random(0x5eed0003);
  Worst inverse, factors, rcond_factor, rcond_over_true, rcond_under_true, pivots, untouched;
  int well_conditioned = 0, rcond_outliers = 0;
  for (int n = 1; n <= 10; ++n) {
    for (int trial = 0; trial < kTrialsPerOrder; ++trial) {
      const std::string where = "order " + std::to_string(n) + ", trial " + std::to_string(trial);
      // Padding rows of A hold NaN, so reading them would show.
      const RealMatrix a = random_matrix(random, n, n + trial % 2, kNaN);
      const RealMatrix a_before = a;
      RealMatrix ainv(n, n + (trial / 2) % 2, kPadding), fac(n, n + trial % 3);
      DLINRG(n, a.data.data(), a.ld, ainv.data.data(), ainv.ld);
      std::vector<int> ipvt(static_cast<std::size_t>(n));
      std::vector<double> z(static_cast<std::size_t>(n));
      double rcond = -1.0;
      DL2CRG(n, a.data.data(), a.ld, fac.data.data(), fac.ld, ipvt.data(), rcond, z.data());
      const Lapack reference = lapack(a);

      untouched.note(padding_intact(ainv) && relative_difference(a, a_before) == 0.0 ? 0.0 : 1.0, where);
      const double factor = std::max(rcond / reference.rcond, reference.rcond / rcond);
      rcond_factor.note(factor, where);
      if (factor > kRcondFactor) ++rcond_outliers;
      double inverse_norm = 0.0;
      for (int j = 0; j < n; ++j) {
        double column = 0.0;
        for (int i = 0; i < n; ++i) column += std::fabs(reference.inverse(i, j));
        inverse_norm = std::max(inverse_norm, column);
      }
      const double true_rcond = 1.0 / (DNR1RR(n, n, a.data.data(), a.ld) * inverse_norm);
      rcond_over_true.note(rcond / true_rcond, where);
      rcond_under_true.note(true_rcond / rcond - 1.0, where);
      // Same pivots; U above the diagonal, the negated multipliers below.
      // LAPACK moves the multipliers of earlier steps with the rows that a
      // later step exchanges, DL2TRG leaves them where they were.
      pivots.note(ipvt == reference.ipiv ? 0.0 : 1.0, where);
      RealMatrix lu(n, n);
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) lu(i, j) = i <= j ? fac(i, j) : -fac(i, j);
      for (int k = 1; k < n; ++k)
        for (int j = 0; j < k; ++j) std::swap(lu(k, j), lu(ipvt[static_cast<std::size_t>(k)] - 1, j));
      factors.note(relative_difference(lu, reference.lu), where);
      if (reference.rcond >= kWellConditioned) {
        ++well_conditioned;
        inverse.note(relative_difference(ainv, reference.inverse), where);
      }
    }
  }
  EXPECT_LE(inverse.value, kInverseTolerance) << inverse.where;
  EXPECT_LE(rcond_outliers, kRcondOutlierShare * 10 * kTrialsPerOrder) << "worst: " << rcond_factor.where;
  EXPECT_LE(rcond_over_true.value, kRcondFactorBound) << rcond_over_true.where;
  EXPECT_LE(rcond_under_true.value, kRcondRounding) << rcond_under_true.where;
  EXPECT_LE(factors.value, kFactorTolerance) << factors.where;
  EXPECT_EQ(pivots.value, 0.0) << "pivots differ: " << pivots.where;
  EXPECT_EQ(untouched.value, 0.0) << "A or the padding of AINV changed: " << untouched.where;
  EXPECT_GT(well_conditioned, 5 * kTrialsPerOrder);
  EXPECT_TRUE(out.str().empty());
}

TEST_F(DenseLinearAlgebra, SolvesWithTheFactorsAndWithTheirTranspose) {
  Random random(0x5eed0004);
  Worst error;
  for (int n = 1; n <= 10; ++n) {
    for (int trial = 0; trial < 30; ++trial) {
      const RealMatrix a = random_matrix(random, n, n, 0.0);
      const Lapack reference = lapack(a);
      if (reference.rcond < kWellConditioned) continue;
      RealMatrix fac(n, n + 1);
      std::vector<int> ipvt(static_cast<std::size_t>(n));
      DL2TRG(n, a.data.data(), a.ld, fac.data.data(), fac.ld, ipvt.data());
      std::vector<double> b(static_cast<std::size_t>(n));
      for (double& x : b) x = random.uniform();
      for (const int ipath : {1, 2}) {
        // x = inverse(A)*b or transpose(inverse(A))*b.
        std::vector<double> expected(static_cast<std::size_t>(n), 0.0);
        for (int i = 0; i < n; ++i)
          for (int k = 0; k < n; ++k)
            expected[static_cast<std::size_t>(i)] +=
                (ipath == 1 ? reference.inverse(i, k) : reference.inverse(k, i)) * b[static_cast<std::size_t>(k)];
        // Into a second vector, or in place over b.
        std::vector<double> x = trial % 2 == 0 ? std::vector<double>(static_cast<std::size_t>(n)) : b;
        DLFSRG(n, fac.data.data(), fac.ld, ipvt.data(), trial % 2 == 0 ? b.data() : x.data(), ipath, x.data());
        double difference = 0.0, largest = 0.0;
        for (std::size_t i = 0; i < x.size(); ++i) {
          difference = std::max(difference, std::fabs(x[i] - expected[i]));
          largest = std::max(largest, std::fabs(expected[i]));
        }
        error.note(difference / largest, "order " + std::to_string(n) + ", IPATH " + std::to_string(ipath));
      }
    }
  }
  EXPECT_LE(error.value, kInverseTolerance) << error.where;
}

TEST_F(DenseLinearAlgebra, InvertsTriangularMatricesInTheirTriangleOnly) {
  Random random(0x5eed0005);
  for (const int ipath : {1, 2}) {
    for (const bool in_place : {false, true}) {
      Worst error, other_triangle;
      for (int n = 1; n <= 8; ++n) {
        for (int trial = 0; trial < 20; ++trial) {
          // The other triangle holds a marker that must come through as it
          // is (DLINRG inverts U in place over the multipliers of L).
          const auto inside = [&](int i, int j) { return ipath == 1 ? i >= j : i <= j; };
          RealMatrix t(n, n + trial % 2, kNaN);
          for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i)
              t(i, j) = i == j ? std::copysign(1.0 + std::fabs(random.uniform()), random.uniform())
                               : (inside(i, j) ? random.uniform() : 99.0);
          // Direct substitution, column by column of the identity.
          RealMatrix expected(n, n);
          for (int c = 0; c < n; ++c) {
            for (int step = 0; step < n; ++step) {
              const int i = ipath == 1 ? step : n - 1 - step;
              double s = i == c ? 1.0 : 0.0;
              for (int k = 0; k < n; ++k)
                if (k != i && inside(i, k)) s -= t(i, k) * expected(k, c);
              expected(i, c) = s / t(i, i);
            }
          }
          RealMatrix separate(n, n + 1, kPadding);
          RealMatrix& inverse = in_place ? t : separate;
          DLINRT(n, t.data.data(), t.ld, ipath, inverse.data.data(), inverse.ld);
          double marker = 0.0;
          for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i)
              if (!inside(i, j)) {
                marker = std::max(marker, std::fabs(inverse(i, j) - 99.0));
                inverse(i, j) = 0.0;
              }
          const std::string where = "order " + std::to_string(n) + ", trial " + std::to_string(trial);
          other_triangle.note(marker, where);
          error.note(relative_difference(inverse, expected), where);
        }
      }
      EXPECT_LE(error.value, kTriangularTolerance) << "IPATH " << ipath << ", " << error.where;
      EXPECT_EQ(other_triangle.value, 0.0) << "IPATH " << ipath << ", " << other_triangle.where;
    }
  }
}

TEST_F(DenseLinearAlgebra, InvertsADiagonalMatrixExactlyAndSilently) {
  const RealMatrix a = two_by_two(2.0, 0.0, 0.0, 4.0);
  RealMatrix ainv(2, 2, kNaN);
  DLINRG(2, a.data.data(), 2, ainv.data.data(), 2);
  EXPECT_EQ(ainv.data, (std::vector<double>{0.5, 0.0, 0.0, 0.25}));
  EXPECT_TRUE(out.str().empty());
}

TEST_F(DenseLinearAlgebra, StopsWithTheSingularMessageForSingularMatrices) {
  const RealMatrix cases[] = {
      two_by_two(1.0, 0.0, 2.0, 0.0),  // zero second column
      two_by_two(0.0, 3.0, 0.0, 1.0),  // zero first column
      // 1 + 1e-17 rounds to 1: the second pivot is exactly zero, so this is
      // the fatal error and not the ill-conditioning warning.
      two_by_two(1.0, 1.0, 1.0, 1.0 + 1e-17),
  };
  for (const RealMatrix& a : cases) {
    reset_error_handler();
    out.str("");
    RealMatrix ainv(2, 2);
    EXPECT_TRUE(stops([&] { DLINRG(2, a.data.data(), 2, ainv.data.data(), 2); }));
    EXPECT_EQ(out.str(), kSingularText);
  }
}

TEST_F(DenseLinearAlgebra, WarnsOnceAndReturnsTheInverseOfANearlySingularMatrix) {
  // det = d, true RCOND = d / (2 (1 + c + d)) = 2.220557e-16, estimated as
  // 2.220668e-16: above the exact epsilon of the double format, just below
  // the library's 2.22096e-16.  The factors and the inverse are exact in
  // floating point.
  const double c = 0.9999, d = 0x1p-50;
  const RealMatrix a = two_by_two(1.0, 1.0, c, c + d);
  RealMatrix ainv(2, 2);
  EXPECT_FALSE(stops([&] { DLINRG(2, a.data.data(), 2, ainv.data.data(), 2); }));
  EXPECT_EQ(out.str(),
            "\n"
            " *** WARNING  ERROR 1 from DLINRG.  The matrix is too ill-conditioned. An\n"
            " ***          estimate of the reciprocal of its L1 condition number is RCOND\n"
            " ***          = 2.220668104957467D-16.  The inverse might not be accurate.\n");
  EXPECT_EQ(ainv.data, (std::vector<double>{1.0 + c / d, -c / d, -1.0 / d, 1.0 / d}));
}

TEST_F(DenseLinearAlgebra, StopsOnABadOrderOrLeadingDimension) {
  struct Case {
    int n, lda, ldainv;
    std::string_view routine, message;
  };
  const Case cases[] = {
      {0, 1, 1, "DLINRG", "The order of the matrix must be positive while N = 0 is given."},
      {-4, 1, 1, "DLINRG", "The order of the matrix must be positive while N = -4 is given."},
      {3, 2, 3, "DL2NRG",
       "The order of the matrix must be less than or equal to its leading dimension while N = 3 and LDA = 2 are "
       "given."},
      {3, 3, 2, "DL2NRG",
       "The order of the matrix must be less than or equal to its leading dimension while N = 3 and LDAINV = 2 are "
       "given."},
  };
  for (const Case& c : cases) {
    reset_error_handler();
    out.str("");
    std::vector<double> a(9, 1.0), ainv(9);
    EXPECT_TRUE(stops([&] { DLINRG(c.n, a.data(), c.lda, ainv.data(), c.ldainv); }));
    // DL2NRG is called internally: a traceback follows its message.
    const std::string text = unwrapped();
    EXPECT_EQ(text.rfind("\n *** TERMINAL ERROR ", 0), 0u) << text;
    EXPECT_NE(text.find(" from " + std::string(c.routine) + ".  " + std::string(c.message) + "\n"), std::string::npos)
        << text;
  }
}

// op(X)(i, l) for transpose letter `t`.
zcomplex op(char t, const std::vector<zcomplex>& x, int ld, int i, int l) {
  switch (std::toupper(static_cast<unsigned char>(t))) {
    case 'N':
      return x[column_major(i, l, ld)];
    case 'T':
      return x[column_major(l, i, ld)];
    default:
      return std::conj(x[column_major(l, i, ld)]);
  }
}

TEST_F(DenseLinearAlgebra, MultipliesComplexMatricesForEveryTransposeCombination) {
  Random random(0x5eed0006);
  const char letters[] = {'N', 'T', 'C'};
  Worst error, padding;
  for (const char ta : letters) {
    for (const char tb : letters) {
      for (int trial = 0; trial < 40; ++trial) {
        const int m = random.below(5), n = random.below(5), k = random.below(5);
        const bool a_plain = ta == 'N', b_plain = tb == 'N';
        // Stored shapes and leading dimensions, some with a padding row of
        // NaN that must not be read.
        const int a_rows = a_plain ? m : k, a_cols = a_plain ? k : m;
        const int b_rows = b_plain ? k : n, b_cols = b_plain ? n : k;
        const int lda = std::max(1, a_rows) + random.below(2), ldb = std::max(1, b_rows) + random.below(2);
        const int ldc = std::max(1, m) + random.below(2);
        std::vector<zcomplex> a(static_cast<std::size_t>(lda) * static_cast<std::size_t>(a_cols), kNaN);
        std::vector<zcomplex> b(static_cast<std::size_t>(ldb) * static_cast<std::size_t>(b_cols), kNaN);
        std::vector<zcomplex> c(static_cast<std::size_t>(ldc) * static_cast<std::size_t>(n), kPadding);
        for (int j = 0; j < a_cols; ++j)
          for (int i = 0; i < a_rows; ++i) a[column_major(i, j, lda)] = random.complex_uniform();
        for (int j = 0; j < b_cols; ++j)
          for (int i = 0; i < b_rows; ++i) b[column_major(i, j, ldb)] = random.complex_uniform();
        for (int j = 0; j < n; ++j)
          for (int i = 0; i < m; ++i) c[column_major(i, j, ldc)] = random.complex_uniform();
        const zcomplex alpha = random.complex_uniform(), beta = random.complex_uniform();
        const std::vector<zcomplex> c_before = c;
        // The letters in either case.
        const auto letter = [&](char t) { return trial % 2 == 0 ? t : static_cast<char>(std::tolower(t)); };
        ZGEMM(letter(ta), letter(tb), m, n, k, alpha, a.data(), lda, b.data(), ldb, beta, c.data(), ldc);

        const std::string where = std::string{ta, tb} + ", trial " + std::to_string(trial);
        for (int j = 0; j < n; ++j) {
          for (int i = 0; i < ldc; ++i) {
            const std::size_t at = column_major(i, j, ldc);
            if (i >= m) {
              padding.note(c[at] == kPadding ? 0.0 : 1.0, where);
              continue;
            }
            zcomplex sum = 0.0;
            double scale = std::abs(beta * c_before[at]);
            for (int l = 0; l < k; ++l) {
              const zcomplex term = op(ta, a, lda, i, l) * op(tb, b, ldb, l, j);
              sum += term;
              scale += std::abs(alpha) * std::abs(term);
            }
            const zcomplex expected = alpha * sum + beta * c_before[at];
            error.note(std::abs(c[at] - expected) / std::max(scale, 1e-300), where);
          }
        }
      }
    }
  }
  EXPECT_LE(error.value, kProductTolerance) << error.where;
  EXPECT_EQ(padding.value, 0.0) << "padding of C changed: " << padding.where;
  EXPECT_TRUE(out.str().empty());
}

TEST_F(DenseLinearAlgebra, ReplacesCByTheProductWhenBetaIsZero) {
  // The program's call: 2 by 2, both untransposed, ALPHA = 1, BETA = 0.
  const std::vector<zcomplex> a = {{1.0, 2.0}, {3.0, -1.0}, {0.5, 0.0}, {-2.0, 1.0}};
  const std::vector<zcomplex> b = {{0.0, 1.0}, {2.0, 0.0}, {1.0, 1.0}, {-1.0, 0.5}};
  for (const char transa : {'N', 'C'}) {
    std::vector<zcomplex> c(4, zcomplex(kNaN, kNaN));
    ZGEMM(transa, 'N', 2, 2, 2, 1.0, a.data(), 2, b.data(), 2, 0.0, c.data(), 2);
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i)
        EXPECT_EQ(c[static_cast<std::size_t>(j * 2 + i)],
                  op(transa, a, 2, i, 0) * op('N', b, 2, 0, j) + op(transa, a, 2, i, 1) * op('N', b, 2, 1, j))
            << transa << " (" << i << ", " << j << ")";
  }
}

TEST_F(DenseLinearAlgebra, LeavesCUntouchedWhenAlphaIsZeroAndBetaIsOne) {
  const std::vector<zcomplex> a(4, 1.0), b(4, 1.0);
  const std::vector<zcomplex> before = {{kNaN, 0.0}, {-0.0, -0.0}, {1.0, kNaN}, {3.0, 4.0}};
  struct Case {
    zcomplex alpha;
    int k;
  };
  for (const Case& c : {Case{0.0, 2}, Case{{2.0, 1.0}, 0}}) {
    std::vector<zcomplex> after = before;
    ZGEMM('N', 'T', 2, 2, c.k, c.alpha, a.data(), 2, b.data(), 2, 1.0, after.data(), 2);
    EXPECT_EQ(std::memcmp(after.data(), before.data(), sizeof(zcomplex) * before.size()), 0) << "K = " << c.k;
  }
  // ALPHA = 0 and BETA = 0 clear C without reading it.
  std::vector<zcomplex> c(4, zcomplex(kNaN, kNaN));
  ZGEMM('C', 'N', 2, 2, 2, 0.0, a.data(), 2, b.data(), 2, 0.0, c.data(), 2);
  EXPECT_EQ(c, std::vector<zcomplex>(4, 0.0));
}

TEST_F(DenseLinearAlgebra, StopsZgemmOnEachBadArgumentWithItsMessage) {
  struct Case {
    char transa, transb;
    int m, n, k, lda, ldb, ldc;
    std::string_view message;
  };
  const Case cases[] = {
      {'N', 'N', -1, 2, 2, 2, 2, 2, "M must be greater than or equal to zero while -1 is given."},
      {'N', 'N', 2, -2, 2, 2, 2, 2, "N must be greater than or equal to zero while -2 is given."},
      {'N', 'N', 2, 2, -3, 2, 2, 2, "K must be greater than or equal to zero while -3 is given."},
      {'N', 'N', 2, 2, 2, 2, 2, 1,
       "LDC must be greater than or equal to M and greater than zero while LDC = 1 and M = 2 are given."},
      {'N', 'N', 0, 2, 2, 1, 2, 0,
       "LDC must be greater than or equal to M and greater than zero while LDC = 0 and M = 0 are given."},
      {'N', 'N', 2, 2, 2, 1, 2, 2,
       "LDA must be greater than or equal to M and greater than zero when TRANSA = N, but LDA = 1 and M = 2 are "
       "given."},
      {'T', 'N', 2, 2, 3, 2, 3, 2,
       "LDA must be greater than or equal to K and greater than zero when TRANSA = T or C, but LDA = 2 and K = 3 "
       "are given."},
      {'c', 'N', 2, 2, 3, 2, 3, 2,
       "LDA must be greater than or equal to K and greater than zero when TRANSA = T or C, but LDA = 2 and K = 3 "
       "are given."},
      {'X', 'N', 2, 2, 2, 2, 2, 2, "TRANSA must be set equal to N or T or C while X is given."},
      {'N', 'N', 2, 2, 3, 2, 2, 2,
       "LDB must be greater than or equal to K and greater than zero when TRANSB = N, but LDB = 2 and K = 3 are "
       "given."},
      {'N', 'C', 2, 3, 2, 2, 2, 2,
       "LDB must be greater than or equal to N and greater than zero when TRANSB = T or C, but LDB = 2 and N = 3 "
       "are given."},
      {'N', 'q', 2, 2, 2, 2, 2, 2, "TRANSB must be set equal to N or T or C while q is given."},
      // The checks come in this order: M before TRANSA, TRANSA before LDB.
      {'X', 'N', -1, 2, 2, 2, 2, 2, "M must be greater than or equal to zero while -1 is given."},
      {'X', 'N', 2, 2, 3, 2, 1, 2, "TRANSA must be set equal to N or T or C while X is given."},
  };
  for (const Case& c : cases) {
    reset_error_handler();
    out.str("");
    std::vector<zcomplex> a(9), b(9), product(9);
    EXPECT_TRUE(stops([&] {
      ZGEMM(c.transa, c.transb, c.m, c.n, c.k, 1.0, a.data(), c.lda, b.data(), c.ldb, 0.0, product.data(), c.ldc);
    }));
    expect_terminal_error("ZGEMM", c.message);
  }
}

TEST_F(DenseLinearAlgebra, SetsEveryStrideThElementUpToN) {
  struct Case {
    int n, incx;
  };
  // Orders around the groups of eight of the unit-stride loop; the
  // program's call is N = 50, DA = 0, INCX = 1.
  for (const Case& c : {Case{0, 1}, Case{-3, 1}, Case{1, 1}, Case{7, 1}, Case{8, 1}, Case{11, 1}, Case{50, 1},
                        Case{4, 3}, Case{1, 5}, Case{6, 10}}) {
    std::vector<double> x(64, kPadding);
    DSET(c.n, 0.0, x.data(), c.incx);
    for (int i = 0; i < 64; ++i) {
      const bool set = i % c.incx == 0 && i / c.incx < c.n;
      EXPECT_EQ(x[static_cast<std::size_t>(i)], set ? 0.0 : kPadding)
          << "N = " << c.n << ", INCX = " << c.incx << ", element " << i;
    }
  }
}

// The scaled sum of squares of DNRM2 and DZNRM2 rounds a few times per
// element; the vectors below have eight elements.
constexpr double kNormTolerance = 16.0 * std::numeric_limits<double>::epsilon();

TEST_F(DenseLinearAlgebra, TakesEuclideanNormsWithoutOverflowOrUnderflow) {
  // Magnitudes whose squares overflow or underflow a double, zeros that are
  // skipped, and a stride; the reference sums the squares in long double,
  // whose range holds them.
  const std::vector<double> pattern = {3.0, 0.0, -4.0, 12.0, 0.0, -0.5, 7.25, 1.0};
  const int n = static_cast<int>(pattern.size());
  for (const double magnitude : {1.0, 1e300, 1e-300}) {
    for (const std::size_t incx : {1U, 3U}) {
      std::vector<double> x(pattern.size() * incx, kPadding);
      std::vector<zcomplex> z(pattern.size() / 2 * incx, kPadding);
      long double sum = 0.0L;
      for (std::size_t i = 0; i < pattern.size(); ++i) {
        const double v = pattern[i] * magnitude;
        x[i * incx] = v;
        sum += static_cast<long double>(v) * v;
      }
      for (std::size_t i = 0; i < pattern.size() / 2; ++i) z[i * incx] = {x[2 * i * incx], x[(2 * i + 1) * incx]};
      const auto reference = static_cast<double>(std::sqrt(sum));
      const int stride = static_cast<int>(incx);
      const double norm = DNRM2(n, x.data(), stride);
      EXPECT_NEAR(norm, reference, kNormTolerance * reference) << "magnitude " << magnitude << ", INCX = " << incx;
      // The complex norm takes the real and the imaginary part in turn: on
      // the same numbers it is the real norm bit for bit.
      EXPECT_EQ(DZNRM2(n / 2, z.data(), stride), norm) << "magnitude " << magnitude << ", INCX = " << incx;
    }
  }
  EXPECT_EQ(DNRM2(0, pattern.data(), 1), 0.0);
  EXPECT_EQ(DZNRM2(0, nullptr, 1), 0.0);
}

}  // namespace
}  // namespace zelvan::numlib
