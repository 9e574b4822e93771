// Bessel functions of the first and second kind of orders 0 and 1 for a
// double argument: Chebyshev series in x^2/8 - 1 for |x| <= 4, modulus and
// phase from Chebyshev series in 1/x^2 above 4.
//
// Each function returns DMACH(6) when it ends in an error and the run goes
// on; the error texts live in numlib/messages.hpp.  Term counts and
// thresholds are set up on a function's first call from DMACH.
#pragma once

namespace zelvan::numlib {

// J0(x), any finite x (even function).  DBSJ0(0) = 1 exactly.  |x| above
// 1/DMACH(4) (about 4.5e15, where no digit of the phase is left) is fatal
// error 2 "All precision is lost" (raised by D9B0MP, printed under DBSJ0;
// the run ends).
double DBSJ0(double x);

// J1(x), any finite x (odd function).  DBSJ1(0) = 0 exactly.  A non-zero
// |x| below 2*DMACH(1) gives 0 with alert 1 (silent; the run goes on).
// |x| above 1/DMACH(4) is fatal error 2 as for DBSJ0.
double DBSJ1(double x);

// Y0(x), x > 0.  x <= 0 is terminal error 1; x above 1/DMACH(4) is fatal
// error 2 as for DBSJ0.
double DBSY0(double x);

// Y1(x), x > 0.  x <= 0 is terminal error 1; x below about 3.5e-308
// (where Y1 ~ -2/(pi x) overflows) is terminal error 4; x above
// 1/DMACH(4) is fatal error 2 as for DBSJ0.
double DBSY1(double x);

}  // namespace zelvan::numlib
