// The flutter eigenproblem at one dynamic pressure, and the tracking of its
// two modes from step to step of a sweep.
#pragma once

#include <array>
#include <complex>
#include <span>
#include <vector>

#include "aero/thin_plate_matrix.hpp"

namespace zelvan::flutter {

using zcomplex = std::complex<double>;

// A complex 2x2 matrix, column-major (element (i, j) at [i + 2*j]).
using Matrix2 = aero::Matrix2;

// The structural data of the eigenproblem M^-1 (K + q Q) x = lambda x.
struct FlutterSystem {
  std::array<double, 4> mass_inverse{};  // M^-1, column-major
  std::array<double, 4> stiffness{};     // K (with K_m), column-major
  double rho = 1.2;                      // kg/m^3
  double x_ref = 1.0;                    // m, reference length (the chord)
};

// One eigen-solution: lambda, W = sqrt(lambda) (principal root), the
// frequency f = Re W / 2pi [Hz], the decay rate d = Im W / 2pi [1/s]
// (positive: the mode decays), the logarithmic decrement g = 2pi d / f (NaN
// at f = 0), the eigenvector scaled to e1 = 1 and its ratio pitch/plunge
// with magnitude and phase [deg], exactly as the flutter table prints them.
struct FlutterMode {
  zcomplex lambda, W;
  double f = 0.0, d = 0.0, g = 0.0;
  zcomplex e1, ratio;
  double magnitude = 0.0, phase = 0.0;
};

// Both eigen-solutions of one dynamic pressure in the order of the flutter
// table (mode 1: the eigenvalue of larger modulus), q [N/m^2] and the flow
// speed u = sqrt(2|q|/rho) [m/s].
struct FlutterStep {
  double q = 0.0, u = 0.0;
  std::array<FlutterMode, 2> modes{};
};

// The mode of eigenvalue lambda = W^2 with eigenvector (v1, v2): W the
// principal square root, scaled to e1 = 1 (v1 taken as 1 where it is below
// 1e-10, a mode without plunge component), the ratio in polar form.
FlutterMode mode_of(zcomplex lambda, zcomplex v1, zcomplex v2);

// Solves the eigenproblem at dynamic pressure q with the aerodynamic matrix
// `aero` (column-major, per unit dynamic pressure) by ZGEMM and DEVCCG.  A
// pure function of its arguments; a library error of DEVCCG ends the run,
// its message preceded by a note naming q (msg::kNoteFlutterStep).
FlutterStep solve_flutter_step(const FlutterSystem& system, const Matrix2& aero, double q);

// The index (0 or 1) of the mode of `step` whose W is closest to `W`; the
// eigenvector ratio closest to `ratio` breaks a tie.
int closest_mode(const FlutterStep& step, zcomplex W, zcomplex ratio);

// The two tracked modes of a sweep: column[m][i] is the table column
// (0: mode 1, 1: mode 2) that tracked mode m takes at step i.  Tracked mode
// 0 is the one that starts from the structural mode f_0_1, tracked mode 1
// the one from f_0_2.
struct TrackedModes {
  std::array<std::vector<int>, 2> column;
};

// Assigns each step's two eigen-solutions to the two tracked modes by
// continuity: of the two pairings with the previous step, the one with the
// smaller sum of |delta W| (relative ties, below 1e-12 of the scale, broken
// by the eigenvector ratios).  The structural solution `start` (q = 0)
// precedes the first step; its mode whose frequency is closer to f_0_1 is
// tracked mode 0 (mode 1 of `start` when f_0_1 has no value).
TrackedModes track_modes(const FlutterStep& start, double f_0_1, std::span<const FlutterStep> steps);

}  // namespace zelvan::flutter
