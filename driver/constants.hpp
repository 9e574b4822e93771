// The driver's named constants: values the program uses in more than one
// place or whose digits are a deliberate choice.
// Where the full-precision pi is meant (aero, numlib, the Chebyshev nodes
// of the aero route) the code writes std::numbers::pi; the constants below
// are the truncated legacy digits that the byte-exact outputs depend on.
#pragma once

namespace zelvan::driver {

// 2*pi as the driver uses it throughout.  Deliberately truncated to the 15
// significant digits of the legacy program (1e-15 relative below the
// full-precision value): every printed frequency, damping and reduced
// frequency is computed with these digits, and the byte-exact outputs
// depend on them.
inline constexpr double kTwoPi = 6.28318530717958;

// pi and 2*pi of the polar-form conversion VDMPLR, with that routine's own
// legacy digits: 15 significant digits of pi, and a 2*pi three units in the
// last place above the nearest double.  The angles it returns (printed in
// the flutter files) depend on these digits, so they are kept apart from
// kTwoPi.
inline constexpr double kPolarPi = 3.14159265358979;
inline constexpr double kPolarTwoPi = 6.283185307179589;

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
