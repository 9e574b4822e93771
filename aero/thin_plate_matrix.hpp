// The aerodynamic matrix of thin-plate theory: cnm3dk's coefficients
// scaled to the loads per unit dynamic pressure.
#pragma once

#include <array>
#include <complex>
#include <string_view>

namespace zelvan::aero {

// A complex 2x2 matrix, column-major (element (i, j) at [i + 2*j]).
using Matrix2 = std::array<std::complex<double>, 4>;

// The thin-plate matrix at reduced frequency k (k >= 0) for the pitch axis
// x_p (chord fraction) at Mach number `mach` (|mach| < 1, Prandtl-Glauert
// factor beta = 1/sqrt(1 - Ma^2)), scaled by aero_scale:
//   Q11 = f i k c1,  Q12 = f (c1 + c3),  Q21 = -f i k c2,  Q22 = -f (c2 + c4),
// f = 2 pi beta aero_scale (kTwoPi), column-major {Q11, Q21, Q12, Q22}.
// A library error of the Bessel functions (k < 0, or k positive below about
// 3.5e-308) ends the run after a note naming the reduced frequency as
// `frequency_name` with k and x_p.
Matrix2 thin_plate_matrix(double k, double x_p, double mach, double aero_scale, std::string_view frequency_name);

// The same matrix with the value ck of the circulation function given in
// place of Theodorsen's C(k) (aero/cnm3dk.hpp, plate_coefficients): for
// approximations of C, such as R. T. Jones's.  Any k, x_p; |mach| < 1.  No
// failure.
Matrix2 plate_matrix(double k, double x_p, double mach, double aero_scale, std::complex<double> ck);

}  // namespace zelvan::aero
