// The complex eigen-solver DEVCCG and its sort DSVRGP.  The oracle is
// LAPACK's zgeev: its eigenvalues, and its eigenvectors brought to the
// library's normalisation, on thousands of random matrices and on the
// structured matrices that exercise the balancing, the deflation and the
// sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "numlib/devccg.hpp"
#include "numlib/tests/library_test_support.hpp"

extern "C" void zgeev_(const char* jobvl, const char* jobvr, const int* n, std::complex<double>* a, const int* lda,
                       std::complex<double>* w, std::complex<double>* vl, const int* ldvl, std::complex<double>* vr,
                       const int* ldvr, std::complex<double>* work, const int* lwork, double* rwork, int* info,
                       std::size_t jobvl_len, std::size_t jobvr_len);

namespace zelvan::numlib {
namespace {

using test_support::column_major;
using test_support::LibraryTest;
using test_support::Random;
using test_support::Worst;
using zcomplex = std::complex<double>;

// Eigenvalue error relative to ||A||_F: the QR iteration is backward
// stable and the eigenvalues of these matrices are well conditioned.
constexpr double kEigenvalueTolerance = 1e-12;
// ||A v - lambda v|| / ||A||_F for unit v: a few roundings per entry.
constexpr double kResidualTolerance = 1e-13;
// | ||v|| - 1 |: one scaling by 1/||v|| and one by a unit-modulus factor.
constexpr double kUnitLengthTolerance = 1e-14;
// Eigenvectors are compared with zgeev's only for eigenvalues at least
// this far (relative to ||A||_F) from all the others ...
constexpr double kSeparation = 0.05;
// ... since the error of a vector grows like eps ||A|| / gap.
constexpr double kEigenvectorTolerance = 1e-12;
// Two moduli that differ by no more than rounding count as equal.
constexpr double kModulusRounding = 1e-14;
// A Jordan block of order 3 hidden by a similarity moves its eigenvalue by
// about the cube root of the rounding error (6e-6).
constexpr double kDefectiveEigenvalueTolerance = 1e-4;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
// What the padding rows of EVEC hold before the call; they must keep it.
const zcomplex kPadding{-7.0, 7.0};

// A square complex matrix stored by columns with a leading dimension;
// element access is 0-based.
struct Matrix {
  Matrix(int order, int lead, zcomplex fill = 0.0)
      : n(order), ld(lead), data(static_cast<std::size_t>(lead) * static_cast<std::size_t>(order), fill) {}
  zcomplex& operator()(int i, int j) { return data[column_major(i, j, ld)]; }
  zcomplex operator()(int i, int j) const { return data[column_major(i, j, ld)]; }
  int n, ld;
  std::vector<zcomplex> data;
};

// A matrix written row by row.
Matrix rows(int n, std::initializer_list<zcomplex> entries) {
  Matrix a(n, n);
  auto entry = entries.begin();
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a(i, j) = *entry++;
  return a;
}

Matrix product(const Matrix& a, const Matrix& b) {
  Matrix c(a.n, a.n);
  for (int i = 0; i < a.n; ++i)
    for (int j = 0; j < a.n; ++j)
      for (int k = 0; k < a.n; ++k) c(i, j) += a(i, k) * b(k, j);
  return c;
}

// The unitary, self-inverse reflection I - 2 u u^H / (u^H u).
Matrix reflection(std::initializer_list<zcomplex> u) {
  const std::vector<zcomplex> v(u);
  const int n = static_cast<int>(v.size());
  double uu = 0.0;
  for (const zcomplex x : v) uu += std::norm(x);
  Matrix h(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      h(i, j) =
          (i == j ? 1.0 : 0.0) - 2.0 * v[static_cast<std::size_t>(i)] * std::conj(v[static_cast<std::size_t>(j)]) / uu;
  return h;
}

double frobenius(const Matrix& a) {
  double sum = 0.0;
  for (int j = 0; j < a.n; ++j)
    for (int i = 0; i < a.n; ++i) sum += std::norm(a(i, j));
  return std::sqrt(sum);
}

struct EigenSystem {
  std::vector<zcomplex> values;
  Matrix vectors;
  bool padding_intact = true;
};

EigenSystem devccg(const Matrix& a, int ldevec) {
  EigenSystem result{std::vector<zcomplex>(static_cast<std::size_t>(a.n)), Matrix(a.n, ldevec, kPadding)};
  DEVCCG(a.n, a.data.data(), a.ld, result.values.data(), result.vectors.data.data(), ldevec);
  for (int j = 0; j < a.n; ++j)
    for (int i = a.n; i < ldevec; ++i)
      result.padding_intact = result.padding_intact && result.vectors(i, j) == kPadding;
  return result;
}

EigenSystem zgeev(const Matrix& a) {
  const int n = a.n, one = 1, lwork = 8 * n;
  Matrix copy(n, n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) copy(i, j) = a(i, j);
  EigenSystem result{std::vector<zcomplex>(static_cast<std::size_t>(n)), Matrix(n, n)};
  std::vector<zcomplex> work(static_cast<std::size_t>(lwork));
  std::vector<double> rwork(2 * static_cast<std::size_t>(n));
  zcomplex unused;
  int info = 0;
  zgeev_("N", "V", &n, copy.data.data(), &n, result.values.data(), &unused, &one, result.vectors.data.data(), &n,
         work.data(), &lwork, rwork.data(), &info, 1, 1);
  EXPECT_EQ(info, 0);
  return result;
}

// The worst errors over a set of DEVCCG results.
struct Measures {
  Worst eigenvalue, eigenvector, residual, unit_length, phase, order, padding;
  int vectors_compared = 0;

  // What holds for every result: decreasing moduli, unit vectors whose
  // largest component is real and positive, small residuals, untouched
  // padding.
  void invariants(const Matrix& a, const EigenSystem& ours, const std::string& where) {
    const int n = a.n;
    const double norm = frobenius(a) > 0.0 ? frobenius(a) : 1.0;
    padding.note(ours.padding_intact ? 0.0 : 1.0, where);
    for (int j = 0; j < n; ++j) {
      const zcomplex lambda = ours.values[static_cast<std::size_t>(j)];
      if (j > 0 && std::abs(ours.values[static_cast<std::size_t>(j - 1)]) < std::abs(lambda) * (1.0 - kModulusRounding))
        order.note(1.0, where);
      double length = 0.0, largest = 0.0, anchored = -1.0, residual_squared = 0.0;
      for (int i = 0; i < n; ++i) {
        const zcomplex v = ours.vectors(i, j);
        length += std::norm(v);
        largest = std::max(largest, std::norm(v));
        if (v.imag() == 0.0 && v.real() > 0.0) anchored = std::max(anchored, std::norm(v));
        zcomplex r = -lambda * v;
        for (int k = 0; k < n; ++k) r += a(i, k) * ours.vectors(k, j);
        residual_squared += std::norm(r);
      }
      unit_length.note(std::fabs(std::sqrt(length) - 1.0), where);
      phase.note(anchored < largest * (1.0 - kModulusRounding) ? 1.0 : 0.0, where);
      residual.note(std::sqrt(residual_squared) / norm, where);
    }
  }

  // The invariants, and agreement with zgeev: eigenvalues paired by
  // nearness; eigenvectors of well separated eigenvalues after giving
  // zgeev's vector the phase that makes our largest component real.
  void compare(const Matrix& a, int ldevec, const std::string& where) {
    const int n = a.n;
    const EigenSystem ours = devccg(a, ldevec);
    const EigenSystem theirs = zgeev(a);
    invariants(a, ours, where);
    const double norm = frobenius(a) > 0.0 ? frobenius(a) : 1.0;
    std::vector<bool> used(static_cast<std::size_t>(n), false);
    for (int t = 0; t < n; ++t) {
      const zcomplex mu = theirs.values[static_cast<std::size_t>(t)];
      int j = -1;
      for (int c = 0; c < n; ++c)
        if (!used[static_cast<std::size_t>(c)] &&
            (j < 0 || std::abs(ours.values[static_cast<std::size_t>(c)] - mu) <
                          std::abs(ours.values[static_cast<std::size_t>(j)] - mu)))
          j = c;
      used[static_cast<std::size_t>(j)] = true;
      eigenvalue.note(std::abs(ours.values[static_cast<std::size_t>(j)] - mu) / norm, where);

      double gap = std::numeric_limits<double>::infinity();
      for (int u = 0; u < n; ++u)
        if (u != t) gap = std::min(gap, std::abs(theirs.values[static_cast<std::size_t>(u)] - mu));
      if (gap < kSeparation * norm) continue;
      int anchor = 0;
      for (int i = 1; i < n; ++i)
        if (std::norm(ours.vectors(i, j)) > std::norm(ours.vectors(anchor, j))) anchor = i;
      double length = 0.0;
      for (int i = 0; i < n; ++i) length += std::norm(theirs.vectors(i, t));
      const zcomplex w = theirs.vectors(anchor, t);
      const zcomplex turn = std::conj(w) / (std::abs(w) * std::sqrt(length));
      double difference = 0.0;
      for (int i = 0; i < n; ++i)
        difference = std::max(difference, std::abs(ours.vectors(i, j) - theirs.vectors(i, t) * turn));
      eigenvector.note(difference, where);
      ++vectors_compared;
    }
  }

  void expect_within_tolerances(double eigenvalue_tolerance = kEigenvalueTolerance) const {
    EXPECT_LE(eigenvalue.value, eigenvalue_tolerance) << eigenvalue.where;
    EXPECT_LE(eigenvector.value, kEigenvectorTolerance) << eigenvector.where;
    EXPECT_LE(residual.value, kResidualTolerance) << residual.where;
    EXPECT_LE(unit_length.value, kUnitLengthTolerance) << unit_length.where;
    EXPECT_EQ(phase.value, 0.0) << "largest component not real and positive: " << phase.where;
    EXPECT_EQ(order.value, 0.0) << "moduli not decreasing: " << order.where;
    EXPECT_EQ(padding.value, 0.0) << "padding of EVEC changed: " << padding.where;
  }
};

class ComplexEigenSolver : public LibraryTest {};

TEST_F(ComplexEigenSolver, AgreesWithLapackOnThousandsOfRandomMatrices) {
  constexpr int kTrialsPerOrder = 400;
  Random random(0x5eed0001);
  Measures measures;
  for (int n = 1; n <= 8; ++n) {
    for (int trial = 0; trial < kTrialsPerOrder; ++trial) {
      // Padding rows of A hold NaN, so reading them would show.
      Matrix a(n, n + trial % 2, kNaN);
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) a(i, j) = random.complex_uniform();
      if (trial % 3 == 2) {
        // A badly scaled similar matrix D A D^-1, D powers of two: work
        // for the balancing and for undoing it on the vectors.
        std::vector<double> d(static_cast<std::size_t>(n));
        for (double& x : d) x = std::ldexp(1.0, random.below(17) - 8);
        for (int j = 0; j < n; ++j)
          for (int i = 0; i < n; ++i) a(i, j) *= d[static_cast<std::size_t>(i)] / d[static_cast<std::size_t>(j)];
      }
      measures.compare(a, n + (trial / 2) % 2, "order " + std::to_string(n) + ", trial " + std::to_string(trial));
    }
  }
  measures.expect_within_tolerances();
  EXPECT_GT(measures.vectors_compared, 4 * kTrialsPerOrder);
  EXPECT_TRUE(out.str().empty());
}

TEST_F(ComplexEigenSolver, AgreesWithLapackOnTwoByTwoFlutterMatrices) {
  // M^-1 (K - q Q) of a plunge-pitch section: mass in kg, kg m and kg m^2,
  // stiffness in N/m and N m/rad, an aerodynamic matrix in m^2 and dynamic
  // pressures in Pa up to well beyond the coupling of the two modes.
  const double m11 = 12.0, m12 = 0.36, m22 = 0.065, det = m11 * m22 - m12 * m12;
  const Matrix m_inverse = rows(2, {m22 / det, -m12 / det, -m12 / det, m11 / det});
  const Matrix q_aero = rows(2, {{0.06, 0.45}, {-0.18, 0.2}, {0.015, -0.1}, {-0.04, 0.025}});
  Measures measures;
  for (const double q : {0.0, 250.0, 1.0e3, 4.0e3, 1.2e4, 3.0e4, 1.0e5}) {
    Matrix stiffness = rows(2, {6.0e4, 0.0, 0.0, 1.2e3});
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i) stiffness(i, j) -= q * q_aero(i, j);
    measures.compare(product(m_inverse, stiffness), 2, "q = " + std::to_string(q));
  }
  measures.expect_within_tolerances();
  EXPECT_GE(measures.vectors_compared, 10);
}

TEST_F(ComplexEigenSolver, SortsADiagonalMatrixAndReturnsUnitVectorsOfItsRows) {
  struct Case {
    std::vector<zcomplex> diagonal;
    std::vector<int> rows_by_decreasing_modulus;
  };
  const Case cases[] = {
      {{2.0, {0.0, -3.0}, {0.5, 0.5}, -1.0}, {1, 0, 3, 2}},
      {{0.0, 1.0, {0.0, 2.0}}, {2, 1, 0}},
      {{{1e-300, 0.0}, {-4e200, 1e200}}, {1, 0}},
  };
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.diagonal.size());
    Matrix a(n, n);
    for (int i = 0; i < n; ++i) a(i, i) = c.diagonal[static_cast<std::size_t>(i)];
    const EigenSystem result = devccg(a, n);
    for (int j = 0; j < n; ++j) {
      const int row = c.rows_by_decreasing_modulus[static_cast<std::size_t>(j)];
      EXPECT_EQ(result.values[static_cast<std::size_t>(j)], c.diagonal[static_cast<std::size_t>(row)]);
      for (int i = 0; i < n; ++i) {
        EXPECT_EQ(result.vectors(i, j), i == row ? zcomplex(1.0) : zcomplex(0.0)) << "row " << i << ", column " << j;
      }
    }
  }
}

