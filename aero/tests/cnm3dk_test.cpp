// Thin-plate coefficients: the Theodorsen function against independent
// high-precision values, its limits and cache, and the loads about any
// pitch axis against the classical closed-form expressions.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "aero/cnm3dk.hpp"
#include "numlib/numlib.hpp"
#include "textio/textio.hpp"

namespace zelvan::aero {
namespace {

using cplx = std::complex<double>;
constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr cplx kI(0.0, 1.0);

// C(k) is a quotient of sums of four Bessel values, each good to a few
// roundings of its own size (or of its neighbour's near a zero).
constexpr double kTheodorsenTolerance = 16.0 * kEps;
// The quoted 10-decimal values are rounded to half a unit of 1e-10.
constexpr double kTenDecimalTolerance = 0.6e-10;
// The tabulated values at k = 0.3 and 1 carry four decimals.
constexpr double kFourDecimalTolerance = 0.6e-4;
// The loads sum terms up to k^2 (1 + |a|)^2 in size, each rounded a few
// times.
constexpr double kLoadTolerance = 32.0 * kEps;

struct Coefficients {
  cplx c1, c2, c3, c4;
};

Coefficients coefficients(double k, double x_p) {
  Coefficients c;
  cnm3dk(k, x_p, c.c1, c.c2, c.c3, c.c4);
  return c;
}

// C(k) as the routine holds it (c1 = C + i k/2 for every axis).
cplx theodorsen(double k) { return coefficients(k, 0.25).c1 - kI * (0.5 * k); }

class ThinPlate : public ::testing::Test {
 protected:
  void SetUp() override {
    numlib::reset_error_handler();
    reset_cnm3dk();
  }
  void TearDown() override { numlib::reset_error_handler(); }

