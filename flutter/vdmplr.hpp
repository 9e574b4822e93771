// Conversion of a complex number between rectangular and polar form.
#pragma once

namespace zelvan::flutter {

// VDMPLR(re, im, mag, ang, mode):
//   mode 0            mag = re, ang = im (plain copy);
//   mode 1 / 11       rectangular to polar, angle in [0, 2*pi) radians /
//                     [0, 360) degrees;
//   mode -1 / -11     rectangular to polar, angle in (-pi, pi] radians /
//                     (-180, 180] degrees;
//   mode 12 / -12     polar to rectangular, ang in degrees (converted to
//                     radians in place first);
//   other modes       by their last decimal digit: 1 acts as +-1 (radians),
//                     anything else is polar to rectangular in radians.
// A magnitude below 1e-60 gives mag = 0 and ang = 0.
void VDMPLR(double& re, double& im, double& mag, double& ang, int mode);

}  // namespace zelvan::flutter