TEST_F(ComplexEigenSolver, SortsTheZeroEigenvalueOfAZeroColumnLastWithItsUnitVector) {
  // clang-format off
  const Matrix cases[] = {
      rows(2, {0.0, 1.0,
               0.0, 2.0}),
      rows(3, {{1.0, 1.0}, 0.0, {4.0, -2.0},
               {2.0, 0.5}, 0.0, {5.0, 0.0},
               {3.0, 0.0}, 0.0, {-7.0, 3.0}}),
      rows(4, {{0.3, 0.1}, -1.0, {0.0, 2.0}, 0.0,
               {1.5, 0.0}, {0.2, 0.2}, {-0.6, 1.0}, 0.0,
               {0.9, -0.4}, {0.0, 0.7}, {2.5, 0.0}, 0.0,
               1.0, 2.0, 3.0, 0.0}),
  };
  // clang-format on
  const int zero_column[] = {0, 1, 3};
  Measures measures;
  for (std::size_t c = 0; c < std::size(cases); ++c) {
    const Matrix& a = cases[c];
    const EigenSystem result = devccg(a, a.n);
    EXPECT_EQ(result.values.back(), zcomplex(0.0)) << "case " << c;
    for (int i = 0; i < a.n; ++i)
      EXPECT_EQ(result.vectors(i, a.n - 1), i == zero_column[c] ? zcomplex(1.0) : zcomplex(0.0))
          << "case " << c << ", row " << i;
    measures.compare(a, a.n, "case " + std::to_string(c));
  }
  measures.expect_within_tolerances();
}

