#include "numlib/dfftrf.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "numlib/error_handler.hpp"
#include "numlib/messages.hpp"

// How the passes work.  A pass with factor p combines, for each of l1
// blocks, p transforms of length ido (packed as in COEF, one after the
// other with stride ido*l1 between them) into one transform of length
// ido*p: with Z_j the j-th input transform and W = exp(-2*pi*i/(ido*p)),
//   Y(t + ido*q) = sum over j of [W^(j*t) * Z_j(t)] * exp(-2*pi*i*j*q/p),
// t = 0..ido-1, q = 0..p-1, and only the harmonics up to ido*p/2 are kept
// (the others are their complex conjugates).  The first pass takes the
// last factor with ido = 1, i.e. p-point transforms of the samples taken
// with stride N/p; the last pass takes the first factor and l1 = 1, leaving
// the transform of the whole sequence.
//
// Storage of a pass (0-based): input  cc(i, k, j) = cc[i + ido*(k + l1*j)],
//                              output ch(i, j, k) = ch[i + ido*(j + p*k)].
// In a packed transform of length L, harmonic s sits at 2s-1 (real part)
// and 2s (imaginary part), harmonic 0 at 0 and, for even L, harmonic L/2 at
// L-1.  Harmonic t + ido*q of the output lands in row j = 2q of block k,
// and the conjugate of harmonic t + ido*(p-q) as harmonic (ido-t) + ido*(q-1)
// in row 2q-1, at the mirrored position ido-2t-1.
//
// The factor list has the 2 and the 4s first, so the passes for 3, 5 and
// the general odd factors always see an odd ido; the passes for 2 and 4
// also handle an even ido, where the middle harmonic t = ido/2 is real.
//
// Twiddle factors: a pass with factor p, l1 and ido > 2 uses, for
// harmonic t = 1..(ido-1)/2 and j = 1..p-1, cos and sin of 2*pi*j*l1*t/N,
// the angle of W^(j*t) (all angles are below pi; see UnitRoots); their
// order in the work array is described at twiddle_block.