  std::ostringstream out;
  textio::ConsoleRedirect redirect{out};
};

TEST_F(ThinPlate, TheodorsenFunctionMatchesHighPrecisionValuesFrom0p01To10) {
  std::ifstream in(std::string(ZELVAN_SOURCE_DIR) + "/aero/tests/data/theodorsen_reference.txt");
  int rows = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    double k = 0.0, re = 0.0, im = 0.0;
    fields >> k >> re >> im;
    const cplx expected(re, im);
    EXPECT_LE(std::abs(theodorsen(k) - expected), kTheodorsenTolerance * std::abs(expected)) << "k = " << k;
    ++rows;
  }
  EXPECT_GT(rows, 100) << "reference table missing or short";
}

TEST_F(ThinPlate, TheodorsenFunctionGivesTheQuotedValues) {
  const struct {
    double k;
    cplx expected;
    double tolerance;
  } cases[] = {
      {0.1, {0.8319241050, -0.1723022287}, kTenDecimalTolerance}, {0.3, {0.6650, -0.1793}, kFourDecimalTolerance},
      {0.5, {0.5979360643, -0.1507095032}, kTenDecimalTolerance}, {1.0, {0.5394, -0.1003}, kFourDecimalTolerance},
      {2.0, {0.5129548124, -0.0576912834}, kTenDecimalTolerance},
  };
  for (const auto& c : cases) {
    const cplx value = theodorsen(c.k);
    EXPECT_NEAR(value.real(), c.expected.real(), c.tolerance) << "k = " << c.k;
    EXPECT_NEAR(value.imag(), c.expected.imag(), c.tolerance) << "k = " << c.k;
  }
}

TEST_F(ThinPlate, TheodorsenFunctionTendsToOneAndToOneHalf) {
  // Bounds: twice the leading term of 1 - C (k |ln k|) and of C - 1/2
  // (1/(8k)).
  const struct {
    double k, limit, bound;
  } cases[] = {
      {1e-9, 1.0, 2e-9 * std::fabs(std::log(1e-9))},
      {1e-6, 1.0, 2e-6 * std::fabs(std::log(1e-6))},
      {1e3, 0.5, 1.0 / 4e3},
      {1e6, 0.5, 1.0 / 4e6},
  };
  for (const auto& c : cases) EXPECT_LE(std::abs(theodorsen(c.k) - c.limit), c.bound) << "k = " << c.k;
}

TEST_F(ThinPlate, FirstCallAtZeroFrequencyGivesTheSteadyPlateWithoutBesselFunctions) {
  const Coefficients c = coefficients(0.0, 0.25);
  EXPECT_EQ(c.c1, cplx(1.0, 0.0));
  EXPECT_EQ(c.c2, cplx(0.0, 0.0));
  EXPECT_EQ(c.c3, cplx(0.0, 0.0));
  EXPECT_EQ(c.c4, cplx(0.0, 0.0));
  EXPECT_EQ(cnm3dk_theodorsen_evaluations(), 0);
}

TEST_F(ThinPlate, KeepsTheTheodorsenFunctionOfTheLastFrequency) {
  const Coefficients first = coefficients(0.37, 0.4);
  EXPECT_EQ(cnm3dk_theodorsen_evaluations(), 1);
  const Coefficients again = coefficients(0.37, 0.4);
  EXPECT_EQ(cnm3dk_theodorsen_evaluations(), 1) << "the same k must reuse C(k)";
  EXPECT_EQ(again.c1, first.c1);
  EXPECT_EQ(again.c2, first.c2);
  EXPECT_EQ(again.c3, first.c3);
  EXPECT_EQ(again.c4, first.c4);
  coefficients(0.37, 0.25);
  EXPECT_EQ(cnm3dk_theodorsen_evaluations(), 1) << "another axis needs no new C(k)";
  coefficients(std::nextafter(0.37, 1.0), 0.25);
  EXPECT_EQ(cnm3dk_theodorsen_evaluations(), 2) << "any other k is evaluated";
}

TEST_F(ThinPlate, ZeroFrequencyAfterAnotherGivesTheLimitOneWithoutBesselFunctions) {
  coefficients(0.8, 0.25);
  const Coefficients c = coefficients(0.0, 0.25);
  EXPECT_EQ(c.c1, cplx(1.0, 0.0));
  EXPECT_EQ(c.c3, cplx(0.0, 0.0));
  EXPECT_EQ(cnm3dk_theodorsen_evaluations(), 1);
  EXPECT_EQ(out.str(), "");
}

TEST_F(ThinPlate, NegativeFrequencyEndsTheRunInTheBesselFunctionOfTheSecondKind) {
  bool stopped = false;
  try {
    coefficients(-0.5, 0.25);
  } catch (const textio::RunStop&) {
    stopped = true;
  }
  EXPECT_TRUE(stopped);
  EXPECT_NE(out.str().find("TERMINAL ERROR 1 from DBSY0."), std::string::npos) << out.str();
}

TEST_F(ThinPlate, TakesTheAxisTransferForAnyAxisButExactlyTheQuarterChord) {
  const double k = 0.6;
  const Coefficients quarter = coefficients(k, 0.25);
  EXPECT_EQ(quarter.c2, cplx(0.0, -k / 8.0));
  const double next = std::nextafter(0.25, 1.0);
  const Coefficients moved = coefficients(k, next);
  EXPECT_EQ(moved.c1, quarter.c1);
  EXPECT_EQ(moved.c2, quarter.c2 + (next - 0.25) * quarter.c1);
  EXPECT_NE(moved.c2.real(), 0.0);
}

// The classical loads of a plate in harmonic plunge h (h/b = 1) and pitch
// (alpha = 1) about the axis a half chords aft of mid-chord, written out
// independently of the routine: lift over 2 pi rho U^2 b, moment (nose-down
// positive) over 4 pi rho U^2 b^2, so that they compare with i k c1,
// c1 + c3, -i k c2 and -(c2 + c4).
struct Loads {
  cplx lift_plunge, lift_pitch, moment_plunge, moment_pitch;
};

Loads classical_loads(double k, double a, cplx C) {
  const cplx downwash_plunge = kI * k;                   // hdot/U
  const cplx downwash_pitch = 1.0 + kI * k * (0.5 - a);  // alpha + b (1/2 - a) alphadot/U
  Loads l;
  l.lift_plunge = -0.5 * k * k + C * downwash_plunge;
  l.lift_pitch = 0.5 * kI * k + 0.5 * a * k * k + C * downwash_pitch;
  const cplx moment_nose_up_plunge = 0.25 * (-a * k * k) + 0.5 * (a + 0.5) * C * downwash_plunge;
  const cplx moment_nose_up_pitch =
      0.25 * (-kI * k * (0.5 - a) + k * k * (0.125 + a * a)) + 0.5 * (a + 0.5) * C * downwash_pitch;
  l.moment_plunge = -moment_nose_up_plunge;
  l.moment_pitch = -moment_nose_up_pitch;
  return l;
}

TEST_F(ThinPlate, LoadsAboutAnyAxisMatchTheClassicalExpressions) {
  for (const double k : {0.05, 0.3, 1.0, 4.5}) {
    const cplx C = theodorsen(k);
    for (const double x_p : {-0.2, 0.0, 0.25, 0.35, 0.5, 1.0}) {
      const Coefficients c = coefficients(k, x_p);
      const Loads expected = classical_loads(k, 2.0 * x_p - 1.0, C);
      const double arm = 1.0 + std::fabs(2.0 * x_p - 1.0);
      const double tolerance = kLoadTolerance * (1.0 + k * k) * arm * arm;
      EXPECT_LE(std::abs(kI * k * c.c1 - expected.lift_plunge), tolerance) << k << " " << x_p;
      EXPECT_LE(std::abs(c.c1 + c.c3 - expected.lift_pitch), tolerance) << k << " " << x_p;
      EXPECT_LE(std::abs(-kI * k * c.c2 - expected.moment_plunge), tolerance) << k << " " << x_p;
      EXPECT_LE(std::abs(-(c.c2 + c.c4) - expected.moment_pitch), tolerance) << k << " " << x_p;
    }
  }
}

}  // namespace
}  // namespace zelvan::aero