TEST_F(ComplexEigenSolver, MakesTheFirstOfTwoLargestComponentsRealAndPositive) {
  // The eigenvector of 3 is (i, 1): both components of modulus 1/sqrt(2).
  const EigenSystem result = devccg(rows(2, {1.0, {0.0, 2.0}, 0.0, 3.0}), 2);
  constexpr double kRounding = 4e-16;  // a few roundings of the scalings by 1/||v|| and the phase
  EXPECT_EQ(result.values[0], zcomplex(3.0));
  EXPECT_EQ(result.vectors(0, 0).imag(), 0.0);
  EXPECT_NEAR(result.vectors(0, 0).real(), std::sqrt(0.5), kRounding);
  EXPECT_NEAR(std::abs(result.vectors(1, 0) - zcomplex(0.0, -std::sqrt(0.5))), 0.0, kRounding);
}

TEST_F(ComplexEigenSolver, ReturnsSmallResidualsForDefectiveAndNearlyDefectiveMatrices) {
  const zcomplex lambda{2.0, 1.0}, mu{-0.5, 3.0};
  const Matrix u3 = reflection({{1.0, 0.5}, {-0.3, 0.8}, {0.6, -0.2}});
  const Matrix u4 = reflection({{0.2, -0.4}, {1.0, 0.1}, {-0.5, 0.5}, {0.3, 0.9}});
  struct Case {
    std::string name;
    Matrix a;
    std::vector<zcomplex> eigenvalues;
  };
  // clang-format off
  const Matrix jordan = rows(3, {lambda, 1.0, 0.0,
                                 0.0, lambda, 1.0,
                                 0.0, 0.0, lambda});
  const Matrix jordan_beside_mu = rows(4, {lambda, 1.0, 0.0, 0.0,
                                           0.0, lambda, 1.0, 0.0,
                                           0.0, 0.0, lambda, 0.0,
                                           0.0, 0.0, 0.0, mu});
  const Matrix nearly_jordan = rows(3, {lambda, 1.0, 0.0,
                                        1e-12, lambda, 1.0,
                                        0.0, 0.0, mu});
  // clang-format on
  const Case cases[] = {
      {"a Jordan block of order 3", jordan, {lambda, lambda, lambda}},
      {"a hidden Jordan block of order 3", product(product(u3, jordan), u3), {lambda, lambda, lambda}},
      {"a hidden Jordan block of order 3 beside a simple eigenvalue",
       product(product(u4, jordan_beside_mu), u4),
       {lambda, lambda, lambda, mu}},
      {"two eigenvalues 2e-7 apart", rows(2, {1.0, 1.0, 1e-14, 1.0}), {1.0 + 1e-7, 1.0 - 1e-7}},
      {"a hidden nearly defective block", product(product(u3, nearly_jordan), u3), {lambda + 1e-6, lambda - 1e-6, mu}},
      {"the zero matrix", Matrix(3, 3), {0.0, 0.0, 0.0}},
  };
  for (const Case& c : cases) {
    const EigenSystem result = devccg(c.a, c.a.n);
    Measures measures;
    measures.invariants(c.a, result, c.name);
    measures.expect_within_tolerances();
    const double norm = std::max(frobenius(c.a), 1.0);
    for (const zcomplex expected : c.eigenvalues) {
      double nearest = std::numeric_limits<double>::infinity();
      for (const zcomplex value : result.values) nearest = std::min(nearest, std::abs(value - expected));
      EXPECT_LE(nearest / norm, kDefectiveEigenvalueTolerance) << c.name;
    }
  }
}

