// Unsteady aerodynamic coefficients of a flat plate oscillating in plunge
// and pitch in incompressible flow (thin-plate theory with the Theodorsen
// function C(k)).
#pragma once

#include <complex>

namespace zelvan::aero {

// The one-entry cache of C(k), part of the run's AeroState: C(kold) = ck.
struct TheodorsenCache {
  double kold = 0.0;
  std::complex<double> ck{1.0, 0.0};
  long evaluations = 0;  // evaluations of C(k) from Bessel functions
};

// Coefficients of the oscillating flat plate at reduced frequency k (k =
// omega*b/U with b the half chord; dimensionless, k >= 0) for the pitch
// axis at x_p (fraction of the chord from the leading edge; any value):
//   c1  lift per unit downwash angle,
//   c2  moment about the pitch axis per unit downwash angle,
//   c3  additional lift of the pitch motion,
//   c4  additional moment of the pitch motion about the pitch axis.
// All four are written on every call.  The caller forms the loads (each
// to be multiplied by 2*pi): lift per plunge i*k*c1, lift per pitch c1+c3,
// moment per plunge -i*k*c2, moment per pitch -(c2+c4).
//
// C(k) is kept from the previous call and recomputed only when k differs
// from it (exact comparison).  k = 0 always gives the limit C(0) = 1 with no
// Bessel evaluation (docs/bessel-and-thin-plate.md).  Reports nothing
// itself: k < 0 reaches DBSY0, whose terminal error ends the run, and so
// does a positive k too small for DBSY1 (below about 3.5e-308).
void cnm3dk(double k, double x_p, std::complex<double>& c1, std::complex<double>& c2, std::complex<double>& c3,
            std::complex<double>& c4);

// The same coefficients with the value ck of the circulation function
// given instead of Theodorsen's C(k) (no cache, no Bessel function): the
// coefficients are linear in it.  Any k, x_p.  No failure.
void plate_coefficients(double k, double x_p, std::complex<double> ck, std::complex<double>& c1,
                        std::complex<double>& c2, std::complex<double>& c3, std::complex<double>& c4);

// Number of evaluations of C(k) from Bessel functions since the start or
// the last reset (for tests of the cache).
long cnm3dk_theodorsen_evaluations();

// Restores the cache to its initial state, k = 0 and C = 1 (for tests).
void reset_cnm3dk();

}  // namespace zelvan::aero
