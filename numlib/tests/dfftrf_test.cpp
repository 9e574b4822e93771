// The real fast Fourier transform against a direct summation in long
// double, its packed layout, the reuse of its work array and its errors.
#include <gtest/gtest.h>

#include <sys/sysinfo.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/core.hpp"
#include "numlib/numlib.hpp"
#include "numlib/tests/library_test_support.hpp"

namespace zelvan::numlib {
namespace {

// A correct transform of random data in [-1, 1) loses a few multiples of
// the rounding unit per pass, relative to the size of the coefficients.
constexpr double kRelativeTolerance = 1e-13;

constexpr long double kTwoPiLong = 6.283185307179586476925286766559005768L;

// Reproducible samples in [-1, 1) (splitmix64), the same on every platform.
std::vector<double> random_sequence(int n, std::uint64_t seed) {
  std::vector<double> seq(static_cast<std::size_t>(n));
  std::uint64_t state = seed;
  for (double& x : seq) {
    state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    x = static_cast<double>(z >> 11) * 0x1.0p-52 - 1.0;
  }
  return seq;
}

// The packed transform by its defining sums, in long double.
std::vector<long double> direct_transform(const std::vector<double>& seq) {
  const auto n = seq.size();
  std::vector<long double> cs(n), sn(n), coef(n);
  for (std::size_t r = 0; r < n; ++r) {
    const long double angle = kTwoPiLong * static_cast<long double>(r) / static_cast<long double>(n);
    cs[r] = std::cos(angle);
    sn[r] = std::sin(angle);
  }
  long double sum = 0.0L, alternating = 0.0L;
  for (std::size_t m = 0; m < n; ++m) {
    sum += seq[m];
    alternating += (m % 2 == 0) ? seq[m] : -seq[m];
  }
  coef[0] = sum;
  for (std::size_t k = 1; 2 * k < n; ++k) {
    long double re = 0.0L, im = 0.0L;
    std::size_t r = 0;  // k*m mod n
    for (std::size_t m = 0; m < n; ++m) {
      re += seq[m] * cs[r];
      im -= seq[m] * sn[r];
      r += k;
      if (r >= n) r -= n;
    }
    coef[2 * k - 1] = re;
    coef[2 * k] = im;
  }
  if (n % 2 == 0) coef[n - 1] = alternating;
  return coef;
}

// Largest deviation from the reference over the Euclidean norm of the
// reference.
double relative_error(const std::vector<double>& coef, const std::vector<long double>& reference) {
  long double norm = 0.0L, worst = 0.0L;
  for (std::size_t i = 0; i < coef.size(); ++i) {
    norm += reference[i] * reference[i];
    worst = std::max(worst, std::fabs(coef[i] - reference[i]));
  }
  return static_cast<double>(norm > 0.0L ? worst / std::sqrt(norm) : worst);
}

std::vector<double> transform(const std::vector<double>& seq) {
  std::vector<double> coef(seq.size());
  DFFTRF(static_cast<int>(seq.size()), seq.data(), coef.data());
  return coef;
}

// Library state reset around each test, messages captured.
class Dfftrf : public test_support::LibraryTest {};

TEST_F(Dfftrf, MatchesTheDirectSumForEveryLengthUpTo300) {
  for (int n = 1; n <= 300; ++n) {
    const auto seq = random_sequence(n, static_cast<std::uint64_t>(n));
    EXPECT_LE(relative_error(transform(seq), direct_transform(seq)), kRelativeTolerance) << "N = " << n;
  }
}

// Powers of two, the program's largest length (73 * 137), a large prime
// and twice a large prime.
TEST_F(Dfftrf, MatchesTheDirectSumForLargeCompositeAndPrimeLengths) {
  for (const int n : {4096, 10001, 9973, 2 * 7919}) {
    const auto seq = random_sequence(n, 17);
    EXPECT_LE(relative_error(transform(seq), direct_transform(seq)), kRelativeTolerance) << "N = " << n;
  }
}

TEST_F(Dfftrf, GivesTheDocumentedSmallExamplesExactly) {
  struct Case {
    std::vector<double> seq, coef;
  };
  const Case cases[] = {
      {{2.5}, {2.5}},
      {{3.0, 1.0}, {4.0, 2.0}},
      {{1.0, 0.0, 0.0, 0.0}, {1.0, 1.0, 0.0, 1.0}},
  };
  for (const Case& c : cases) EXPECT_EQ(transform(c.seq), c.coef) << "N = " << c.seq.size();
}

// A cosine of the first harmonic puts N/2 into COEF(2), a sine -N/2 into
// COEF(3); everything else vanishes up to rounding.
TEST_F(Dfftrf, PutsAFirstHarmonicCosineAndSineIntoCoefTwoAndThree) {
  for (const int n : {3, 4, 7, 8, 12, 15, 64, 97, 1000, 10001}) {
    std::vector<double> cosine(static_cast<std::size_t>(n)), sine(cosine.size());
    for (int m = 0; m < n; ++m) {
      const long double angle = kTwoPiLong * m / n;
      cosine[static_cast<std::size_t>(m)] = static_cast<double>(std::cos(angle));
      sine[static_cast<std::size_t>(m)] = static_cast<double>(std::sin(angle));
    }
    std::vector<long double> cosine_coef(cosine.size(), 0.0L), sine_coef(sine.size(), 0.0L);
    cosine_coef[1] = n / 2.0L;
    sine_coef[2] = -n / 2.0L;
    EXPECT_LE(relative_error(transform(cosine), cosine_coef), kRelativeTolerance) << "cosine, N = " << n;
    EXPECT_LE(relative_error(transform(sine), sine_coef), kRelativeTolerance) << "sine, N = " << n;
  }
}

// DFFTRI once, then DF2TRF for several sequences, in place as well: the
// results are those of DFFTRF bit for bit and the prepared part of the
// work array stays as it was.
TEST_F(Dfftrf, ReusesOneWorkArrayForManyTransforms) {
  for (const int n : {1, 30, 1024, 1001}) {
    std::vector<double> work(dfftrf_work_size(n));
    DFFTRI(n, work.data());
    const std::vector<double> prepared(work.begin() + n, work.end());
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
      auto seq = random_sequence(n, seed);
      const auto expected = transform(seq);
      std::vector<double> coef(seq.size());
      DF2TRF(n, seq.data(), coef.data(), work.data());
      EXPECT_EQ(coef, expected) << "N = " << n;
      DF2TRF(n, seq.data(), seq.data(), work.data());
      EXPECT_EQ(seq, expected) << "in place, N = " << n;
    }
    EXPECT_EQ(std::vector<double>(work.begin() + n, work.end()), prepared) << "N = " << n;
  }
}

// The work array holds N, the number of factors and the factors: 4s, then
// 2, 3, 5 and odd numbers, a 2 found after 4s moved to the front.  A length
// with more factors than the table holds gets odd factors merged.
TEST_F(Dfftrf, StoresTheFactorsInTheOrderThePassesUseThem) {
  struct Case {
    int n;
    std::vector<double> factors;
  };
  std::vector<double> many{2, 9};
  many.insert(many.end(), 11, 3.0);
  const Case cases[] = {
      {1, {}},
      {2, {2}},
      {8, {2, 4}},
      {32, {2, 4, 4}},
      {6, {2, 3}},
      {120, {2, 4, 3, 5}},
      {10001, {73, 137}},
      {9973, {9973}},
      {2 * 7919, {2, 7919}},
      {2 * 1594323, many},
  };
  for (const Case& c : cases) {
    std::vector<double> work(dfftrf_work_size(c.n));
    DFFTRI(c.n, work.data());
    const double* table = work.data() + 2 * static_cast<std::size_t>(c.n);
    EXPECT_EQ(table[0], c.n);
    EXPECT_EQ(std::vector<double>(table + 2, table + 2 + static_cast<int>(table[1])), c.factors) << "N = " << c.n;
  }
}

// 2 * 3^13 has 14 factors; with two 3s merged into a 9 the transform still
// holds.  A direct sum being too slow here, the input is a few harmonics
// whose coefficients are known.
TEST_F(Dfftrf, TransformsALengthWhoseFactorsWereMerged) {
  const int n = 2 * 1594323;
  struct Line {
    int k;
    double re, im;
  };
  const Line lines[] = {{0, 0.5, 0.0}, {1, 1.0, -2.0}, {1234, -0.75, 0.25}, {n / 2 - 1, 0.125, 1.5}, {n / 2, 2.0, 0.0}};
  std::vector<double> cs(static_cast<std::size_t>(n)), sn(cs.size());
  for (int r = 0; r < n; ++r) {
    const double angle = 6.283185307179586 * r / n;
    cs[static_cast<std::size_t>(r)] = std::cos(angle);
    sn[static_cast<std::size_t>(r)] = std::sin(angle);
  }
  std::vector<double> seq(cs.size(), 0.0);
  std::vector<long double> expected(seq.size(), 0.0L);
  for (const Line& line : lines) {
    const bool real_line = line.k == 0 || 2 * line.k == n;
    const double weight = (real_line ? 1.0 : 2.0) / n;
    std::size_t r = 0;  // k*m mod n
    for (double& x : seq) {
      x += weight * (line.re * cs[r] - line.im * sn[r]);
      r += static_cast<std::size_t>(line.k);
      if (r >= cs.size()) r -= cs.size();
    }
    if (line.k == 0) {
      expected[0] = line.re;
    } else if (2 * line.k == n) {
      expected[static_cast<std::size_t>(n - 1)] = line.re;
    } else {
      expected[static_cast<std::size_t>(2 * line.k - 1)] = line.re;
      expected[2 * static_cast<std::size_t>(line.k)] = line.im;
    }
  }
  EXPECT_LE(relative_error(transform(seq), expected), kRelativeTolerance);
}

TEST_F(Dfftrf, StopsWithATerminalErrorForALengthBelowOne) {
  struct Case {
    const char* routine;
    int n;
    std::function<void(int)> call;
  };
  std::vector<double> data(16), work(64);
  const Case cases[] = {
      {"DFFTRF", 0, [&](int n) { DFFTRF(n, data.data(), data.data()); }},
      {"DFFTRI", -3, [&](int n) { DFFTRI(n, work.data()); }},
      {"DF2TRF", 0, [&](int n) { DF2TRF(n, data.data(), data.data(), work.data()); }},
  };
  for (const Case& c : cases) {
    out.str("");
    reset_error_handler();
    EXPECT_TRUE(stops([&] { c.call(c.n); })) << c.routine;
    EXPECT_EQ(unwrapped(), "\n *** TERMINAL ERROR 1 from " + std::string(c.routine) +
                               ".  The length of the sequence N = " + std::to_string(c.n) +
                               ".  It must be at least 1.\n");
  }
}

// The passes are counted by N and the factor table, never by the data:
// samples that are NaN or infinite end in coefficients that are not
// numbers either.  A factor table that was not prepared (NaN, infinite or
// wrong entries) is refused before any pass.
TEST_F(Dfftrf, EndsForNaNAndInfiniteSamplesAndRefusesABrokenFactorTable) {
  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  for (const int n : {2, 7, 60, 97, 1000}) {
    for (const double bad : {nan, inf, -inf}) {
      std::vector<double> seq = random_sequence(n, 7), coef(static_cast<std::size_t>(n));
      seq[static_cast<std::size_t>(n / 2)] = bad;
      DFFTRF(n, seq.data(), coef.data());
      EXPECT_FALSE(std::isfinite(coef[0])) << n << " " << bad;
    }
  }
  const int n = 60;
  std::vector<double> work(dfftrf_work_size(n)), seq = random_sequence(n, 3), coef(static_cast<std::size_t>(n));
  DFFTRI(n, work.data());
  const std::vector<double> prepared = work;
  const std::size_t table = 2 * static_cast<std::size_t>(n);
  // Entries of the table: N, the number of factors, the first factor.
  for (const std::size_t entry : {table, table + 1, table + 2}) {
    for (const double bad : {nan, inf, -inf, 1.0e9, 0.0}) {
      work = prepared;
      work[entry] = bad;
      out.str("");
      reset_error_handler();
      EXPECT_TRUE(stops([&] { DF2TRF(n, seq.data(), coef.data(), work.data()); })) << entry << " " << bad;
      EXPECT_EQ(unwrapped(),
                "\n *** TERMINAL ERROR 3 from DF2TRF.  The work array WFFTR does not hold the factors of N = 60.  It "
                "must be prepared by DFFTRI for the same N.\n");
    }
  }
}

// The work array for the largest int length needs 34 GB; where the system
// refuses such an allocation (no overcommit beyond memory and swap) the
// failure must be reported, not crash.
TEST_F(Dfftrf, StopsWithATerminalErrorWhenTheWorkArrayCannotBeAllocated) {
  struct sysinfo info {};
  std::ifstream policy("/proc/sys/vm/overcommit_memory");
  int overcommit = 1;
  policy >> overcommit;
  const double needed = static_cast<double>(dfftrf_work_size(INT_MAX)) * sizeof(double);
  if (sysinfo(&info) != 0 || overcommit == 1 ||
      static_cast<double>(info.totalram + info.totalswap) * info.mem_unit >= needed)
    GTEST_SKIP() << "this system may grant the allocation";
  double x = 0.0;
  EXPECT_TRUE(stops([&] { DFFTRF(INT_MAX, &x, &x); }));
  EXPECT_EQ(unwrapped(),
            "\n *** TERMINAL ERROR 2 from DFFTRF.  The required storage cannot be allocated.  The specified N "
            "may be too large, where N = 2147483647.\n");
}

}  // namespace
}  // namespace zelvan::numlib