TEST_F(ComplexEigenSolver, ReturnsTheOneEntryAndAUnitVectorForOrderOne) {
  for (const zcomplex value : {zcomplex(0.0), zcomplex(3.0, -4.0), zcomplex(-1e-310, 0.0)}) {
    Matrix a(1, 2, kNaN);
    a(0, 0) = value;
    const EigenSystem result = devccg(a, 3);
    EXPECT_EQ(result.values[0], value);
    EXPECT_EQ(result.vectors(0, 0), zcomplex(1.0));
    EXPECT_TRUE(result.padding_intact);
  }
}

// DEVLCG rotates only the active block: the eigenvalues must be DEVCCG's
// to the bit, in its order, on random matrices up to the order of the
// state-space models (some badly scaled, so the balancing acts) and on the
// defective ones.
TEST_F(ComplexEigenSolver, FindsTheEigenvaluesAloneEqualToTheBitToThoseWithTheVectors) {
  Random random(0x5eed0002);
  std::vector<Matrix> matrices;
  for (int n = 1; n <= 24; ++n) {
    for (int trial = 0; trial < 20; ++trial) {
      Matrix a(n, n + trial % 2, kNaN);
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
          a(i, j) = trial % 4 == 3 ? random.complex_uniform().real() : random.complex_uniform();
      if (trial % 3 == 2) {
        for (int j = 0; j < n; ++j)
          for (int i = 0; i < n; ++i) a(i, j) *= std::ldexp(1.0, (i * 7 + j * 3) % 17 - 8);
      }
      matrices.push_back(a);
    }
  }
  const zcomplex lambda{2.0, 1.0};
  const Matrix u3 = reflection({{1.0, 0.5}, {-0.3, 0.8}, {0.6, -0.2}});
  matrices.push_back(product(product(u3, rows(3, {lambda, 1.0, 0.0, 0.0, lambda, 1.0, 0.0, 0.0, lambda})), u3));
  matrices.emplace_back(3, 3);
  for (const Matrix& a : matrices) {
    const EigenSystem with_vectors = devccg(a, a.n);
    std::vector<zcomplex> values(static_cast<std::size_t>(a.n));
    DEVLCG(a.n, a.data.data(), a.ld, values.data());
    for (std::size_t j = 0; j < values.size(); ++j) {
      ASSERT_EQ(values[j], with_vectors.values[j]) << "order " << a.n << ", eigenvalue " << j;
    }
  }
  EXPECT_TRUE(out.str().empty());
}

