// The driver's named constants: values the program uses in more than one
// place or whose digits are a deliberate choice.
// Where the full-precision pi is meant (aero, numlib, the Chebyshev nodes
// of the coefficient grid) the code writes std::numbers::pi; kTwoPi below
// and the polar-form conversion's own pi (flutter/vdmplr.cpp) are the
// truncated legacy digits that the byte-exact outputs depend on.
#pragma once

#include "aero/flow.hpp"

namespace zelvan::driver {

// 2*pi as the driver uses it throughout: the truncated legacy digits of
// aero::kTwoPi, which the byte-exact outputs depend on.
inline constexpr double kTwoPi = aero::kTwoPi;

// An input value or a denominator of at most this magnitude counts as zero
// (an absolute threshold of the legacy program): a zero mass or
// aerodynamic scale factor means "not given, 1", a zero reduced frequency
// selects the external coefficients, and a zero denominator gives a zero
// eigenvector ratio.
inline constexpr double kNegligible = 1e-10;

// The dynamic-pressure sweep's values when the input file has no sweep
// block: the one place they are written.
struct SweepDefaults {
  double x_ref;            // m, reference length
  double rho;              // kg/m^3, air density
  double q_start;          // N/m^2, start of the sweep
  int nstep;               // parts of f_s per sweep step
  int nextra;              // additional sweep steps
  int coupling_tolerance;  // spectral lines for strong coupling
};
inline constexpr SweepDefaults kSweepDefaults{1.0, 1.2, 0.0, 20, 5, 5};

}  // namespace zelvan::driver
