// Real fast Fourier transform: the forward transform of a real sequence of
// any length N (DFFTRF), its work array (DFFTRI) and the transform with a
// work array prepared once for many sequences of the same length (DF2TRF).
//
// The output COEF (N doubles) is packed; with m counting the samples and k
// the harmonics, both from 1 as in the documentation of the driver:
//   COEF(1)    = sum of SEQ(m), m = 1..N (no scaling: the plain sum);
//   COEF(2k)   =   sum of SEQ(m)*cos(2*pi*k*(m-1)/N)   } k = 1..(N-1)/2
//   COEF(2k+1) = - sum of SEQ(m)*sin(2*pi*k*(m-1)/N)   }
//   COEF(N)    = sum of (-1)^(m-1)*SEQ(m)               (N even only).
// So COEF(2k) + i*COEF(2k+1) is harmonic k of the complex transform with
// the kernel exp(-2*pi*i*k*(m-1)/N).
//
// The transform is a mixed-radix one: N is split into the factors 4, 2,
// 3, 5 and odd numbers 7, 9, 11, ...; one pass per factor.  Lengths made of
// 2, 3 and 5 cost O(N log N); a large prime factor p costs O(N p) in the
// general odd-factor pass.
#pragma once

#include <cstddef>

namespace zelvan::numlib {

// Number of doubles in the work array of length n: 2n + 15 (n of scratch
// space, n for the twiddle factors, 15 for the factorisation).
inline constexpr std::size_t dfftrf_work_size(int n) { return 2 * static_cast<std::size_t>(n) + 15; }

// COEF := packed real transform of SEQ (n doubles each; COEF may be SEQ).
// Allocates its work array and releases it before returning.  Terminal
// errors (the run ends): n < 1 (code 1); no storage for the work array
// (code 2).
void DFFTRF(int n, const double* seq, double* coef);

// Prepares the work array WFFTR (dfftrf_work_size(n) doubles) for
// transforms of length n: fills its last n + 15 entries with the twiddle
// factors and, from entry 2n on, n, the number of factors and the factors
// (stored as doubles, in the order the passes use them).  The first n
// entries serve as scratch space (of DFFTRI and DF2TRF alike).  Terminal
// errors: n < 1
// (code 1); n with more than 13 factors even after merging odd ones (n a
// multiple of 2^26 other than 2^26; code 2, the factor table is too small).
void DFFTRI(int n, double* wfftr);

// COEF := packed real transform of SEQ with the work array WFFTR that
// DFFTRI prepared for the same n (COEF may be SEQ; the first n entries of
// WFFTR are overwritten as scratch space, the rest is not changed, so one
// DFFTRI serves any number of transforms).  Terminal errors: n < 1
// (code 1); no storage for the root table of a large odd factor (code 2);
// a factor table in WFFTR that is not a factorisation of n (code 3; NaN
// or infinite entries included).  Samples that are NaN or infinite give
// coefficients that are not numbers either; the passes always end.
void DF2TRF(int n, const double* seq, double* coef, double* wfftr);

}  // namespace zelvan::numlib
