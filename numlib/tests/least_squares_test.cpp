// Linear least squares by column-scaled Householder QR against LAPACK's
// dgels (QR without scaling), on problems whose columns differ in size by
// up to twelve orders of magnitude, and its rank, residual and errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "numlib/least_squares.hpp"
#include "numlib/tests/library_test_support.hpp"

extern "C" {
void dgels_(const char* trans, const int* m, const int* n, const int* nrhs, double* a, const int* lda, double* b,
            const int* ldb, double* work, const int* lwork, int* info, std::size_t trans_len);
}

namespace zelvan::numlib {
namespace {

using test_support::column_major;
using test_support::LibraryTest;
using test_support::Random;

struct Problem {
  int m, n, nrhs;
  std::vector<double> a, b;
};

// Random entries, column j scaled by 10^(column_exponent(j)).
Problem random_problem(int m, int n, int nrhs, double exponent_span, std::uint64_t seed) {
  Random random(seed);
  Problem p{m, n, nrhs, std::vector<double>(static_cast<std::size_t>(m * n)),
            std::vector<double>(static_cast<std::size_t>(m * nrhs))};
  for (int j = 0; j < n; ++j) {
    const double size = std::pow(10.0, n > 1 ? exponent_span * (static_cast<double>(j) / (n - 1) - 0.5) : 0.0);
    for (int i = 0; i < m; ++i) p.a[column_major(i, j, m)] = size * random.uniform();
  }
  for (double& v : p.b) v = random.uniform();
  return p;
}

std::vector<double> lapack_solution(const Problem& p) {
  std::vector<double> a = p.a, b = p.b;
  const int lwork = 64 * (p.m + p.nrhs);
  std::vector<double> work(static_cast<std::size_t>(lwork));
  int info = 0;
  dgels_("N", &p.m, &p.n, &p.nrhs, a.data(), &p.m, b.data(), &p.m, work.data(), &lwork, &info, 1);
  EXPECT_EQ(info, 0);
  std::vector<double> x(static_cast<std::size_t>(p.n * p.nrhs));
  for (int c = 0; c < p.nrhs; ++c) {
    for (int j = 0; j < p.n; ++j) x[column_major(j, c, p.n)] = b[column_major(j, c, p.m)];
  }
  return x;
}

class LeastSquares : public LibraryTest {};

TEST_F(LeastSquares, AgreesWithLapackOnWellAndBadlyScaledColumns) {
  // Both solve the same problem by backward-stable QR; their solutions
  // differ by the problem's condition (after scaling, a few tens) times
  // rounding, relative to each component's own size.  The badly scaled
  // columns have a condition of 1e12 unscaled, which dgels carries but
  // the column scaling takes out: each component is compared in its own
  // column's units.
  constexpr double kAgreement = 1e-11;
  const struct {
    int m, n, nrhs;
    double span;
  } cases[] = {{30, 8, 2, 0.0}, {30, 8, 2, 12.0}, {200, 17, 3, 6.0}, {9, 9, 1, 0.0}};
  std::uint64_t seed = 11;
  for (const auto& c : cases) {
    const Problem p = random_problem(c.m, c.n, c.nrhs, c.span, seed++);
    std::vector<double> x(static_cast<std::size_t>(c.n * c.nrhs));
    const LeastSquaresResult r = least_squares(c.m, c.n, p.a.data(), c.m, p.b.data(), c.m, c.nrhs, x.data(), c.n);
    EXPECT_EQ(r.rank, c.n);
    const std::vector<double> reference = lapack_solution(p);
    for (int col = 0; col < c.nrhs; ++col) {
      double largest = 0.0;  // of the scaled solution, column norms times x_j
      for (int j = 0; j < c.n; ++j) {
        double norm = 0.0;
        for (int i = 0; i < c.m; ++i) norm += p.a[column_major(i, j, c.m)] * p.a[column_major(i, j, c.m)];
        largest = std::max(largest, std::sqrt(norm) * std::fabs(reference[column_major(j, col, c.n)]));
      }
      for (int j = 0; j < c.n; ++j) {
        double norm = 0.0;
        for (int i = 0; i < c.m; ++i) norm += p.a[column_major(i, j, c.m)] * p.a[column_major(i, j, c.m)];
        EXPECT_NEAR(std::sqrt(norm) * x[column_major(j, col, c.n)],
                    std::sqrt(norm) * reference[column_major(j, col, c.n)], kAgreement * largest)
            << c.m << " x " << c.n << ", span " << c.span << ", column " << j;
      }
      // The residual norm it reports is that of its solution.
      double residual = 0.0;
      for (int i = 0; i < c.m; ++i) {
        double sum = -p.b[column_major(i, col, c.m)];
        for (int j = 0; j < c.n; ++j) sum += p.a[column_major(i, j, c.m)] * x[column_major(j, col, c.n)];
        residual += sum * sum;
      }
      EXPECT_NEAR(r.residual[static_cast<std::size_t>(col)], std::sqrt(residual), 1e-12 * (1.0 + std::sqrt(residual)));
    }
  }
}

TEST_F(LeastSquares, RecoversTheCoefficientsOfAConsistentSystemToRounding) {
  constexpr double kRecovery = 1e-13;  // condition after scaling about 10, times a few units of rounding
  const int m = 40, n = 6;
  Problem p = random_problem(m, n, 1, 8.0, 5);
  std::vector<double> truth(n);
  for (int j = 0; j < n; ++j) truth[static_cast<std::size_t>(j)] = (j + 1) * std::pow(10.0, -2.0 * (j - 2));
  for (int i = 0; i < m; ++i) {
    double sum = 0.0;
    for (int j = 0; j < n; ++j) sum += p.a[column_major(i, j, m)] * truth[static_cast<std::size_t>(j)];
    p.b[static_cast<std::size_t>(i)] = sum;
  }
  std::vector<double> x(n);
  const LeastSquaresResult r = least_squares(m, n, p.a.data(), m, p.b.data(), m, 1, x.data(), n);
  for (int j = 0; j < n; ++j) {
    EXPECT_NEAR(x[static_cast<std::size_t>(j)] / truth[static_cast<std::size_t>(j)], 1.0, kRecovery) << j;
  }
  EXPECT_LT(r.residual[0], 1e-13 * std::sqrt(static_cast<double>(m)));
}

// The reflections are applied to several columns at a time: each
// right-hand side's solution is the same to the bit whether it is solved
// alone or among others, wherever it falls in the groups of columns.
TEST_F(LeastSquares, SolvesEachRightHandSideToTheSameBitsAloneAsAmongOthers) {
  const int m = 37, n = 9, nrhs = 7;
  const Problem p = random_problem(m, n, nrhs, 6.0, 11);
  std::vector<double> together(static_cast<std::size_t>(n * nrhs));
  (void)least_squares(m, n, p.a.data(), m, p.b.data(), m, nrhs, together.data(), n);
  for (int c = 0; c < nrhs; ++c) {
    std::vector<double> alone(n);
    (void)least_squares(m, n, p.a.data(), m, &p.b[column_major(0, c, m)], m, 1, alone.data(), n);
    for (int j = 0; j < n; ++j)
      EXPECT_EQ(alone[static_cast<std::size_t>(j)], together[column_major(j, c, n)]) << c << j;
  }
}

TEST_F(LeastSquares, CountsADependentColumnOutOfTheRankAndZeroesItsComponent) {
  const int m = 12, n = 4;
  Problem p = random_problem(m, n, 1, 0.0, 9);
  for (int i = 0; i < m; ++i)
    p.a[column_major(i, 3, m)] = 2.0 * p.a[column_major(i, 1, m)] - p.a[column_major(i, 0, m)];
  std::vector<double> x(n);
  const LeastSquaresResult r = least_squares(m, n, p.a.data(), m, p.b.data(), m, 1, x.data(), n);
  EXPECT_EQ(r.rank, 3);
  EXPECT_GT(r.condition, 1e12);
  EXPECT_EQ(x[3], 0.0);
  for (double v : x) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(LeastSquares, EndsTheRunOnAShapeItCannotSolve) {
  std::vector<double> a(12, 1.0), b(4, 1.0), x(3);
  EXPECT_TRUE(stops([&] { least_squares(2, 3, a.data(), 4, b.data(), 4, 1, x.data(), 3); }));
  EXPECT_NE(unwrapped().find("at least as many rows as columns"), std::string::npos);
  EXPECT_TRUE(stops([&] { least_squares(4, 3, a.data(), 3, b.data(), 4, 1, x.data(), 3); }));
  EXPECT_TRUE(stops([&] { least_squares(4, 3, a.data(), 4, b.data(), 4, 0, x.data(), 3); }));
}

}  // namespace
}  // namespace zelvan::numlib