TEST_F(ComplexEigenSolver, FindsNoEigenvaluesAloneOfAnEmptyMatrixAndSaysSo) {
  std::vector<zcomplex> a(1, 1.0), eval(1);
  EXPECT_TRUE(stops([&] { DEVLCG(0, a.data(), 1, eval.data()); }));
  EXPECT_NE(out.str().find("TERMINAL ERROR 1 from DEVLCG.  The argument N = 0."), std::string::npos) << out.str();
}

TEST_F(ComplexEigenSolver, StopsOnBadArgumentsWithTheirMessages) {
  struct Case {
    int n, lda, ldevec;
    std::string text;
  };
  const std::string traceback =
      "     Here is a traceback of subprogram calls in reverse order:\n"
      "     Routine name                    Error type  Error code\n"
      "     ------------                    ----------  ----------\n";
  const Case cases[] = {
      {0, 1, 1,
       "\n"
       " *** TERMINAL ERROR 1 from DEVCCG.  The argument N = 0.  The order of the\n"
       " ***          matrix must be at least 1.\n"},
      {3, 2, 3,
       "\n"
       " *** TERMINAL ERROR 1 from DE6CCG.  The argument LDA = 2.  The leading\n"
       " ***          dimension of the matrix must be at least equal to the order, N\n"
       " ***          = 3.\n" +
           traceback +
           "     DE6CCG                               5           1    (Called internally)\n"
           "     DEVCCG                               0           0\n"
           "     USER                                 0           0\n"},
      {3, 3, 2,
       "\n"
       " *** TERMINAL ERROR 2 from DE6CCG.  The argument LDEVEC = 2.  The leading\n"
       " ***          dimension of the eigenvector matrix must be at least equal to\n"
       " ***          the order, N = 3.\n" +
           traceback +
           "     DE6CCG                               5           2    (Called internally)\n"
           "     DEVCCG                               0           0\n"
           "     USER                                 0           0\n"},
  };
  for (const Case& c : cases) {
    reset_error_handler();
    out.str("");
    std::vector<zcomplex> a(9, 1.0), eval(3), evec(9);
    EXPECT_TRUE(stops([&] { DEVCCG(c.n, a.data(), c.lda, eval.data(), evec.data(), c.ldevec); }));
    EXPECT_EQ(out.str(), c.text);
  }
}

