// The pieces of the Possio kernel: Romberg quadrature (exact cases, the
// cancellation test, the level bound), E1, C0 and the regular kernel near
// zero distance.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "aero/detail/possio_e1.hpp"
#include "aero/detail/possio_romberg.hpp"
#include "aero/possio_kernel.hpp"
#include "textio/stop.hpp"

namespace zelvan::aero {
namespace {

using Complex = std::complex<double>;

constexpr double kTol = 1e-8;  // the tolerance the kernel passes
// Exact rules are exact only up to the rounding of some hundred terms.
constexpr double kExactRuleTolerance = 1e-13;

struct Reference {
  std::string tag;
  double a = 0.0;
  double b = 0.0;
  Complex value;
};

// The lines of aero/tests/data/possio_reference.txt (tools/gen_possio_reference.py).
std::vector<Reference> references(const std::string& tag) {
  std::ifstream in(std::string(ZELVAN_SOURCE_DIR) + "/aero/tests/data/possio_reference.txt");
  EXPECT_TRUE(in.good()) << "reference data missing";
  std::vector<Reference> found;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Reference r;
    double re = 0.0;
    double im = 0.0;
    fields >> r.tag >> r.a >> r.b >> re >> im;
    r.value = {re, im};
    if (r.tag == tag) found.push_back(r);
  }
  EXPECT_FALSE(found.empty()) << "no reference lines tagged " << tag;
  return found;
}

TEST(RombergQuadrature, GivesZeroForEqualLimitsWithoutEvaluating) {
  int calls = 0;
  const RombergResult r = romberg(
      1.25, 1.25 + 5e-11, [&calls](double) { return Complex(++calls, 0.0); }, kTol);
  EXPECT_EQ(r.value, Complex(0.0, 0.0));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(r.evaluations, 0);
}

TEST(RombergQuadrature, StopsAsSoonAsTheExtrapolatedValueSettles) {
  struct Case {
    const char* label;
    double a, b;
    Complex (*f)(double);
    Complex exact;
    int levels;
  };
  // The trapezoidal rule is exact for a linear integrand (accepted at level
  // 2); a cubic is exact from level 2 on, so its change vanishes at level 3.
  const Case cases[] = {
      {"linear", 0.5, 2.5, [](double u) { return Complex(2.0 * u + 1.0, 3.0 - u); }, Complex(8.0, 3.0), 2},
      {"cubic", -1.0, 2.0, [](double u) { return Complex(u * u * u - 2.0 * u, u * u); }, Complex(0.75, 3.0), 3},
      {"cubic, reversed limits", 2.0, -1.0, [](double u) { return Complex(u * u * u - 2.0 * u, u * u); },
       Complex(-0.75, -3.0), 3},
  };
  for (const Case& c : cases) {
    const RombergResult r = romberg(c.a, c.b, c.f, kTol);
    EXPECT_EQ(r.levels, c.levels) << c.label;
    EXPECT_LE(std::abs(r.value - c.exact), kExactRuleTolerance) << c.label;
    EXPECT_EQ(r.evaluations, 32L * (1L << (c.levels - 1)) + 1) << c.label;
  }
}

TEST(RombergQuadrature, AcceptsAnIntegralThatCancelsToRoundingNoise) {
  // An odd integrand on a symmetric interval: the sums are rounding noise,
  // so the relative change never falls below the tolerance.
  const RombergResult odd = romberg(
      -1.0, 1.0, [](double u) { return Complex(std::sin(u), std::sin(u)); }, kTol);
  EXPECT_EQ(odd.levels, 2);
  EXPECT_LT(std::abs(odd.value), 1e-15);

  // The near-field integrand over [-X, X] at M = 0.1001, X = 3e-5 being
  // the size of the closest collocation-node distances.  Its regular part
  // is computed without subtracting 2i/(pi z) from H1 (which would leave
  // rounding noise of 1e-10 per value, far above the integrand's 1e-6, and
  // run the refinement to the last level), so it settles at once.
  const PossioKernel kernel(0.1001, 0.2);
  const RombergResult near = romberg(
      -3e-5, 3e-5, [&kernel](double u) { return kernel.near_field_integrand(u); }, kTol);
  EXPECT_LE(near.levels, 4);
}

TEST(RombergQuadrature, EndsTheRunWhenTheLevelBoundIsReached) {
  std::string text;
  try {
    romberg(
        0.0, 1.0, [](double u) { return Complex(std::sin(1e6 * u * u), 0.0); }, kTol, 4);
  } catch (const textio::RunStop& stop) {
    EXPECT_EQ(stop.reason(), textio::StopReason::limit_violation);
    text = stop.console_text();
  }
  EXPECT_EQ(text,
            "\n!!! Possio kernel: Romberg quadrature from   0.000000E+00 to    1.00000    \n"
            "    has not converged after  4 levels (       257 integrand values).\n\n"
            "*** ZELVAN terminated due to an error in the Possio solver\n");
}

// The levels are counted, and a change between levels that is not a
// number ends the quadrature at once: an integrand or a limit that is NaN
// or infinite ends the run at level 2, whatever the level bound.
TEST(RombergQuadrature, EndsTheRunAtOnceForNaNAndInfiniteIntegrandsAndLimits) {
  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  struct Case {
    const char* what;
    double a, b, value;
  };
  const Case cases[] = {
      {"integrand NaN", 0.0, 1.0, nan}, {"integrand +Inf", 0.0, 1.0, inf}, {"integrand -Inf", 0.0, 1.0, -inf},
      {"limit NaN", 0.0, nan, 1.0},     {"limit +Inf", 0.0, inf, 1.0},     {"limit -Inf", -inf, 0.0, 1.0},
  };
  for (const Case& c : cases) {
    long evaluations = 0;
    bool stopped = false;
    try {
      romberg(
          c.a, c.b,
          [&](double) {
            ++evaluations;
            return Complex(c.value, 0.0);
          },
          kTol);
    } catch (const textio::RunStop& stop) {
      EXPECT_EQ(stop.reason(), textio::StopReason::limit_violation) << c.what;
      EXPECT_NE(stop.console_text().find("has not converged after  2 levels"), std::string::npos)
          << c.what << "\n"
          << stop.console_text();
      stopped = true;
    }
    EXPECT_TRUE(stopped) << c.what;
    EXPECT_EQ(evaluations, 2 * kRombergFirstIntervals + 1) << c.what;
  }
}

TEST(ExponentialIntegral, MatchesTheReferenceValues) {
  // The series stops after the first term below 1e-10.
  constexpr double kSeriesTolerance = 1e-9;
  for (const Reference& r : references("e1")) {
    EXPECT_LE(std::abs(exp_integral_e1({r.a, r.b}) - r.value), kSeriesTolerance) << "z = " << r.a << "+i" << r.b;
  }
  EXPECT_NEAR(exp_integral_e1({1.0, 0.0}).real(), 0.21938393, 5e-9);
}

TEST(PossioKernelFarField, MatchesAnIndependentQuadratureOfTheSameIntegral) {
  // Both quadratures of C0 are asked for 1e-8 relative.
  constexpr double kC0Tolerance = 1e-7;
  for (const Reference& r : references("c0")) {
    const PossioKernel kernel(r.a, r.b);
    EXPECT_LE(std::abs(kernel.c0() - r.value), kC0Tolerance * std::abs(r.value)) << "M = " << r.a << ", k = " << r.b;
  }
}

TEST(PossioKernelRegularPart, StaysFiniteAsTheDistanceVanishes) {
  // What remains after the 1/X and ln|X| terms are taken out varies like
  // X ln|X|: from |X| = 1e-6 to 1e-8 it moves by about 1e-5.  A wrong
  // singular coefficient c would move it by c * ln(100) instead.
  constexpr double kLimitTolerance = 1e-4;
  PossioKernel kernel(0.5, 0.2);
  for (double side : {-1.0, 1.0}) {
    const Complex near = kernel.k1(side * 1e-8);
    const Complex far = kernel.k1(side * 1e-6);
    EXPECT_LT(std::abs(near - far), kLimitTolerance) << "side " << side;
    EXPECT_LT(std::abs(near), 10.0) << "side " << side;
  }
}

}  // namespace
}  // namespace zelvan::aero
