// Hankel functions of the second kind against libstdc++'s Bessel
// functions, the switch between series and asymptotic expansion, and the
// messages for arguments that are not positive.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <sstream>

#include "aero/detail/hankel.hpp"
#include "textio/console.hpp"

namespace zelvan::aero {
namespace {

using Complex = std::complex<double>;

// Relative error bounds.  The ascending series loses digits to
// cancellation as x grows (terms up to 7e4 near x = 15); the asymptotic
// sums stop at terms below 1e-12 and the phase x - pi/4 carries a rounding
// of about x * 1e-16 (in the oracle too).
constexpr double kSmallArgumentTolerance = 1e-13;  // x <= 5
constexpr double kSeriesTolerance = 5e-11;         // 5 < x <= 15
constexpr double kAsymptoticTolerance = 2e-12;     // x > 15

Complex oracle(int order, double x) {
  return {std::cyl_bessel_j(double(order), x), -std::cyl_neumann(double(order), x)};
}

double tolerance_for(double x) {
  if (x <= 5.0) return kSmallArgumentTolerance;
  if (x <= 15.0) return kSeriesTolerance;
  return kAsymptoticTolerance;
}

TEST(HankelFunctions, AgreeWithTheBesselFunctionsOfTheStandardLibrary) {
  for (double x :
       {1e-7, 0.01, 0.3, 1.0, 2.5, 5.0, 7.7, 10.0, 12.5, 14.0, 15.0, 15.000001, 17.0, 25.0, 60.0, 300.0, 5000.0}) {
    Complex h0(0.0, 0.0);
    Complex h1(0.0, 0.0);
    hankel_h0(x, h0);
    hankel_h1(x, h1);
    EXPECT_LE(std::abs(h0 - oracle(0, x)), tolerance_for(x) * std::abs(oracle(0, x))) << "H0 at x = " << x;
    EXPECT_LE(std::abs(h1 - oracle(1, x)), tolerance_for(x) * std::abs(oracle(1, x))) << "H1 at x = " << x;
  }
}

TEST(HankelFunctions, SwitchToTheAsymptoticExpansionJustAboveFifteen) {
  // Both sides of the switch agree to a few parts in 1e11.
  constexpr double kSwitchAgreement = 5e-11;
  const double above = std::nextafter(15.0, 20.0);
  Complex at0, above0, at1, above1;
  hankel_h0(15.0, at0);
  hankel_h0(above, above0);
  hankel_h1(15.0, at1);
  hankel_h1(above, above1);
  EXPECT_EQ(at0, hankel_detail::h0_series(15.0));
  EXPECT_EQ(above0, hankel_detail::asymptotic<0>(above));
  EXPECT_EQ(above1, hankel_detail::asymptotic<1>(above));
  EXPECT_LE(std::abs(at0 - above0), kSwitchAgreement * std::abs(at0));
  EXPECT_LE(std::abs(at1 - above1), kSwitchAgreement * std::abs(at1));
}

TEST(HankelFunctions, KeepTheRegularPartOfH1AccurateWhere2iOverPiXDominates) {
  // H1 - 2i/(pi x) = (x/2)(1 - i (2/pi)(ln(x/2) + gamma - 1/2)) + O(x^3 ln x).
  constexpr double kLeadingTermTolerance = 1e-12;
  const double x = 1e-7;
  const double pi = std::acos(-1.0);
  const Complex reg = hankel_detail::h1_regular(x);
  EXPECT_NEAR(reg.real() / (x / 2.0), 1.0, kLeadingTermTolerance);
  EXPECT_NEAR(reg.imag() / (-(x / pi) * (std::log(x / 2.0) + 0.5772156649015328 - 0.5)), 1.0, kLeadingTermTolerance);
}

TEST(HankelFunctions, ReportArgumentsThatAreNotPositiveAndLeaveTheResult) {
  struct Case {
    double x;
    const char* expected;
  };
  for (const Case& c : {Case{0.0,
                             "  x =   0.0000D+00  No computation of H02(x)!\n"
                             "  x =   0.0000D+00  No computation of H12(x)!\n"},
                        Case{-2.5,
                             "  x =  -0.2500D+01  No computation of H02(x)!\n"
                             "  x =  -0.2500D+01  No computation of H12(x)!\n"}}) {
    std::ostringstream console;
    textio::ConsoleRedirect redirect(console);
    Complex h0(1.5, -2.5);
    Complex h1(3.5, 4.5);
    hankel_h0(c.x, h0);
    hankel_h1(c.x, h1);
    EXPECT_EQ(console.str(), c.expected);
    EXPECT_EQ(h0, Complex(1.5, -2.5));
    EXPECT_EQ(h1, Complex(3.5, 4.5));
  }
}

}  // namespace
}  // namespace zelvan::aero
