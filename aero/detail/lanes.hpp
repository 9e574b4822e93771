// Two lanes of doubles, worked on together: the real and imaginary parts
// of a complex sum.  Each operation acts on each lane exactly as on a
// double (no reassociation, no fused multiply-add), so the results are
// those of the one-lane code bit for bit.
#pragma once

#include <array>
#include <cstring>

namespace zelvan::aero::lanes {

using Pair = double __attribute__((vector_size(16)));

inline Pair load(const std::array<double, 2>& v) {
  Pair p;
  std::memcpy(&p, v.data(), sizeof p);
  return p;
}

inline Pair load(const double* v) {
  Pair p;
  std::memcpy(&p, v, sizeof p);
  return p;
}

inline void store(double* v, Pair p) { std::memcpy(v, &p, sizeof p); }

// (-im, re): i times a complex number held as (re, im), exactly.
inline Pair times_i(Pair p) { return Pair{-p[1], p[0]}; }

}  // namespace zelvan::aero::lanes
