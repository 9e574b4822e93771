// Exponential integral E1(z) of a complex argument by its power series,
// as the Possio kernel uses it.
#pragma once

#include <complex>

namespace zelvan::aero {

// E1(z) = -gamma - ln z - sum_{n>=1} (-z)^n / (n * n!), with the principal
// logarithm.  z: complex argument, z != 0 (z = 0 gives an infinite real
// part).  The series stops after the first term below 1e-10 in modulus,
// so the absolute error is about 1e-10 for |z| up to a few units; for
// large |z| the alternating terms grow to about e^|z| / |z| and the
// cancellation costs that many digits (|z| = 20 leaves about 1e-8).  No
// failure is reported.
std::complex<double> exp_integral_e1(std::complex<double> z);

}  // namespace zelvan::aero