namespace zelvan::numlib {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kSqrtHalf = 0.7071067811865476;
constexpr double kCos120 = -0.5;
constexpr double kSin120 = 0.8660254037844387;
constexpr double kCos72 = 0.30901699437494745;
constexpr double kSin72 = 0.9510565162951536;
constexpr double kCos144 = -0.8090169943749473;
constexpr double kSin144 = 0.5877852522924731;

// Room for the factors in the work array (after N and their count).
constexpr int kMaxFactors = 13;

// The storage pattern of one pass (see the note at the top).
struct Pass {
  int ido;
  int l1;
  int p;
  const double* cc;
  double* ch;
  static std::size_t sz(int v) { return static_cast<std::size_t>(v); }
  const double* in(int i, int k, int j) const { return cc + sz(i) + sz(ido) * (sz(k) + sz(l1) * sz(j)); }
  double* out(int i, int j, int k) const { return ch + sz(i) + sz(ido) * (sz(j) + sz(p) * sz(k)); }
};

// Two lanes of doubles: the complex harmonics t and t+1 of a pass are
// worked on together.  Each operation acts on each lane exactly as on a
// double (no reassociation, no fused multiply-add), so the results are
// those of the one-lane code bit for bit.
typedef double Lanes __attribute__((vector_size(16)));
typedef long long LaneIndex __attribute__((vector_size(16)));

inline Lanes load_lanes(const double* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void store_lanes(double* p, Lanes v) { std::memcpy(p, &v, sizeof v); }
#if defined(__clang__)
inline Lanes firsts(Lanes a, Lanes b) { return __builtin_shufflevector(a, b, 0, 2); }
inline Lanes seconds(Lanes a, Lanes b) { return __builtin_shufflevector(a, b, 1, 3); }
#else
inline Lanes firsts(Lanes a, Lanes b) { return __builtin_shuffle(a, b, LaneIndex{0, 2}); }
inline Lanes seconds(Lanes a, Lanes b) { return __builtin_shuffle(a, b, LaneIndex{1, 3}); }
#endif

// A complex value, or two of them (one per lane).
template <class T>
struct Cx {
  T r, i;
};

// conj(w) * z for the twiddle factor w = c + i*s.
template <class T>
inline Cx<T> rotate(T c, T s, Cx<T> z) {
  return {c * z.r + s * z.i, c * z.i - s * z.r};
}

// Twiddle factors.  A pass with factor p stores 2*(p-1) doubles for each
// harmonic t = 1..(ido-1)/2; harmonics t, t+1 (t odd) share one block
// c_1(t), c_1(t+1), s_1(t), s_1(t+1), c_2(t), ... so that both lanes load
// at once; a last harmonic without partner has c_1(t), s_1(t), c_2(t), ...
inline const double* twiddle_block(const double* wa, int p, int t) {
  return wa + 2 * static_cast<std::size_t>(p - 1) * static_cast<std::size_t>((t - 1) & ~1);
}
inline bool has_partner(int ido, int t) { return (t - 1) % 2 == 1 || 2 * t + 2 < ido; }
inline void twiddle(const double* wa, int p, int ido, int t, int j, double& c, double& s) {
  const double* w = twiddle_block(wa, p, t);
  if (has_partner(ido, t)) {
    const int lane = (t - 1) % 2;
    c = w[4 * (j - 1) + lane];
    s = w[4 * (j - 1) + 2 + lane];
  } else {
    c = w[2 * (j - 1)];
    s = w[2 * (j - 1) + 1];
  }
}

// Reading and writing the complex harmonics that a butterfly works on:
// one harmonic (real part at p[0], imaginary part at p[1]), or two of them
// in the two lanes.  rotated() also applies twiddle factor j of block w.
struct OneHarmonic {
  using Value = double;
  Cx<double> load(const double* p) const { return {p[0], p[1]}; }
  void store(double* p, Cx<double> y) const {
    p[0] = y.r;
    p[1] = y.i;
  }
  void store_mirrored(double* p, Cx<double> y) const { store(p, y); }
  Cx<double> rotated(const double* w, int j, const double* p) const {
    return rotate(w[2 * (j - 1)], w[2 * (j - 1) + 1], load(p));
  }
};

// Harmonics t and t+1 of one block: the next harmonic follows at p[2],
// p[3], in a mirrored row it comes before, at p[-2], p[-1].
struct TwoHarmonics {
  using Value = Lanes;
  Cx<Lanes> load(const double* p) const {
    const Lanes a = load_lanes(p), b = load_lanes(p + 2);
    return {firsts(a, b), seconds(a, b)};
  }
  void store(double* p, Cx<Lanes> y) const {
    store_lanes(p, firsts(y.r, y.i));
    store_lanes(p + 2, seconds(y.r, y.i));
  }
  void store_mirrored(double* p, Cx<Lanes> y) const {
    store_lanes(p, firsts(y.r, y.i));
    store_lanes(p - 2, seconds(y.r, y.i));
  }
  Cx<Lanes> rotated(const double* w, int j, const double* p) const {
    return rotate(load_lanes(w + 4 * (j - 1)), load_lanes(w + 4 * (j - 1) + 2), load(p));
  }
};

// Where the butterflies of block k read and write: input row j starts at
// in + j*in_stride, output row j at out + j*out_stride; i is the position
// of harmonic t in the forward rows, ic in the mirrored ones.
struct Rows {
  const double* in;
  std::size_t in_stride;
  double* out;
  std::size_t out_stride;
  int i, ic;
  const double* z(int j) const { return in + static_cast<std::size_t>(j) * in_stride + i; }
  double* y(int j) const { return out + static_cast<std::size_t>(j) * out_stride + i; }
  double* y_mirrored(int j) const { return out + static_cast<std::size_t>(j) * out_stride + ic; }
};

// The complex harmonics t = 1..(ido-1)/2 of a pass with factor P, two at a
// time and an odd one left over alone: Butterfly::run(access, rows,
// twiddle factors).
template <int P, class Butterfly>
void complex_harmonics(const Pass& s, const double* wa) {
  const int ido = s.ido, l1 = s.l1;
  const int last = (ido - 1) / 2;
  const auto in_stride = static_cast<std::size_t>(ido) * static_cast<std::size_t>(l1);
  const auto out_stride = static_cast<std::size_t>(ido);
  for (int k = 0; k < l1; ++k) {
    Rows rows{s.in(0, k, 0), in_stride, s.out(0, 0, k), out_stride, 0, 0};
    int t = 1;
    for (; t < last; t += 2) {
      rows.i = 2 * t - 1;
      rows.ic = ido - 2 * t - 1;
      Butterfly::run(TwoHarmonics{}, rows, twiddle_block(wa, P, t));
    }
    if (t == last) {
      rows.i = 2 * t - 1;
      rows.ic = ido - 2 * t - 1;
      Butterfly::run(OneHarmonic{}, rows, twiddle_block(wa, P, t));
    }
  }
}

struct Butterfly2 {
  template <class Access>
  static void run(const Access& h, const Rows& rows, const double* w) {
    using T = typename Access::Value;
    const Cx<T> z0 = h.load(rows.z(0)), z1 = h.rotated(w, 1, rows.z(1));
    h.store(rows.y(0), {z0.r + z1.r, z0.i + z1.i});
    h.store_mirrored(rows.y_mirrored(1), {z0.r - z1.r, z1.i - z0.i});
  }
};

struct Butterfly4 {
  template <class Access>
  static void run(const Access& h, const Rows& rows, const double* w) {
    using T = typename Access::Value;
    const Cx<T> z0 = h.load(rows.z(0)), z1 = h.rotated(w, 1, rows.z(1)), z2 = h.rotated(w, 2, rows.z(2)),
                z3 = h.rotated(w, 3, rows.z(3));
    const T s02r = z0.r + z2.r, s02i = z0.i + z2.i, d02r = z0.r - z2.r, d02i = z0.i - z2.i;
    const T s13r = z1.r + z3.r, s13i = z1.i + z3.i, d13r = z1.r - z3.r, d13i = z1.i - z3.i;
    h.store(rows.y(0), {s02r + s13r, s02i + s13i});                    // harmonic t
    h.store(rows.y(2), {d02r + d13i, d02i - d13r});                    // harmonic t + ido
    h.store_mirrored(rows.y_mirrored(3), {s02r - s13r, s13i - s02i});  // conjugate of t + 2*ido
    h.store_mirrored(rows.y_mirrored(1), {d02r - d13i, -d02i - d13r}); // conjugate of t + 3*ido
  }
};

struct Butterfly3 {
  template <class Access>
  static void run(const Access& h, const Rows& rows, const double* w) {
    using T = typename Access::Value;
    const Cx<T> z0 = h.load(rows.z(0)), z1 = h.rotated(w, 1, rows.z(1)), z2 = h.rotated(w, 2, rows.z(2));
    const T sr = z1.r + z2.r, si = z1.i + z2.i;
    const T ar = z0.r + kCos120 * sr, ai = z0.i + kCos120 * si;
    const T br = kSin120 * (z1.r - z2.r), bi = kSin120 * (z1.i - z2.i);
    h.store(rows.y(0), {z0.r + sr, z0.i + si});
    h.store(rows.y(2), {ar + bi, ai - br});
    h.store_mirrored(rows.y_mirrored(1), {ar - bi, -ai - br});
  }
};

struct Butterfly5 {
  template <class Access>
  static void run(const Access& h, const Rows& rows, const double* w) {
    using T = typename Access::Value;
    const Cx<T> z0 = h.load(rows.z(0)), z1 = h.rotated(w, 1, rows.z(1)), z2 = h.rotated(w, 2, rows.z(2)),
                z3 = h.rotated(w, 3, rows.z(3)), z4 = h.rotated(w, 4, rows.z(4));
    const T s1r = z1.r + z4.r, s1i = z1.i + z4.i, d1r = z1.r - z4.r, d1i = z1.i - z4.i;
    const T s2r = z2.r + z3.r, s2i = z2.i + z3.i, d2r = z2.r - z3.r, d2i = z2.i - z3.i;
    const T a1r = z0.r + kCos72 * s1r + kCos144 * s2r, a1i = z0.i + kCos72 * s1i + kCos144 * s2i;
    const T a2r = z0.r + kCos144 * s1r + kCos72 * s2r, a2i = z0.i + kCos144 * s1i + kCos72 * s2i;
    const T b1r = kSin72 * d1r + kSin144 * d2r, b1i = kSin72 * d1i + kSin144 * d2i;
    const T b2r = kSin144 * d1r - kSin72 * d2r, b2i = kSin144 * d1i - kSin72 * d2i;
    h.store(rows.y(0), {z0.r + s1r + s2r, z0.i + s1i + s2i});
    h.store(rows.y(2), {a1r + b1i, a1i - b1r});
    h.store(rows.y(4), {a2r + b2i, a2i - b2r});
    h.store_mirrored(rows.y_mirrored(1), {a1r - b1i, -a1i - b1r});
    h.store_mirrored(rows.y_mirrored(3), {a2r - b2i, -a2i - b2r});
  }
};

// Factor 2 pass.
void DF4TRF(int ido, int l1, const double* cc, double* ch, const double* wa) {
  const Pass s{ido, l1, 2, cc, ch};
  for (int k = 0; k < l1; ++k) {
    const double a0 = *s.in(0, k, 0), a1 = *s.in(0, k, 1);
    *s.out(0, 0, k) = a0 + a1;
    *s.out(ido - 1, 1, k) = a0 - a1;
  }
  complex_harmonics<2, Butterfly2>(s, wa);
  if (ido % 2 == 0) {
    for (int k = 0; k < l1; ++k) {
      *s.out(ido - 1, 0, k) = *s.in(ido - 1, k, 0);
      *s.out(0, 1, k) = -*s.in(ido - 1, k, 1);
    }
  }
}

// Factor 4 pass.
void DF6TRF(int ido, int l1, const double* cc, double* ch, const double* wa) {
  const Pass s{ido, l1, 4, cc, ch};
  for (int k = 0; k < l1; ++k) {
    const double a0 = *s.in(0, k, 0), a1 = *s.in(0, k, 1), a2 = *s.in(0, k, 2), a3 = *s.in(0, k, 3);
    const double sum13 = a1 + a3, sum02 = a0 + a2;
    *s.out(0, 0, k) = sum13 + sum02;
    *s.out(ido - 1, 3, k) = sum02 - sum13;
    *s.out(ido - 1, 1, k) = a0 - a2;
    *s.out(0, 2, k) = a3 - a1;
  }
  complex_harmonics<4, Butterfly4>(s, wa);
  if (ido % 2 == 0) {
    for (int k = 0; k < l1; ++k) {
      const double c0 = *s.in(ido - 1, k, 0), c1 = *s.in(ido - 1, k, 1), c2 = *s.in(ido - 1, k, 2),
                   c3 = *s.in(ido - 1, k, 3);
      const double d13 = kSqrtHalf * (c1 - c3), s13 = kSqrtHalf * (c1 + c3);
      *s.out(ido - 1, 0, k) = c0 + d13;  // harmonic ido/2
      *s.out(0, 1, k) = -s13 - c2;
      *s.out(ido - 1, 2, k) = c0 - d13;  // harmonic 3*ido/2
      *s.out(0, 3, k) = c2 - s13;
    }
  }
}

// Factor 3 pass (odd ido).
void DF5TRF(int ido, int l1, const double* cc, double* ch, const double* wa) {
  const Pass s{ido, l1, 3, cc, ch};
  for (int k = 0; k < l1; ++k) {
    const double a0 = *s.in(0, k, 0), a1 = *s.in(0, k, 1), a2 = *s.in(0, k, 2);
    const double sum = a1 + a2;
    *s.out(0, 0, k) = a0 + sum;
    *s.out(ido - 1, 1, k) = a0 + kCos120 * sum;
    *s.out(0, 2, k) = kSin120 * (a2 - a1);
  }
  complex_harmonics<3, Butterfly3>(s, wa);
}

// Factor 5 pass (odd ido).
void DF7TRF(int ido, int l1, const double* cc, double* ch, const double* wa) {
  const Pass s{ido, l1, 5, cc, ch};
  for (int k = 0; k < l1; ++k) {
    const double a0 = *s.in(0, k, 0), a1 = *s.in(0, k, 1), a2 = *s.in(0, k, 2), a3 = *s.in(0, k, 3),
                 a4 = *s.in(0, k, 4);
    const double s1 = a1 + a4, s2 = a2 + a3, d1 = a4 - a1, d2 = a3 - a2;
    *s.out(0, 0, k) = a0 + s1 + s2;
    *s.out(ido - 1, 1, k) = a0 + kCos72 * s1 + kCos144 * s2;
    *s.out(0, 2, k) = kSin72 * d1 + kSin144 * d2;
    *s.out(ido - 1, 3, k) = a0 + kCos144 * s1 + kCos72 * s2;
    *s.out(0, 4, k) = kSin144 * d1 - kSin72 * d2;
  }
  complex_harmonics<5, Butterfly5>(s, wa);
}

// General pass for an odd factor p (odd ido).  With S_j = V_j + V_(p-j)
// and D_j = V_j - V_(p-j), j = 1..h = (p-1)/2, harmonic t + ido*q is
// A_q - i*B_q and harmonic t + ido*(p-q) is A_q + i*B_q, where
// A_q = V_0 + sum of cos(2*pi*j*q/p)*S_j and B_q = sum of sin(2*pi*j*q/p)*D_j.
// The cosines and sines of the p-th roots are computed once per call
// (each from its own angle, so a large prime factor loses no accuracy to
// a recurrence).
void DF8TRF(int ido, int l1, int p, const double* cc, double* ch, const double* wa) {
  const Pass s{ido, l1, p, cc, ch};
  const int h = (p - 1) / 2;
  const auto up = static_cast<std::size_t>(p);
  std::vector<double> table(8 * up);  // throws std::bad_alloc for DF2TRF
  double* cs = table.data();
  double* sn = cs + up;
  double* sr = sn + up;  // S_j and D_j, real and imaginary parts
  double* si = sr + up;
  double* dr = si + up;
  double* di = dr + up;
  double* wc = di + up;  // twiddle factors of the current harmonic
  double* ws = wc + up;
  const double arg = kTwoPi / static_cast<double>(p);
  cs[0] = 1.0;
  sn[0] = 0.0;
  for (int m = 1; m <= h; ++m) {
    cs[m] = std::cos(static_cast<double>(m) * arg);
    sn[m] = std::sin(static_cast<double>(m) * arg);
    cs[p - m] = cs[m];
    sn[p - m] = -sn[m];
  }

  for (int k = 0; k < l1; ++k) {
    const double a0 = *s.in(0, k, 0);
    double sum = a0;
    for (int j = 1; j <= h; ++j) {
      const double aj = *s.in(0, k, j), ajc = *s.in(0, k, p - j);
      sr[j] = aj + ajc;
      dr[j] = ajc - aj;
      sum += sr[j];
    }
    *s.out(0, 0, k) = sum;
    for (int q = 1; q <= h; ++q) {
      double ar = a0, mb = 0.0;  // A_q and -B_q
      int m = 0;
      for (int j = 1; j <= h; ++j) {
        m += q;
        if (m >= p) m -= p;
        ar += cs[m] * sr[j];
        mb += sn[m] * dr[j];
      }
      *s.out(ido - 1, 2 * q - 1, k) = ar;
      *s.out(0, 2 * q, k) = mb;
    }
  }

  for (int t = 1; 2 * t < ido; ++t) {
    for (int j = 1; j < p; ++j) twiddle(wa, p, ido, t, j, wc[j], ws[j]);
    const int i = 2 * t - 1, ic = ido - 2 * t - 1;
    for (int k = 0; k < l1; ++k) {
      const Cx<double> v0 = OneHarmonic{}.load(s.in(i, k, 0));
      double sumr = v0.r, sumi = v0.i;
      for (int j = 1; j <= h; ++j) {
        const Cx<double> v = rotate(wc[j], ws[j], OneHarmonic{}.load(s.in(i, k, j)));
        const Cx<double> vc = rotate(wc[p - j], ws[p - j], OneHarmonic{}.load(s.in(i, k, p - j)));
        sr[j] = v.r + vc.r;
        si[j] = v.i + vc.i;
        dr[j] = v.r - vc.r;
        di[j] = v.i - vc.i;
        sumr += sr[j];
        sumi += si[j];
      }
      OneHarmonic{}.store(s.out(i, 0, k), {sumr, sumi});
      for (int q = 1; q <= h; ++q) {
        double ar = v0.r, ai = v0.i, br = 0.0, bi = 0.0;
        int m = 0;
        for (int j = 1; j <= h; ++j) {
          m += q;
          if (m >= p) m -= p;
          ar += cs[m] * sr[j];
          ai += cs[m] * si[j];
          br += sn[m] * dr[j];
          bi += sn[m] * di[j];
        }
        OneHarmonic{}.store(s.out(i, 2 * q, k), {ar + bi, ai - br});        // harmonic t + ido*q
        OneHarmonic{}.store(s.out(ic, 2 * q - 1, k), {ar - bi, -ai - br});  // conjugate of t + ido*(p-q)
      }
    }
  }
}

// Splits n into its factors (4, 2, 3, 5, then 7, 9, 11, ...), each
// divided out as often as it divides; a 2 found after other factors goes to
// the front.  When more than kMaxFactors result, the two smallest odd
// factors are merged into one (a general odd pass) until they fit.
// Returns false when they cannot be made to fit.
bool factorise(int n, std::vector<int>& factors) {
  factors.clear();
  int rest = n;
  constexpr int kFirstTrials[] = {4, 2, 3, 5};
  for (int trial : kFirstTrials) {
    while (rest % trial == 0) {
      rest /= trial;
      if (trial == 2 && !factors.empty())
        factors.insert(factors.begin(), 2);
      else
        factors.push_back(trial);
    }
  }
  // Odd trials from 7 on; once trial^2 exceeds what is left, that is prime.
  for (int trial = 7; rest > 1; trial += 2) {
    if (static_cast<std::int64_t>(trial) * trial > rest) {
      factors.push_back(rest);
      break;
    }
    while (rest % trial == 0) {
      rest /= trial;
      factors.push_back(trial);
    }
  }
  while (static_cast<int>(factors.size()) > kMaxFactors) {
    const auto odd = std::find_if(factors.begin(), factors.end(), [](int f) { return f % 2 == 1; });
    if (factors.end() - odd < 2) return false;
    std::sort(odd, factors.end());
    *(odd + 1) *= *odd;
    factors.erase(odd);
  }
  return true;
}

// cos and sin of 2*pi*m/n for 0 <= m < n/2.  Only the first octant (n a
// multiple of 4) or quadrant (n even) is evaluated, once, into `table`
// (at most n/2 + 2 doubles); the rest follows from the exact symmetries
// of the circle, cos(pi - x) = -cos(x) and cos(pi/2 - x) = sin(x), whose
// integer arguments n/2 - m and n/4 - m carry no rounding.  Odd n: each
// value from its own angle.
class UnitRoots {
 public:
  UnitRoots(int n, double* table)
      : half_(n % 2 == 0 ? n / 2 : 0),
        quarter_(n % 4 == 0 ? n / 4 : 0),
        limit_(n % 4 == 0 ? n / 8 : n % 2 == 0 ? n / 4 : -1),
        argh_(kTwoPi / static_cast<double>(n)),
        table_(table) {
    for (std::int64_t m = 0; m <= limit_; ++m) direct(m, table_[2 * m], table_[2 * m + 1]);
  }

  void operator()(std::int64_t m, double& c, double& s) const {
    if (limit_ < 0) {
      direct(m, c, s);
      return;
    }
    const bool beyond_quadrant = 2 * m > half_;  // angle above pi/2
    if (beyond_quadrant) m = half_ - m;
    const bool beyond_octant = m > limit_;  // angle above pi/4 (n a multiple of 4)
    if (beyond_octant) m = quarter_ - m;
    c = table_[2 * m];
    s = table_[2 * m + 1];
    if (beyond_octant) std::swap(c, s);
    if (beyond_quadrant) c = -c;
  }

 private:
  void direct(std::int64_t m, double& c, double& s) const {
    const double angle = static_cast<double>(m) * argh_;
    c = std::cos(angle);
    s = std::sin(angle);
  }

  std::int64_t half_, quarter_, limit_;
  double argh_;
  double* table_;
};

// The factorisation and the twiddle factors of length n into wa (n
// doubles) and ifac (15 doubles: n, the number of factors, the factors);
// scratch (n doubles) holds the table of unit roots meanwhile.  Returns
// false, writing nothing, when the factors do not fit.
bool DF3TRI(int n, double* scratch, double* wa, double* ifac) {
  std::vector<int> factors;
  if (!factorise(n, factors)) return false;
  const int nf = static_cast<int>(factors.size());
  ifac[0] = n;
  ifac[1] = nf;
  for (int f = 0; f < nf; ++f) ifac[2 + f] = factors[static_cast<std::size_t>(f)];

  const UnitRoots root(n, scratch);
  double* w = wa;
  std::int64_t l1 = 1;
  for (int f = 0; f + 1 < nf; ++f) {
    const int p = factors[static_cast<std::size_t>(f)];
    const std::int64_t ido = n / (l1 * p);
    const std::int64_t last = (ido - 1) / 2;
    for (std::int64_t t = 1; t <= last; t += 2) {
      const int lanes = t < last ? 2 : 1;
      for (int j = 1; j < p; ++j) {
        for (int lane = 0; lane < lanes; ++lane) root(j * l1 * (t + lane), w[lane], w[lanes + lane]);
        w += 2 * lanes;
      }
    }
    l1 *= p;
  }
  return true;
}

// The transform of x (n doubles) into c; ch (n doubles) is the other
// buffer of the passes, wa and ifac are as DF3TRI filled them.  x may be c.
// The passes alternate between c and ch so that the last one writes c.
void DF3TRF(int n, const double* x, double* c, double* ch, const double* wa, const double* ifac) {
  const int nf = static_cast<int>(ifac[1]);
  int factor[kMaxFactors];
  std::size_t offset[kMaxFactors];
  std::size_t at = 0;
  int l1 = 1;
  for (int f = 0; f < nf; ++f) {
    const int p = static_cast<int>(ifac[2 + f]);
    const int ido = n / (l1 * p);
    factor[f] = p;
    offset[f] = at;
    at += 2 * static_cast<std::size_t>((ido - 1) / 2) * static_cast<std::size_t>(p - 1);
    l1 *= p;
  }

  double* out = nf % 2 == 1 ? c : ch;
  const double* in = x;
  if (x == out) {
    std::copy(x, x + n, ch);
    in = ch;
  }
  int ido = 1;
  for (int f = nf - 1; f >= 0; --f) {
    const int p = factor[f];
    const int l1f = n / (ido * p);
    const double* w = wa + offset[f];
    switch (p) {
      case 4: DF6TRF(ido, l1f, in, out, w); break;
      case 2: DF4TRF(ido, l1f, in, out, w); break;
      case 3: DF5TRF(ido, l1f, in, out, w); break;
      case 5: DF7TRF(ido, l1f, in, out, w); break;
      default: DF8TRF(ido, l1f, p, in, out, w); break;
    }
    ido *= p;
    in = out;
    out = out == c ? ch : c;
  }
}

// The length check shared by the three public routines.
bool length_ok(int n) {
  if (n >= 1) return true;
  E1STI(1, n);
  E1MES(5, 1, msg::kFftLength);
  return false;
}

}  // namespace

void DFFTRI(int n, double* wfftr) {
  E1PSH("DFFTRI");
  if (length_ok(n)) {
    const auto un = static_cast<std::size_t>(n);
    if (!DF3TRI(n, wfftr, wfftr + un, wfftr + 2 * un)) {
      E1STI(1, n);
      E1MES(5, 2, msg::kFftStorage);
    }
  }
  E1POP("DFFTRI");
}

void DF2TRF(int n, const double* seq, double* coef, double* wfftr) {
  E1PSH("DF2TRF");
  if (length_ok(n)) {
    const auto un = static_cast<std::size_t>(n);
    if (n == 1) {
      coef[0] = seq[0];
    } else {
      try {
        DF3TRF(n, seq, coef, wfftr, wfftr + un, wfftr + 2 * un);
      } catch (const std::bad_alloc&) {
        E1STI(1, n);
        E1MES(5, 2, msg::kFftStorage);
      }
    }
  }
  E1POP("DF2TRF");
}

void DFFTRF(int n, const double* seq, double* coef) {
  E1PSH("DFFTRF");
  if (length_ok(n)) {
    const std::unique_ptr<double[]> work(new (std::nothrow) double[dfftrf_work_size(n)]);
    if (!work) {
      E1STI(1, n);
      E1MES(5, 2, msg::kFftStorage);
    } else {
      DFFTRI(n, work.get());
      DF2TRF(n, seq, coef, work.get());
    }
  }
  E1POP("DFFTRF");
}

}  // namespace zelvan::numlib
