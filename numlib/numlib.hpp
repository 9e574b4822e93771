// The numerical library: general routines with a common error-reporting
// convention (error handler, complex eigen-solver, dense linear algebra,
// initial-value integrator, real fast Fourier transform, Bessel functions).
// Each routine family is declared in its own header, included from here.
#pragma once
