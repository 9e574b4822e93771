#include "driver/vdmplr.hpp"

#include <cmath>

namespace zelvan::driver {
namespace {
// This routine's own constants.
constexpr double kPi = 3.14159265358979;
constexpr double kTwoPi = 6.283185307179589;
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
      if (re >= 0.0 && im < 0.0) ang += kTwoPi;
      if (re < 0.0) ang = kPi - ang;
      if (mode == 11) ang = ang * kDegrees / kTwoPi;
    } else {
      if (re < 0.0 && im > 0.0) ang = kPi - ang;
      if (re < 0.0 && im < 0.0) ang = -kPi - ang;
      if (re < 0.0 && im == 0.0) ang = kPi;
      if (mode == -11) ang = ang * kDegrees / kTwoPi;
    }
    return;
  }
  if (mode == 12 || mode == -12) ang = ang * kTwoPi / kDegrees;
  re = mag * std::cos(ang);
  im = mag * std::sin(ang);
}

}  // namespace zelvan::driver