// The balancing and the QR iteration end for every matrix: one with an
// entry that is NaN or infinite is refused before them, naming the entry;
// finite entries whose row and column sums overflow (the case of a
// pitch-axis position of 1e160) end in a result or in the iteration's
// fatal error, never in an endless loop.
TEST_F(ComplexEigenSolver, EndsForNaNAndInfiniteEntriesAndForOverflowingSums) {
  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  for (const zcomplex bad : {zcomplex(nan, 0.0), zcomplex(inf, 0.0), zcomplex(-inf, 0.0), zcomplex(1.0, nan),
                             zcomplex(0.0, inf), zcomplex(0.0, -inf)}) {
    reset_error_handler();
    out.str("");
    std::vector<zcomplex> a = {1.0, 2.0, 3.0, 4.0}, eval(2), evec(4);
    a[2] = bad;  // A(1,2)
    EXPECT_TRUE(stops([&] { DEVCCG(2, a.data(), 2, eval.data(), evec.data(), 2); }));
    EXPECT_EQ(unwrapped(),
              "\n *** TERMINAL ERROR 3 from DEVCCG.  The entry A(1,2) of the input matrix is not a finite number.  "
              "Every entry must be finite.\n");
  }
  for (const double big : {1e308, -1e308}) {
    reset_error_handler();
    out.str("");
    std::vector<zcomplex> a = {big, big, {big, big}, 1.0}, eval(2), evec(4);
    try {
      DEVCCG(2, a.data(), 2, eval.data(), evec.data(), 2);
    } catch (const core::RunStop& stop) {
      EXPECT_EQ(stop.exit_status(), 3);
      EXPECT_NE(out.str().find("from DE"), std::string::npos) << out.str();
    }
  }
}

