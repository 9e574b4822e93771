#include "flutter/vdmplr.hpp"

#include <cmath>

namespace zelvan::flutter {
namespace {
// pi and 2*pi with this routine's own legacy digits: 15 significant digits
// of pi, and a 2*pi three units in the last place above the nearest double.
// The angles it returns (printed in the flutter files) depend on these
// digits, so they are kept apart from the 2*pi of the frequencies.
constexpr double kPolarPi = 3.14159265358979;
constexpr double kPolarTwoPi = 6.283185307179589;
constexpr double kDegrees = 360.0;
constexpr double kTinyMagnitude = 1e-60;
}  // namespace

void VDMPLR(double& re, double& im, double& mag, double& ang, int mode) {
  if (mode == 0) {
    mag = re;
    ang = im;
    return;
  }
  // The last decimal digit decides the direction (mode % 10 keeps the
  // sign, so no negation of the most negative int is needed).
  if (mode % 10 == 1 || mode % 10 == -1) {
    mag = std::sqrt(re * re + im * im);
    if (mag < kTinyMagnitude) {
      mag = 0.0;
      ang = 0.0;
      return;
    }
    ang = std::asin(im / mag);
    if (mode > 0) {
      if (re >= 0.0 && im < 0.0) ang += kPolarTwoPi;
      if (re < 0.0) ang = kPolarPi - ang;
      if (mode == 11) ang = ang * kDegrees / kPolarTwoPi;
    } else {
      if (re < 0.0 && im > 0.0) ang = kPolarPi - ang;
      if (re < 0.0 && im < 0.0) ang = -kPolarPi - ang;
      if (re < 0.0 && im == 0.0) ang = kPolarPi;
      if (mode == -11) ang = ang * kDegrees / kPolarTwoPi;
    }
    return;
  }
  if (mode == 12 || mode == -12) ang = ang * kPolarTwoPi / kDegrees;
  re = mag * std::cos(ang);
  im = mag * std::sin(ang);
}

}  // namespace zelvan::flutter
