// The shared record of the Possio integral-equation solver: its settings
// and inputs, set by the driver, and its 3x3 load-coefficient matrix.
#pragma once

#include <array>
#include <complex>
#include <string>

namespace zelvan::aero {

struct PossioBlock {
  // Degrees of freedom computed (plunge, pitch, aileron) and the print
  // switch of the pressure distributions.
  std::array<int, 4> possio_switches{0, 0, 0, 0};
  double xrud = 0.0;                                  // aileron hinge position
  std::string possio_listing = std::string(20, ' ');  // listing file name, 20 characters
  double mach = 0.0;                                  // Mach number
  double omred = 0.0;                                 // reduced frequency
  double xr = 0.0;                                    // pitch axis, half-chord coordinates
  // Load coefficients: rows lift, moment, hinge moment; columns plunge,
  // pitch, aileron; column-major (q[row + 3*column]).
  std::array<std::complex<double>, 9> q{};
};

// The block of the run (aero_state().possio_block).
PossioBlock& possio_block();

}  // namespace zelvan::aero