// The QR iteration gives up after 30 iterations per row in all: a matrix
// whose entries overflow in the rotations never shows a negligible
// subdiagonal element.  The fatal error is reported under the caller's
// name, and nothing after the iteration runs.
TEST_F(ComplexEigenSolver, StopsWithTheFatalErrorWhenTheIterationDoesNotConverge) {
  for (const double big : {1e308, -1e308}) {
    reset_error_handler();
    out.str("");
    std::vector<zcomplex> a = {big, big, {big, big}, 1.0}, eval(2, kPadding), evec(4, kPadding);
    EXPECT_TRUE(stops([&] { DEVCCG(2, a.data(), 2, eval.data(), evec.data(), 2); }));
    EXPECT_EQ(unwrapped(),
              "\n *** FATAL    ERROR 1 from DEVCCG.  The iteration for the eigenvalues did not converge.\n");
    EXPECT_EQ(eval, std::vector<zcomplex>(2, kPadding));
  }
}

TEST_F(ComplexEigenSolver, SortsRandomVectorsAndCarriesThePermutation) {
  Random random(0x5eed0002);
  for (int n = 1; n <= 40; ++n) {
    for (int trial = 0; trial < 20; ++trial) {
      // Half of the vectors hold many equal keys.
      std::vector<double> ra(static_cast<std::size_t>(n)), rb(static_cast<std::size_t>(n));
      for (double& x : ra) x = trial % 2 == 0 ? random.uniform() : static_cast<double>(random.below(4));
      std::vector<int> iperm(static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) iperm[static_cast<std::size_t>(i)] = i + 1;
      const std::vector<double> original = ra;
      double* sorted = trial % 4 < 2 ? ra.data() : rb.data();  // in place or into a second vector
      DSVRGP(n, ra.data(), sorted, iperm.data());
      EXPECT_TRUE(std::is_sorted(sorted, sorted + n)) << "n = " << n << ", trial " << trial;
      std::vector<int> seen(iperm);
      std::sort(seen.begin(), seen.end());
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(seen[static_cast<std::size_t>(i)], i + 1) << "n = " << n << ", trial " << trial;
        EXPECT_EQ(sorted[i], original[static_cast<std::size_t>(iperm[static_cast<std::size_t>(i)] - 1)]);
      }
    }
  }
}

TEST_F(ComplexEigenSolver, KeepsTwoEqualKeysInTheirOrder) {
  const double keys[2] = {-5.0, -5.0};
  double sorted[2];
  int iperm[2] = {1, 2};
  DSVRGP(2, keys, sorted, iperm);
  EXPECT_EQ(iperm[0], 1);
  EXPECT_EQ(iperm[1], 2);
}

TEST_F(ComplexEigenSolver, StopsWhenTheSortIsGivenNoElements) {
  double key = 0.0;
  int iperm = 1;
  EXPECT_TRUE(stops([&] { DSVRGP(0, &key, &key, &iperm); }));
  EXPECT_EQ(
      unwrapped(),
      "\n *** TERMINAL ERROR 1 from DSVRGP.  The length of vectors RA, RB and IPERM must be greater than or equal "
      "to one.  On input the length, N, is given as 0.\n");
}

}  // namespace
}  // namespace zelvan::numlib
