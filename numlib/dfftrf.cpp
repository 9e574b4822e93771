#include "numlib/dfftrf.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <numbers>
#include <type_traits>
#include <utility>
#include <vector>

#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"

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
//
// Two lanes.  The passes work on two values at once: the same value of
// blocks k and k+1 where a pass has several blocks (for an odd N only
// while they are short; see works_on_block_pairs), otherwise harmonics t
// and t+1 of a block.  Between passes that pair blocks the intermediate
// results are kept with the two blocks interleaved (see Block), so that
// those passes read and write both lanes with one access and need no
// shuffles.  Every lane does the operations of the one-value code in the
// same order, so the results do not depend on any of this.

namespace zelvan::numlib {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
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

// Two lanes of doubles: two complex harmonics of a block, or the same
// value of two blocks, are worked on together.  Each operation acts on
// each lane exactly as on a double (no reassociation, no fused
// multiply-add), so the results are those of the one-lane code bit for bit.
using Lanes = double __attribute__((vector_size(16)));
using LaneIndex = long long __attribute__((vector_size(16)));

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
inline void twiddle(const double* wa, int p, int ido, int t, std::ptrdiff_t j, double& c, double& s) {
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

// The twiddle factors of harmonic t of a pass with factor p, each twice,
// for two blocks in the lanes: c_1, c_1, s_1, s_1, c_2, ... (4*(p-1)
// doubles from w).
inline void twiddles_for_two_blocks(const double* wa, int p, int ido, int t, double* w) {
  for (int j = 1; j < p; ++j) {
    double c = 0.0, s = 0.0;
    twiddle(wa, p, ido, t, j, c, s);
    w[0] = w[1] = c;
    w[2] = w[3] = s;
    w += 4;
  }
}

// Where one block reads and writes.  Input row j, position i is at
// x(i, j), output row j, position i at y(i, j).  In the natural layout of
// the note at the top (kInStep, kOutStep = 1) consecutive positions are
// consecutive doubles.  Between passes that work on pairs of blocks (see
// block_pairs) the blocks k and k+1 (k even) of the intermediate result
// are interleaved instead, position i of block k+lane at 2i+lane from the
// start of the pair, so that one 16-byte access reads or writes both
// lanes; then the step is 2 and an output row of block k takes 2*ido
// doubles.  This layout stays inside DF3TRF: the last pass writes COEF in
// the natural one, and with ido = 1 (the first pass, which reads SEQ) the
// two layouts are the same.
template <int kInStep, int kOutStep>
struct Block {
  const double* in;
  std::size_t in_row;
  double* out;
  std::size_t out_row;
  const double* x(int i, int j) const {
    return in + static_cast<std::size_t>(j) * in_row + static_cast<std::size_t>(kInStep * i);
  }
  double* y(int i, int j) const {
    return out + static_cast<std::size_t>(j) * out_row + static_cast<std::size_t>(kOutStep * i);
  }
};

// The only block of the last pass (l1 = 1, factor 2 or 4) when the pass
// before left its blocks, the rows j of this one, interleaved in pairs:
// row j, position i at in + ido*(j - j%2) + 2i + j%2.  The output has the
// natural layout.
struct PairedRowsBlock {
  const double* in;
  std::size_t ido;
  double* out;
  const double* x(int i, int j) const {
    return in + ido * static_cast<std::size_t>(j & ~1) + static_cast<std::size_t>((j & 1) + 2 * i);
  }
  double* y(int i, int j) const { return out + ido * static_cast<std::size_t>(j) + static_cast<std::size_t>(i); }
};

// Block k of pass s in the layouts kInStep, kOutStep.
template <int kInStep, int kOutStep>
inline Block<kInStep, kOutStep> block(const Pass& s, int k) {
  const auto ido = static_cast<std::size_t>(s.ido);
  const auto uk = static_cast<std::size_t>(k);
  return {s.cc + ido * uk, ido * static_cast<std::size_t>(s.l1), s.ch + ido * static_cast<std::size_t>(s.p) * uk,
          ido * static_cast<std::size_t>(kOutStep)};
}

// The rows that a butterfly for harmonic t of block b works on: z(j) is
// harmonic t of input row j (at position i = 2t-1), y(j) position i of
// output row j, y_mirrored(j) the mirrored position ic = ido-2t-1.
template <class B>
struct Rows {
  B b;
  int i, ic;
  const double* z(int j) const { return b.x(i, j); }
  double* y(int j) const { return b.y(i, j); }
  double* y_mirrored(int j) const { return b.y(ic, j); }
};

// Reading and writing the values of a pass.  The real values of harmonic 0
// and, for even ido, of the middle harmonic ido/2 go through get() and
// put(); the complex harmonics that a butterfly works on through load(),
// store() and store_mirrored() (real part at position i, imaginary part at
// i+1), and rotated() also applies twiddle factor j of block w.

// One harmonic of one block, natural output.  The input has the natural
// layout (kInStep = 1) or that of PairedRowsBlock (kInStep = 2).
template <int kInStep = 1>
struct OneHarmonic {
  using Value = double;
  double get(const double* p) const { return *p; }
  void put(double* p, double v) const { *p = v; }
  Cx<double> load(const double* p) const { return {p[0], p[kInStep]}; }
  void store(double* p, Cx<double> y) const {
    p[0] = y.r;
    p[1] = y.i;
  }
  void store_mirrored(double* p, Cx<double> y) const { store(p, y); }
  Cx<double> rotated(const double* w, std::ptrdiff_t j, const double* p) const {
    return rotate(w[2 * (j - 1)], w[2 * (j - 1) + 1], load(p));
  }
};

// Harmonics t and t+1 of one block, natural output: the next harmonic
// follows at p[2], p[3], in a mirrored row it comes before, at p[-2],
// p[-1].  The input as for OneHarmonic.
template <int kInStep = 1>
struct TwoHarmonics {
  using Value = Lanes;
  Cx<Lanes> load(const double* p) const {
    if constexpr (kInStep == 1) {
      const Lanes a = load_lanes(p), b = load_lanes(p + 2);
      return {firsts(a, b), seconds(a, b)};
    } else {
      return {Lanes{p[0], p[4]}, Lanes{p[2], p[6]}};
    }
  }
  void store(double* p, Cx<Lanes> y) const {
    store_lanes(p, firsts(y.r, y.i));
    store_lanes(p + 2, seconds(y.r, y.i));
  }
  void store_mirrored(double* p, Cx<Lanes> y) const {
    store_lanes(p - 2, seconds(y.r, y.i));
    store_lanes(p, firsts(y.r, y.i));
  }
  Cx<Lanes> rotated(const double* w, std::ptrdiff_t j, const double* p) const {
    return rotate(load_lanes(w + 4 * (j - 1)), load_lanes(w + 4 * (j - 1) + 2), load(p));
  }
};

// The same value of blocks k and k+1 (k even), the input and output in
// the layouts kInStep and kOutStep (see Block).  Interleaved, the two
// lanes are neighbours; in the natural layout the value of block k+1 lies
// in_step (ido) after that of block k in the input and out_step (p*ido)
// after it in the output.  Both lanes use the same twiddle factors: with
// kTwStride = 0, w holds each of them twice (c_1, c_1, s_1, s_1, c_2, ...);
// otherwise w is the block of twiddle_block and c_j, s_j are at
// w[kTwStride*(j-1) + kTwLane] and kTwStride/2 after it.
template <int kInStep, int kOutStep, int kTwStride = 0, int kTwLane = 0>
struct TwoBlocks {
  using Value = Lanes;
  std::size_t in_step, out_step;
  Lanes get(const double* p) const {
    if constexpr (kInStep == 2) {
      return load_lanes(p);
    } else {
      return Lanes{p[0], p[in_step]};
    }
  }
  void put(double* p, Lanes v) const {
    if constexpr (kOutStep == 2) {
      store_lanes(p, v);
    } else {
      p[0] = v[0];
      p[out_step] = v[1];
    }
  }
  Cx<Lanes> load(const double* p) const {
    if constexpr (kInStep == 2) {
      return {load_lanes(p), load_lanes(p + 2)};
    } else {
      const Lanes a = load_lanes(p), b = load_lanes(p + in_step);
      return {firsts(a, b), seconds(a, b)};
    }
  }
  void store(double* p, Cx<Lanes> y) const {
    if constexpr (kOutStep == 2) {
      store_lanes(p, y.r);
      store_lanes(p + 2, y.i);
    } else {
      store_lanes(p, firsts(y.r, y.i));
      store_lanes(p + out_step, seconds(y.r, y.i));
    }
  }
  void store_mirrored(double* p, Cx<Lanes> y) const { store(p, y); }
  Cx<Lanes> rotated(const double* w, std::ptrdiff_t j, const double* p) const {
    if constexpr (kTwStride == 0) {
      return rotate(load_lanes(w + 4 * (j - 1)), load_lanes(w + 4 * (j - 1) + 2), load(p));
    } else {
      const double c = w[kTwStride * (j - 1) + kTwLane], s = w[kTwStride * (j - 1) + kTwStride / 2 + kTwLane];
      return rotate(Lanes{c, c}, Lanes{s, s}, load(p));
    }
  }
};

// The butterflies of the complex harmonics: Butterfly::run(access, rows,
// twiddle factors).  They write their output rows in the order of the
// addresses, which lets the processor merge neighbouring stores.
struct Butterfly2 {
  template <class Access, class R>
  [[gnu::always_inline]] static void run(const Access& h, const R& rows, const double* w) {
    using T = typename Access::Value;
    const Cx<T> z0 = h.load(rows.z(0)), z1 = h.rotated(w, 1, rows.z(1));
    h.store(rows.y(0), {z0.r + z1.r, z0.i + z1.i});
    h.store_mirrored(rows.y_mirrored(1), {z0.r - z1.r, z1.i - z0.i});
  }
};

struct Butterfly4 {
  template <class Access, class R>
  [[gnu::always_inline]] static void run(const Access& h, const R& rows, const double* w) {
    using T = typename Access::Value;
    const Cx<T> z0 = h.load(rows.z(0)), z1 = h.rotated(w, 1, rows.z(1)), z2 = h.rotated(w, 2, rows.z(2)),
                z3 = h.rotated(w, 3, rows.z(3));
    const T s02r = z0.r + z2.r, s02i = z0.i + z2.i, d02r = z0.r - z2.r, d02i = z0.i - z2.i;
    const T s13r = z1.r + z3.r, s13i = z1.i + z3.i, d13r = z1.r - z3.r, d13i = z1.i - z3.i;
    h.store(rows.y(0), {s02r + s13r, s02i + s13i});                     // harmonic t
    h.store_mirrored(rows.y_mirrored(1), {d02r - d13i, -d02i - d13r});  // conjugate of t + 3*ido
    h.store(rows.y(2), {d02r + d13i, d02i - d13r});                     // harmonic t + ido
    h.store_mirrored(rows.y_mirrored(3), {s02r - s13r, s13i - s02i});   // conjugate of t + 2*ido
  }
};

struct Butterfly3 {
  template <class Access, class R>
  [[gnu::always_inline]] static void run(const Access& h, const R& rows, const double* w) {
    using T = typename Access::Value;
    const Cx<T> z0 = h.load(rows.z(0)), z1 = h.rotated(w, 1, rows.z(1)), z2 = h.rotated(w, 2, rows.z(2));
    const T sr = z1.r + z2.r, si = z1.i + z2.i;
    const T ar = z0.r + kCos120 * sr, ai = z0.i + kCos120 * si;
    const T br = kSin120 * (z1.r - z2.r), bi = kSin120 * (z1.i - z2.i);
    h.store(rows.y(0), {z0.r + sr, z0.i + si});
    h.store_mirrored(rows.y_mirrored(1), {ar - bi, -ai - br});
    h.store(rows.y(2), {ar + bi, ai - br});
  }
};

struct Butterfly5 {
  template <class Access, class R>
  [[gnu::always_inline]] static void run(const Access& h, const R& rows, const double* w) {
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
    h.store_mirrored(rows.y_mirrored(1), {a1r - b1i, -a1i - b1r});
    h.store(rows.y(2), {a1r + b1i, a1i - b1r});
    h.store_mirrored(rows.y_mirrored(3), {a2r - b2i, -a2i - b2r});
    h.store(rows.y(4), {a2r + b2i, a2i - b2r});
  }
};

// The real values of a block: Radix::first does harmonic 0 from its
// inputs a (see harmonic0) and Radix::middle the middle harmonic ido/2 of
// an even ido (only the factors 2 and 4 see one); e = ido - 1.

// The inputs of harmonic 0 of block b, rows 0..P-1.
template <class Access, class B, int... J>
[[gnu::always_inline]] inline std::array<typename Access::Value, sizeof...(J)> harmonic0(
    const Access& h, const B& b, std::integer_sequence<int, J...> /*rows*/) {
  return {h.get(b.x(0, J))...};
}
template <int P, class Access, class B>
[[gnu::always_inline]] inline std::array<typename Access::Value, P> harmonic0(const Access& h, const B& b) {
  return harmonic0(h, b, std::make_integer_sequence<int, P>{});
}

struct Radix2 {
  static constexpr int kFactor = 2;
  using Butterfly = Butterfly2;
  template <class Access, class B, class T>
  [[gnu::always_inline]] static void first(const Access& h, const B& b, int e, const std::array<T, kFactor>& a) {
    h.put(b.y(0, 0), a[0] + a[1]);
    h.put(b.y(e, 1), a[0] - a[1]);
  }
  template <class Access, class B>
  [[gnu::always_inline]] static void middle(const Access& h, const B& b, int e) {
    h.put(b.y(e, 0), h.get(b.x(e, 0)));
    h.put(b.y(0, 1), -h.get(b.x(e, 1)));
  }
};

struct Radix4 {
  static constexpr int kFactor = 4;
  using Butterfly = Butterfly4;
  template <class Access, class B, class T>
  [[gnu::always_inline]] static void first(const Access& h, const B& b, int e, const std::array<T, kFactor>& a) {
    const T sum13 = a[1] + a[3], sum02 = a[0] + a[2];
    h.put(b.y(0, 0), sum13 + sum02);
    h.put(b.y(e, 1), a[0] - a[2]);
    h.put(b.y(0, 2), a[3] - a[1]);
    h.put(b.y(e, 3), sum02 - sum13);
  }
  template <class Access, class B>
  [[gnu::always_inline]] static void middle(const Access& h, const B& b, int e) {
    const auto c0 = h.get(b.x(e, 0)), c1 = h.get(b.x(e, 1)), c2 = h.get(b.x(e, 2)), c3 = h.get(b.x(e, 3));
    const auto d13 = kSqrtHalf * (c1 - c3), s13 = kSqrtHalf * (c1 + c3);
    h.put(b.y(e, 0), c0 + d13);  // harmonic ido/2
    h.put(b.y(0, 1), -s13 - c2);
    h.put(b.y(e, 2), c0 - d13);  // harmonic 3*ido/2
    h.put(b.y(0, 3), c2 - s13);
  }
};

struct Radix3 {
  static constexpr int kFactor = 3;
  using Butterfly = Butterfly3;
  template <class Access, class B, class T>
  [[gnu::always_inline]] static void first(const Access& h, const B& b, int e, const std::array<T, kFactor>& a) {
    const T sum = a[1] + a[2];
    h.put(b.y(0, 0), a[0] + sum);
    h.put(b.y(e, 1), a[0] + kCos120 * sum);
    h.put(b.y(0, 2), kSin120 * (a[2] - a[1]));
  }
};

struct Radix5 {
  static constexpr int kFactor = 5;
  using Butterfly = Butterfly5;
  template <class Access, class B, class T>
  [[gnu::always_inline]] static void first(const Access& h, const B& b, int e, const std::array<T, kFactor>& a) {
    const T s1 = a[1] + a[4], s2 = a[2] + a[3], d1 = a[4] - a[1], d2 = a[3] - a[2];
    h.put(b.y(0, 0), a[0] + s1 + s2);
    h.put(b.y(e, 1), a[0] + kCos72 * s1 + kCos144 * s2);
    h.put(b.y(0, 2), kSin72 * d1 + kSin144 * d2);
    h.put(b.y(e, 3), a[0] + kCos144 * s1 + kCos72 * s2);
    h.put(b.y(0, 4), kSin144 * d1 - kSin72 * d2);
  }
};

template <class Radix>
constexpr bool kSeesEvenIdo = Radix::kFactor == 2 || Radix::kFactor == 4;  // 3 and 5 always see an odd ido

// Block k of a pass, harmonics t and t+1 in the lanes and an odd one left
// over alone; block b is a Block<1, 1> or a PairedRowsBlock (kInStep = 2).
template <class Radix, int kInStep, class B>
void one_block(const B b, int ido, const double* wa) {
  constexpr int kP = Radix::kFactor;
  const int e = ido - 1, last = (ido - 1) / 2;
  const OneHarmonic<kInStep> one;
  Radix::first(one, b, e, harmonic0<kP>(one, b));
  int t = 1;
  for (; t < last; t += 2) {
    Radix::Butterfly::run(TwoHarmonics<kInStep>{}, Rows<B>{b, 2 * t - 1, ido - 2 * t - 1}, twiddle_block(wa, kP, t));
  }
  if (t == last) Radix::Butterfly::run(one, Rows<B>{b, 2 * t - 1, ido - 2 * t - 1}, twiddle_block(wa, kP, t));
  if constexpr (kSeesEvenIdo<Radix>) {
    if (ido % 2 == 0) Radix::middle(one, b, e);
  }
}

// Up to this block length a pass that works on pairs of blocks prepares
// the twiddle factors of all its harmonics, each twice (see TwoBlocks), on
// the stack; longer blocks take theirs from the work array as they go.
constexpr int kShortIdo = 64;

// Blocks 0..l1-1 of a pass two at a time, blocks k and k+1 in the lanes,
// input and output in the layouts kInStep and kOutStep; an odd block left
// over (natural layouts only) through one_block.
template <class Radix, int kInStep, int kOutStep>
void block_pairs(const Pass& s, const double* wa) {
  constexpr int kP = Radix::kFactor;
  constexpr auto kPerHarmonic = 4 * static_cast<std::size_t>(kP - 1);  // doubles of twiddle factors for two blocks
  using B = Block<kInStep, kOutStep>;
  const int ido = s.ido, e = ido - 1, last = (ido - 1) / 2, pairs = s.l1 / 2;
  const auto uido = static_cast<std::size_t>(ido);
  const TwoBlocks<kInStep, kOutStep> h{uido, kP * uido};
  B b{s.cc, uido * static_cast<std::size_t>(s.l1), s.ch, kOutStep * uido};
  // From one pair of blocks to the next.
  const std::size_t in_next = 2 * uido;
  const std::size_t out_next = 2 * static_cast<std::size_t>(kP) * uido;
  if (ido == 1) {
    // The inputs of the next pair are read before the outputs of this one
    // are written (fewer stalls between the two streams).
    auto a = harmonic0<kP>(h, b);
    for (int k = 1; k < pairs; ++k) {
      const B done = b;
      b.in += in_next;
      b.out += out_next;
      const auto next = harmonic0<kP>(h, b);
      Radix::first(h, done, e, a);
      a = next;
    }
    if (pairs > 0) Radix::first(h, b, e, a);
  } else if (ido <= kShortIdo) {
    alignas(16) double w[kPerHarmonic * (kShortIdo / 2)];
    for (int t = 1; t <= last; ++t)
      twiddles_for_two_blocks(wa, kP, ido, t, w + kPerHarmonic * static_cast<std::size_t>(t - 1));
    for (int k = 0; k < pairs; ++k, b.in += in_next, b.out += out_next) {
      Radix::first(h, b, e, harmonic0<kP>(h, b));
      for (int t = 1; t <= last; ++t) {
        Radix::Butterfly::run(h, Rows<B>{b, 2 * t - 1, ido - 2 * t - 1},
                              w + kPerHarmonic * static_cast<std::size_t>(t - 1));
      }
      if constexpr (kSeesEvenIdo<Radix>) {
        if (ido % 2 == 0) Radix::middle(h, b, e);
      }
    }
  } else {
    const TwoBlocks<kInStep, kOutStep, 4, 0> h0{h.in_step, h.out_step};     // harmonic t of a pair t, t+1
    const TwoBlocks<kInStep, kOutStep, 4, 1> h1{h.in_step, h.out_step};     // harmonic t+1
    const TwoBlocks<kInStep, kOutStep, 2, 0> alone{h.in_step, h.out_step};  // a harmonic without partner
    for (int k = 0; k < pairs; ++k, b.in += in_next, b.out += out_next) {
      Radix::first(h, b, e, harmonic0<kP>(h, b));
      int t = 1;
      for (; t < last; t += 2) {
        const double* w = twiddle_block(wa, kP, t);
        Radix::Butterfly::run(h0, Rows<B>{b, 2 * t - 1, ido - 2 * t - 1}, w);
        Radix::Butterfly::run(h1, Rows<B>{b, 2 * t + 1, ido - 2 * t - 3}, w);
      }
      if (t == last) Radix::Butterfly::run(alone, Rows<B>{b, 2 * t - 1, ido - 2 * t - 1}, twiddle_block(wa, kP, t));
      if constexpr (kSeesEvenIdo<Radix>) {
        if (ido % 2 == 0) Radix::middle(h, b, e);
      }
    }
  }
  if (s.l1 % 2 == 1) one_block<Radix, 1>(block<1, 1>(s, s.l1 - 1), ido, wa);
}

// Whether a pass with factor p, l1 and ido works on pairs of blocks (see
// block_pairs): with an even l1 always, with an odd one (odd n) for short
// blocks only, where pairing the blocks saves most.
inline bool works_on_block_pairs(int p, int l1, int ido) {
  return p <= 5 && l1 >= 2 && (l1 % 2 == 0 || ido <= kShortIdo);
}

// The pass with factor 2, 3, 4 or 5 from cc to ch.  in_step and out_step
// give the layouts (see Block): 2 only between passes that work on pairs
// of blocks, and from such a pass to the last one (then in_step = 2 means
// the PairedRowsBlock layout).
template <class Radix>
// NOLINTNEXTLINE(readability-non-const-parameter): ch is the output, written through Block::y.
void radix_pass(int ido, int l1, const double* cc, double* ch, const double* wa, int in_step, int out_step) {
  const Pass s{ido, l1, Radix::kFactor, cc, ch};
  if (works_on_block_pairs(Radix::kFactor, l1, ido)) {
    // With ido = 1 the natural layout of the input is the interleaved one.
    if (in_step == 2 || ido == 1) {
      if (out_step == 2) {
        block_pairs<Radix, 2, 2>(s, wa);
      } else {
        block_pairs<Radix, 2, 1>(s, wa);
      }
    } else if (out_step == 2) {
      block_pairs<Radix, 1, 2>(s, wa);
    } else {
      block_pairs<Radix, 1, 1>(s, wa);
    }
  } else if (in_step == 2) {
    one_block<Radix, 2>(PairedRowsBlock{cc, static_cast<std::size_t>(ido), ch}, ido, wa);
  } else {
    for (int k = 0; k < l1; ++k) one_block<Radix, 1>(block<1, 1>(s, k), ido, wa);
  }
}

// Factor 2 pass.
void DF4TRF(int ido, int l1, const double* cc, double* ch, const double* wa, int in_step, int out_step) {
  radix_pass<Radix2>(ido, l1, cc, ch, wa, in_step, out_step);
}

// Factor 4 pass.
void DF6TRF(int ido, int l1, const double* cc, double* ch, const double* wa, int in_step, int out_step) {
  radix_pass<Radix4>(ido, l1, cc, ch, wa, in_step, out_step);
}

// Factor 3 pass (odd ido).
void DF5TRF(int ido, int l1, const double* cc, double* ch, const double* wa, int in_step, int out_step) {
  radix_pass<Radix3>(ido, l1, cc, ch, wa, in_step, out_step);
}

// Factor 5 pass (odd ido).
void DF7TRF(int ido, int l1, const double* cc, double* ch, const double* wa, int in_step, int out_step) {
  radix_pass<Radix5>(ido, l1, cc, ch, wa, in_step, out_step);
}

// General pass for an odd factor p (odd ido).  With S_j = V_j + V_(p-j)
// and D_j = V_j - V_(p-j), j = 1..h = (p-1)/2, harmonic t + ido*q is
// A_q - i*B_q and harmonic t + ido*(p-q) is A_q + i*B_q, where
// A_q = V_0 + sum of cos(2*pi*j*q/p)*S_j and B_q = sum of sin(2*pi*j*q/p)*D_j.
// The cosines and sines of the p-th roots are computed once per call
// (each from its own angle, so a large prime factor loses no accuracy to
// a recurrence).  Harmonic 0 goes two blocks at a time, the complex
// harmonics two at a time (see TwoBlocks, TwoHarmonics), an odd one left
// over alone, and the sums for several q at a time (see root_sums).

// The sums over j = 1..h of the general pass, in the order of j, for kQ
// consecutive q from q0 at once (independent chains of additions): with
// m = j*q mod p, a[n] += cs[m]*x[j] and b[n] += sn[m]*y[j] for q = q0 + n.
template <int kQ, class T>
[[gnu::always_inline]] inline void root_sums(int q0, int p, const double* cs, const double* sn, const T* x, const T* y,
                                             std::array<T, kQ>& a, std::array<T, kQ>& b) {
  std::array<int, kQ> m{};
  for (int j = 1; 2 * j < p; ++j) {
#pragma GCC unroll 4
    for (int n = 0; n < kQ; ++n) {
      auto& mn = m[static_cast<std::size_t>(n)];
      mn += q0 + n;
      if (mn >= p) mn -= p;
      a[static_cast<std::size_t>(n)] += cs[mn] * x[j];
      b[static_cast<std::size_t>(n)] += sn[mn] * y[j];
    }
  }
}

// f(q, kQ) for q = 1..h in groups of kQ consecutive q, the rest one by one.
template <int kQ, class F>
[[gnu::always_inline]] inline void in_groups(int half, const F& f) {
  int q = 1;
  for (; q + kQ - 1 <= half; q += kQ) f(q, std::integral_constant<int, kQ>{});
  for (; q <= half; ++q) f(q, std::integral_constant<int, 1>{});
}

// Harmonic 0 of block k (and k+1 with TwoBlocks) of the general pass:
// cs, sn are the cosines and sines of the p-th roots, sr and dr room for
// S_j and D_j.
template <class Access>
void general_first(const Access& h, const Pass& s, int k, const double* cs, const double* sn,
                   typename Access::Value* sr, typename Access::Value* dr) {
  using T = typename Access::Value;
  const int p = s.p, half = (p - 1) / 2, e = s.ido - 1;
  const T a0 = h.get(s.in(0, k, 0));
  T sum = a0;
  for (int j = 1; j <= half; ++j) {
    const T aj = h.get(s.in(0, k, j)), ajc = h.get(s.in(0, k, p - j));
    sr[j] = aj + ajc;
    dr[j] = ajc - aj;
    sum += sr[j];
  }
  h.put(s.out(0, 0, k), sum);
  // A_q and -B_q.
  in_groups<4>(half, [&](int q, auto group) {
    constexpr int kQ = decltype(group)::value;
    std::array<T, kQ> ar, mb{};
    ar.fill(a0);
    root_sums<kQ>(q, p, cs, sn, sr, dr, ar, mb);
    for (int n = 0; n < kQ; ++n) {
      h.put(s.out(e, 2 * (q + n) - 1, k), ar[static_cast<std::size_t>(n)]);
      h.put(s.out(0, 2 * (q + n), k), mb[static_cast<std::size_t>(n)]);
    }
  });
}

// Harmonic t (and t+1 with TwoHarmonics) of all blocks of the general
// pass, with the twiddle factors w of twiddle_block; sr, si, dr, di are
// room for S_j and D_j.
template <class Access>
void general_harmonics(const Access& h, const Pass& s, int t, const double* w, const double* cs, const double* sn,
                       typename Access::Value* sr, typename Access::Value* si, typename Access::Value* dr,
                       typename Access::Value* di) {
  using T = typename Access::Value;
  const int p = s.p, half = (p - 1) / 2, i = 2 * t - 1, ic = s.ido - 2 * t - 1;
  for (int k = 0; k < s.l1; ++k) {
    const Cx<T> v0 = h.load(s.in(i, k, 0));
    T sumr = v0.r, sumi = v0.i;
    for (int j = 1; j <= half; ++j) {
      const Cx<T> v = h.rotated(w, j, s.in(i, k, j));
      const Cx<T> vc = h.rotated(w, p - j, s.in(i, k, p - j));
      sr[j] = v.r + vc.r;
      si[j] = v.i + vc.i;
      dr[j] = v.r - vc.r;
      di[j] = v.i - vc.i;
      sumr += sr[j];
      sumi += si[j];
    }
    h.store(s.out(i, 0, k), {sumr, sumi});
    in_groups<4>(half, [&](int q, auto group) {
      constexpr int kQ = decltype(group)::value;
      std::array<T, kQ> ar, ai, br{}, bi{};
      ar.fill(v0.r);
      ai.fill(v0.i);
      root_sums<kQ>(q, p, cs, sn, sr, dr, ar, br);
      root_sums<kQ>(q, p, cs, sn, si, di, ai, bi);
      for (int n = 0; n < kQ; ++n) {
        const auto u = static_cast<std::size_t>(n);
        h.store(s.out(i, 2 * (q + n), k), {ar[u] + bi[u], ai[u] - br[u]});                 // harmonic t + ido*q
        h.store_mirrored(s.out(ic, 2 * (q + n) - 1, k), {ar[u] - bi[u], -ai[u] - br[u]});  // conjugate of t + ido*(p-q)
      }
    });
  }
}

// NOLINTNEXTLINE(readability-non-const-parameter): ch is the output, written through Pass::out.
void DF8TRF(int ido, int l1, int p, const double* cc, double* ch, const double* wa) {
  const Pass s{ido, l1, p, cc, ch};
  const int half = (p - 1) / 2;
  const auto up = static_cast<std::size_t>(p);
  // All of these throw std::bad_alloc for DF2TRF.
  std::vector<double> roots(2 * up);
  std::vector<double> one(4 * up);  // S_j and D_j, real and imaginary parts, for one value
  std::vector<Lanes> two(4 * up);   // and for two
  double* cs = roots.data();
  double* sn = cs + up;
  const double arg = kTwoPi / static_cast<double>(p);
  cs[0] = 1.0;
  sn[0] = 0.0;
  for (int m = 1; m <= half; ++m) {
    cs[m] = std::cos(static_cast<double>(m) * arg);
    sn[m] = std::sin(static_cast<double>(m) * arg);
    cs[p - m] = cs[m];
    sn[p - m] = -sn[m];
  }

  const TwoBlocks<1, 1> blocks{static_cast<std::size_t>(ido), up * static_cast<std::size_t>(ido)};
  for (int k = 0; k + 1 < l1; k += 2) general_first(blocks, s, k, cs, sn, two.data(), two.data() + up);
  if (l1 % 2 == 1) general_first(OneHarmonic<>{}, s, l1 - 1, cs, sn, one.data(), one.data() + up);

  const int last = (ido - 1) / 2;
  int t = 1;
  for (; t < last; t += 2) {
    general_harmonics(TwoHarmonics<>{}, s, t, twiddle_block(wa, p, t), cs, sn, two.data(), two.data() + up,
                      two.data() + 2 * up, two.data() + 3 * up);
  }
  if (t == last) {
    general_harmonics(OneHarmonic<>{}, s, t, twiddle_block(wa, p, t), cs, sn, one.data(), one.data() + up,
                      one.data() + 2 * up, one.data() + 3 * up);
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
// (at most n/2 + 2 doubles: the cosines, then the sines); the rest follows
// from the exact symmetries of the circle, cos(pi - x) = -cos(x) and
// cos(pi/2 - x) = sin(x), whose integer arguments n/2 - m and n/4 - m carry
// no rounding.  Odd n: each value from its own angle.
class UnitRoots {
 public:
  UnitRoots(int n, double* table)
      : half_(n % 2 == 0 ? n / 2 : 0),
        quarter_(n % 4 == 0 ? n / 4 : 0),
        limit_(n % 4 == 0   ? n / 8
               : n % 2 == 0 ? n / 4
                            : -1),
        argh_(kTwoPi / static_cast<double>(n)),
        cos_(table),
        sin_(table + (limit_ + 1)) {
    for (std::int64_t m = 0; m <= limit_; ++m) direct(m, cos_[m], sin_[m]);
  }

  // The folding is done on the index, the swap by the choice of the table
  // and the change of sign on the sign bit, so that the loops of DF3TRI run
  // without branches that depend on m.
  void operator()(std::int64_t m, double& c, double& s) const {
    if (limit_ < 0) {
      direct(m, c, s);
      return;
    }
    const bool beyond_quadrant = 2 * m > half_;  // angle above pi/2
    m = beyond_quadrant ? half_ - m : m;
    const bool beyond_octant = m > limit_;  // angle above pi/4 (n a multiple of 4)
    m = beyond_octant ? quarter_ - m : m;
    const double* first = beyond_octant ? sin_ : cos_;
    const double* second = beyond_octant ? cos_ : sin_;
    const auto cos_bits = std::bit_cast<std::uint64_t>(first[m]);
    s = second[m];
    c = std::bit_cast<double>(cos_bits ^ (static_cast<std::uint64_t>(beyond_quadrant) << 63));
  }

 private:
  void direct(std::int64_t m, double& c, double& s) const {
    const double angle = static_cast<double>(m) * argh_;
    c = std::cos(angle);
    s = std::sin(angle);
  }

  std::int64_t half_, quarter_, limit_;
  double argh_;
  double* cos_;
  double* sin_;
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
    // Harmonics t and t+1 (t odd) together, a last one alone (see
    // twiddle_block); m counts j*l1*t up in steps of l1*t.
    std::int64_t t = 1;
    for (; t < last; t += 2) {
      std::int64_t m0 = 0, m1 = 0;
      for (int j = 1; j < p; ++j, w += 4) {
        m0 += l1 * t;
        m1 += l1 * (t + 1);
        root(m0, w[0], w[2]);
        root(m1, w[1], w[3]);
      }
    }
    if (t == last) {
      std::int64_t m = 0;
      for (int j = 1; j < p; ++j, w += 2) {
        m += l1 * t;
        root(m, w[0], w[1]);
      }
    }
    l1 *= p;
  }
  return true;
}

// The transform of x (n doubles) into c; ch (n doubles) is the other
// buffer of the passes, wa and ifac are as DF3TRI filled them.  x may be c.
// The passes alternate between c and ch so that the last one writes c.
// A pass that works on pairs of blocks with an even l1 leaves its result
// interleaved (see Block) when the next pass does so too or is the last
// pass with factor 2 or 4.
void DF3TRF(int n, const double* x, double* c, double* ch, const double* wa, const double* ifac) {
  const int nf = static_cast<int>(ifac[1]);
  int factor[kMaxFactors];
  int l1_of[kMaxFactors];
  std::size_t offset[kMaxFactors];
  std::size_t at = 0;
  int l1 = 1;
  for (int f = 0; f < nf; ++f) {
    const int p = static_cast<int>(ifac[2 + f]);
    const int ido = n / (l1 * p);
    factor[f] = p;
    l1_of[f] = l1;
    offset[f] = at;
    at += 2 * static_cast<std::size_t>((ido - 1) / 2) * static_cast<std::size_t>(p - 1);
    l1 *= p;
  }
  // Whether pass f works on pairs of blocks with an even l1, and whether it
  // can read the interleaved layout.
  const auto even_pairs = [&](int f) { return factor[f] <= 5 && l1_of[f] % 2 == 0; };
  const auto reads_interleaved = [&](int f) { return even_pairs(f) || (f == 0 && (factor[0] == 2 || factor[0] == 4)); };

  double* out = nf % 2 == 1 ? c : ch;
  const double* in = x;
  if (x == out) {
    std::copy(x, x + n, ch);
    in = ch;
  }
  int ido = 1;
  int in_step = 1;
  for (int f = nf - 1; f >= 0; --f) {
    const int p = factor[f];
    const int l1f = l1_of[f];
    const int out_step = f > 0 && even_pairs(f) && reads_interleaved(f - 1) ? 2 : 1;
    const double* w = wa + offset[f];
    switch (p) {
      case 4:
        DF6TRF(ido, l1f, in, out, w, in_step, out_step);
        break;
      case 2:
        DF4TRF(ido, l1f, in, out, w, in_step, out_step);
        break;
      case 3:
        DF5TRF(ido, l1f, in, out, w, in_step, out_step);
        break;
      case 5:
        DF7TRF(ido, l1f, in, out, w, in_step, out_step);
        break;
      default:
        DF8TRF(ido, l1f, p, in, out, w);
        break;
    }
    ido *= p;
    in_step = out_step;
    in = out;
    out = out == c ? ch : c;
  }
}

// Whether ifac (15 doubles) holds a factorisation of n as DF3TRI writes
// it: n, a count of 1..kMaxFactors, and whole factors of at least 2 whose
// product is n.  The passes take their count and sizes from it, so a work
// array that was not prepared (or was overwritten, with NaN, say) must not
// reach them.
bool factor_table_ok(int n, const double* ifac) {
  if (!(ifac[0] == static_cast<double>(n)) || !(ifac[1] >= 1.0 && ifac[1] <= kMaxFactors)) return false;
  const int nf = static_cast<int>(ifac[1]);
  if (ifac[1] != nf) return false;
  std::int64_t product = 1;
  for (int f = 0; f < nf; ++f) {
    const double p = ifac[2 + f];
    if (!(p >= 2.0 && p <= static_cast<double>(n)) || p != std::floor(p)) return false;
    product *= static_cast<std::int64_t>(p);
    if (product > n) return false;
  }
  return product == n;
}

// The length check shared by the three public routines.
bool length_ok(int n) {
  if (n >= 1) return true;
  E1STI(1, n);
  E1MES(ErrorType::terminal, 1, msg::kFftLength);
  return false;
}

}  // namespace

void DFFTRI(int n, double* wfftr) {
  E1PSH("DFFTRI");
  if (length_ok(n)) {
    const auto un = static_cast<std::size_t>(n);
    if (!DF3TRI(n, wfftr, wfftr + un, wfftr + 2 * un)) {
      E1STI(1, n);
      E1MES(ErrorType::terminal, 2, msg::kFftStorage);
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
    } else if (!factor_table_ok(n, wfftr + 2 * un)) {
      E1STI(1, n);
      E1MES(ErrorType::terminal, 3, msg::kFftWorkArray);
    } else {
      try {
        DF3TRF(n, seq, coef, wfftr, wfftr + un, wfftr + 2 * un);
      } catch (const std::bad_alloc&) {
        E1STI(1, n);
        E1MES(ErrorType::terminal, 2, msg::kFftStorage);
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
      E1MES(ErrorType::terminal, 2, msg::kFftStorage);
    } else {
      DFFTRI(n, work.get());
      DF2TRF(n, seq, coef, work.get());
    }
  }
  E1POP("DFFTRF");
}

}  // namespace zelvan::numlib
