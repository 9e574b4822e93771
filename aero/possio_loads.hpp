// The Possio integral-equation solver: unsteady lift, moment and hinge
// moment of a thin profile oscillating harmonically in subsonic
// compressible flow, by collocation.
//
// The pressure difference is expanded in 21 chordwise modes
//   dcp(theta) = sum_n a_n sin((2n-1) theta/2) / cos(theta/2),  x = cos theta,
// which vanish at the trailing edge and have the inverse-square-root
// singularity at the leading edge.  The downwash condition is imposed at 21
// collocation points x_i = cos((2i-1) pi/43); the singular part of the
// kernel is integrated analytically, the regular part by the trapezoidal
// rule in theta on 171 points around the circle (folded to 85), the
// regular kernel itself by the fast evaluation of possio_fast_kernel.hpp
// (assemble_by_quadrature() keeps the quadrature of every value).  One
// complex 21 x 21 system is built per call and solved for each requested
// degree of freedom.
#pragma once

#include <array>
#include <complex>
#include <cstddef>

#include "aero/possio_block.hpp"
#include "aero/possio_fast_kernel.hpp"

namespace zelvan::aero {

// Modes of the pressure expansion, and collocation points.
inline constexpr int kPossioModes = 21;

// The collocation matrix, column-major: A(i, n) = matrix[(i-1) + 21*(n-1)],
// row i the collocation point, column n the mode.
using PossioMatrix = std::array<std::complex<double>, std::size_t{kPossioModes} * kPossioModes>;

// Counts of one assembly, for the benchmark.
struct PossioSolveStatistics {
  long kernel_calls = 0;         // regular-kernel evaluations (21 x 85)
  long hankel_evaluations = 0;   // near- and far-field integrand values (fast: all of them)
  long fresnel_evaluations = 0;  // integrand values of the Fresnel tail of C0
};

class PossioSolver {
 public:
  // Solves for the degrees of freedom selected in `block` and stores
  // their columns of block.q; other columns are left as they were.  The
  // same as assemble(block.mach, block.omred) followed by
  // store_loads(block).
  //
  // Reads: mach (M, domain 0.1 <= M < 1), omred (reduced frequency k on
  // the half chord, 0 < k and 2k/(1 - M^2) <= 25), xr (pitch axis, half
  // chords, -1 leading edge, +1 trailing edge), xrud (aileron hinge,
  // -1 <= xrud <= 1), possio_switches (entry d = 1..3: degree of freedom
  // d, plunge / pitch / aileron, is computed when it equals 1; entry 4
  // equal to 1 prints the pressure distributions), possio_listing
  // (listing file name, trailing blanks dropped).
  // Writes: q(1..3, d) for each computed d: lift, moment about xr and hinge
  // moment coefficients, with the signs of the driver's aerodynamic
  // matrix (q(1,1) = -L, q(2,1) = P, q(3,1) = H; q(1,d) = L, q(2,d) = -P,
  // q(3,d) = -H for d = 2, 3).
  // Files: creates or replaces the listing file in the working directory
  // on every call; it stays empty unless entry 4 is 1, in which case each
  // computed degree of freedom gets a pressure block there and on the
  // console.
  // Failures (each ends the run with a message, textio::RunStop): M, k or
  // xrud outside the domain (nothing is computed or written); a singular
  // collocation system (both limit_violation); the listing file cannot be
  // created or written (output_error).
  void solve(PossioBlock& block);

  // Builds the collocation matrix for Mach number `mach` and reduced
  // frequency `k` (domain and failures as for solve), the regular kernel
  // evaluated fast (PossioFastKernel: one cumulative panel integral per
  // call instead of a quadrature per distance).  far_field selects C0:
  // by default C0 itself; PossioFarField::leading_term_beyond_cut takes
  // the constant of assemble_by_quadrature() (the far field cut at -5000
  // and its leading asymptotic term beyond), so that the two matrices
  // agree to about 1e-9 relative.  The statistics count the integrand
  // values in hankel_evaluations.
  void assemble(double mach, double k, PossioFarField far_field = PossioFarField::exact);

  // The reference assembly: the same collocation matrix with every
  // near-field integral, C0 and E1 by Romberg quadrature and series to a
  // relative tolerance of 1e-8 (domain as for solve; a quadrature that
  // does not converge also ends the run, limit_violation).  About
  // a hundred times slower than assemble(); kept for the tests and the
  // benchmark.
  void assemble_by_quadrature(double mach, double k);

  // Creates the listing file, solves the assembled system for each
  // switched degree of freedom and stores its loads (see solve; M and k
  // are taken from `block` only for the listing).  Requires assemble()
  // or assemble_by_quadrature().
  void store_loads(PossioBlock& block) const;

  // The plunge and pitch loads of the assembled system for the pitch axis
  // xr (half chords), without a listing file or console output: the 2x2
  // matrix [[q(1,1), q(1,2)], [q(2,1), q(2,2)]] of solve(), column-major
  // (element (i, j) at [i + 2*j]).  Requires an assembly; a singular system
  // ends the run as in solve().
  std::array<std::complex<double>, 4> plunge_pitch_loads(double xr) const;

  // The loads of all three degrees of freedom of the assembled system for
  // the pitch axis xr and the aileron hinge xrud (half chords), without a
  // listing file or console output: q(1..3, d) of solve() for d = 1..3 with
  // every degree of freedom switched on, column-major (q(i, d) at
  // [(i-1) + 3(d-1)]).  Requires an assembly; xrud outside [-1, 1] or a
  // singular system ends the run as in solve().
  std::array<std::complex<double>, 9> loads(double xr, double xrud) const;

  // The assembled matrix; tests may change it before store_loads().
  PossioMatrix& matrix() { return matrix_; }
  const PossioSolveStatistics& statistics() const { return statistics_; }

 private:
  PossioMatrix matrix_{};
  double k_ = 0.0;
  PossioSolveStatistics statistics_;
};

// Solves with the process-wide block possio_block() (see PossioSolver::solve).
void possio_loads();

}  // namespace zelvan::aero
