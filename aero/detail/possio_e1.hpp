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

namespace zelvan::aero {

// E1(z) to rounding, for the fast kernel: the power series (A&S 5.1.11)
// summed until its terms no longer change the sum for |z| <= 5 (its terms
// grow to at most e^5 / 5^1.5, about 13 times the result), and beyond the
// continued fraction (A&S 5.1.22; even form DLMF 6.9.1)
//   E1(z) = e^{-z} / (z + 1 - 1^2/(z + 3 - 2^2/(z + 5 - ...)))
// by the modified Lentz method, stopped when a step changes the value by
// less than 3e-16 relative (40 steps at |z| = 5 on the imaginary axis, 10
// at |z| = 25).  z: complex argument, domain z != 0 and Re z >= 0 (the
// kernel takes it on the imaginary axis); the result has a relative
// error of a few units of 1e-16.  Off the domain the continued fraction
// converges slowly or not at all; after 1000 steps the value reached is
// returned.  No failure is reported.
std::complex<double> exp_integral_e1_accurate(std::complex<double> z);

}  // namespace zelvan::aero
