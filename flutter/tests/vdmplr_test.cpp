// VDMPLR, the conversion between the rectangular and the polar form of a
// complex number: every mode of its table, checked against the polar form
// computed here with atan2 and against cos/sin for the way back.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "flutter/vdmplr.hpp"
#include "test_support/by_label.hpp"

namespace zelvan::flutter {
namespace {

// The routine takes the angle from asin and uses pi to 15 digits; both
// stay within a few 1e-15 radians of atan2's angle.
constexpr double kAngleTolerance = 1e-13;
// The same in degrees (times 180/pi).
constexpr double kDegreeTolerance = 1e-11;
// Magnitudes and rectangular parts: a few roundings of sqrt, cos and sin.
constexpr double kValueTolerance = 1e-14;

constexpr double kPi = 3.141592653589793;
// A value the routine must overwrite.
constexpr double kStale = -777.0;

enum class Expect { polar, rectangular, copy };

struct VdmplrCase {
  const char* label;
  double re, im, mag, ang;  // inputs (the outputs start stale)
  int mode;
  Expect expect;
  double expected_ang;              // polar: the angle; rectangular: ang after the call
  double expected_re, expected_im;  // rectangular only
};

void PrintTo(const VdmplrCase& c, std::ostream* os) { *os << c.label; }

class Vdmplr : public ::testing::TestWithParam<VdmplrCase> {};

TEST_P(Vdmplr, ConvertsInTheDirectionAndUnitItsModeSelects) {
  const VdmplrCase& c = GetParam();
  double re = c.re, im = c.im, mag = c.mag, ang = c.ang;
  VDMPLR(re, im, mag, ang, c.mode);
  switch (c.expect) {
    case Expect::copy:
      EXPECT_EQ(mag, c.re);
      EXPECT_EQ(ang, c.im);
      EXPECT_EQ(re, c.re);
      EXPECT_EQ(im, c.im);
      break;
    case Expect::polar: {
      EXPECT_NEAR(mag, std::hypot(c.re, c.im), kValueTolerance * std::hypot(c.re, c.im));
      const bool degrees = c.mode == 11 || c.mode == -11;
      EXPECT_NEAR(ang, c.expected_ang, degrees ? kDegreeTolerance : kAngleTolerance);
      EXPECT_EQ(re, c.re);  // the rectangular form is left alone
      EXPECT_EQ(im, c.im);
      break;
    }
    case Expect::rectangular:
      EXPECT_DOUBLE_EQ(ang, c.expected_ang);
      EXPECT_NEAR(re, c.expected_re, kValueTolerance * c.mag);
      EXPECT_NEAR(im, c.expected_im, kValueTolerance * c.mag);
      EXPECT_EQ(mag, c.mag);
      break;
  }
}

// The polar case: (re, im) in, the angle expected.
VdmplrCase polar(const char* label, double re, double im, int mode, double expected_ang) {
  return {label, re, im, kStale, kStale, mode, Expect::polar, expected_ang, 0.0, 0.0};
}

// The rectangular case: (mag, ang) in; ang after the call and (re, im).
VdmplrCase rectangular(const char* label, double mag, double ang, int mode, double ang_after) {
  return {label,
          kStale,
          kStale,
          mag,
          ang,
          mode,
          Expect::rectangular,
          ang_after,
          mag * std::cos(ang_after),
          mag * std::sin(ang_after)};
}

constexpr double kDegree = 2.0 * kPi / 360.0;

INSTANTIATE_TEST_SUITE_P(
    ModeTable, Vdmplr,
    ::testing::Values(
        VdmplrCase{"ModeZeroCopies", 3.0, -4.0, kStale, kStale, 0, Expect::copy, 0.0, 0.0, 0.0},

        // Mode 1: radians in [0, 2 pi), one case per quadrant and axis.
        polar("Mode1FirstQuadrant", 1.0, 2.0, 1, std::atan2(2.0, 1.0)),
        polar("Mode1SecondQuadrant", -1.0, 2.0, 1, std::atan2(2.0, -1.0)),
        polar("Mode1ThirdQuadrant", -1.0, -2.0, 1, std::atan2(-2.0, -1.0) + 2.0 * kPi),
        polar("Mode1FourthQuadrant", 1.0, -2.0, 1, std::atan2(-2.0, 1.0) + 2.0 * kPi),
        polar("Mode1PositiveRealAxis", 2.0, 0.0, 1, 0.0), polar("Mode1NegativeRealAxis", -2.0, 0.0, 1, kPi),
        polar("Mode1NegativeImaginaryAxis", 0.0, -1.0, 1, 1.5 * kPi),

        // Mode 11: the same in degrees in [0, 360).
        polar("Mode11SecondQuadrant", -1.0, 1.0, 11, 135.0), polar("Mode11ThirdQuadrant", -1.0, -1.0, 11, 225.0),
        polar("Mode11NegativeRealAxis", -1.0, 0.0, 11, 180.0),
        polar("Mode11NegativeImaginaryAxis", 0.0, -1.0, 11, 270.0),

        // Mode -1: radians in (-pi, pi].
        polar("ModeMinus1FirstQuadrant", 3.0, 4.0, -1, std::atan2(4.0, 3.0)),
        polar("ModeMinus1SecondQuadrant", -3.0, 4.0, -1, std::atan2(4.0, -3.0)),
        polar("ModeMinus1ThirdQuadrant", -3.0, -4.0, -1, std::atan2(-4.0, -3.0)),
        polar("ModeMinus1FourthQuadrant", 3.0, -4.0, -1, std::atan2(-4.0, 3.0)),
        polar("ModeMinus1NegativeRealAxisIsPlusPi", -2.0, 0.0, -1, kPi),
        polar("ModeMinus1NegativeRealAxisWithNegativeZeroIsPlusPi", -2.0, -0.0, -1, kPi),

        // Mode -11: degrees in (-180, 180].
        polar("ModeMinus11NegativeRealAxis", -1.0, 0.0, -11, 180.0),
        polar("ModeMinus11NegativeImaginaryAxis", 0.0, -1.0, -11, -90.0),
        polar("ModeMinus11ThirdQuadrant", -1.0, -1.0, -11, -135.0),
        polar("ModeMinus11SecondQuadrant", -1.0, 1.0, -11, 135.0),

        // Other modes ending in 1 act as +-1: radians, never degrees.
        polar("Mode21ActsAs1", -1.0, -1.0, 21, 1.25 * kPi), polar("Mode111ActsAs1NotAs11", 0.0, -1.0, 111, 1.5 * kPi),
        polar("ModeMinus31ActsAsMinus1", -1.0, -1.0, -31, -0.75 * kPi),
        polar("ModeMinus111ActsAsMinus1NotAsMinus11", 0.0, -1.0, -111, -0.5 * kPi),

        // Polar to rectangular: degrees only for exactly +-12.
        rectangular("Mode12ConvertsDegreesInPlace", 2.0, 90.0, 12, 90.0 * 6.283185307179589 / 360.0),
        rectangular("ModeMinus12ConvertsDegreesInPlace", 2.0, 225.0, -12, 225.0 * 6.283185307179589 / 360.0),
        rectangular("Mode2TakesRadians", 2.0, 0.75, 2, 0.75),
        rectangular("ModeMinus5TakesRadians", 1.5, -2.0, -5, -2.0),
        rectangular("Mode112TakesRadians", 1.0, 30.0 * kDegree, 112, 30.0 * kDegree),
        rectangular("ModeMinus22TakesRadians", 1.0, 3.0, -22, 3.0),
        rectangular("MostNegativeModeTakesRadians", 1.0, 3.0, std::numeric_limits<int>::min(), 3.0)),
    test_support::ByLabel{});

TEST(Vdmplr, InMode12TurnsMagnitude2At90DegreesInto2iAndLeavesTheAngleInRadians) {
  double re = kStale, im = kStale, mag = 2.0, ang = 90.0;
  VDMPLR(re, im, mag, ang, 12);
  EXPECT_NEAR(re, 0.0, kValueTolerance);
  EXPECT_DOUBLE_EQ(im, 2.0);
  EXPECT_DOUBLE_EQ(ang, kPi / 2.0);
}

// Below 1e-60 the magnitude is zero and the angle 0, in every
// rectangular-to-polar mode; at 1e-60 the angle is computed.
struct TinyCase {
  const char* label;
  double re, im;
  int mode;
  double mag, ang;
};

void PrintTo(const TinyCase& c, std::ostream* os) { *os << c.label; }

class VdmplrTinyMagnitude : public ::testing::TestWithParam<TinyCase> {};

TEST_P(VdmplrTinyMagnitude, IsZeroWithAZeroAngleBelow1eMinus60) {
  const TinyCase& c = GetParam();
  double re = c.re, im = c.im, mag = kStale, ang = kStale;
  VDMPLR(re, im, mag, ang, c.mode);
  EXPECT_EQ(mag, c.mag);
  EXPECT_NEAR(ang, c.ang, kDegreeTolerance);
}

INSTANTIATE_TEST_SUITE_P(Limit, VdmplrTinyMagnitude,
                         ::testing::Values(TinyCase{"ZeroMode11", 0.0, 0.0, 11, 0.0, 0.0},
                                           TinyCase{"NegativeTinyMode11", -5e-61, -5e-61, 11, 0.0, 0.0},
                                           TinyCase{"NegativeTinyModeMinus11", -9e-61, 0.0, -11, 0.0, 0.0},
                                           TinyCase{"TinyMode1", 0.0, -9e-61, 1, 0.0, 0.0},
                                           TinyCase{"AboveTheLimitTheAngleCounts", -2e-60, 0.0, -11, 2e-60, 180.0}),
                         test_support::ByLabel{});

}  // namespace
}  // namespace zelvan::flutter
