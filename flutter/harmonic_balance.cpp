#include "flutter/harmonic_balance.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>

#include "numlib/devccg.hpp"
#include "numlib/illinois.hpp"

namespace zelvan::flutter {
namespace {

using Complex = std::complex<double>;
using Complex2 = std::array<Complex, 4>;  // column-major

// Iterations of the Illinois method; each at least thirds the bracket
// every few steps, so this bound is never reached by a bracket of doubles.
constexpr int kMostRootIterations = 200;
// Fixed-point iterations of the plunge amplitude and their tolerance
// (relative): the amplitude ratio of the flutter mode changes slowly with
// the plunge stiffness, so a few suffice.
constexpr int kMostPlungeIterations = 100;
constexpr double kPlungeTolerance = 1e-12;

Complex2 inverse(const Complex2& m) {
  const Complex det = m[0] * m[3] - m[2] * m[1];
  return {m[3] / det, -m[1] / det, -m[2] / det, m[0] / det};
}

Complex2 product(const Complex2& a, const std::array<double, 4>& b) {
  return {a[0] * b[0] + a[2] * b[1], a[1] * b[0] + a[3] * b[1], a[0] * b[2] + a[2] * b[3], a[1] * b[2] + a[3] * b[3]};
}

// B(k) = M - (rho b^2/(2 k^2)) Q(k).
Complex2 inertia(const HarmonicSection& s, double k, const Matrix2& q) {
  const double f = s.rho * s.half_chord * s.half_chord / (2.0 * k * k);
  Complex2 b{};
  for (std::size_t e = 0; e < 4; ++e) b[e] = s.mass[e] - f * q[e];
  return b;
}

// The two roots w with the largest real parts of det(K + i w D - w^2 B) = 0:
// the eigenvalues of [[0, I], [B^-1 K, i B^-1 D]].
std::array<Complex, 2> roots_at(const HarmonicSection& s, double k, const Matrix2& q) {
  const Complex2 binv = inverse(inertia(s, k, q));
  const Complex2 bk = product(binv, s.stiffness);
  const Complex2 bd = product(binv, s.damping);
  std::array<Complex, 16> c{};
  const auto at = [](std::size_t i, std::size_t j) { return i + 4 * j; };
  c[at(0, 2)] = 1.0;
  c[at(1, 3)] = 1.0;
  for (std::size_t i = 0; i < 2; ++i) {
    for (std::size_t j = 0; j < 2; ++j) {
      c[at(2 + i, j)] = bk[i + 2 * j];
      c[at(2 + i, 2 + j)] = Complex(0.0, 1.0) * bd[i + 2 * j];
    }
  }
  std::array<Complex, 4> eval{};
  numlib::DEVLCG(4, c.data(), 4, eval.data());
  std::sort(eval.begin(), eval.end(), [](Complex x, Complex y) { return x.real() > y.real(); });
  return {eval[0], eval[1]};
}

// The roots in the order of the branches they continue.
std::array<Complex, 2> follow(const std::array<Complex, 2>& previous, const std::array<Complex, 2>& roots) {
  const double straight = std::abs(roots[0] - previous[0]) + std::abs(roots[1] - previous[1]);
  const double swapped = std::abs(roots[1] - previous[0]) + std::abs(roots[0] - previous[1]);
  return straight <= swapped ? roots : std::array<Complex, 2>{roots[1], roots[0]};
}

Complex nearest(const std::array<Complex, 2>& roots, Complex near) {
  return std::abs(roots[0] - near) <= std::abs(roots[1] - near) ? roots[0] : roots[1];
}

int sign_of(double v) { return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0); }

// The null vector of F = K + i w D - w^2 B, from its row of larger norm,
// of unit length.
std::array<Complex, 2> shape_at(const HarmonicSection& s, double k, const Matrix2& q, Complex w) {
  const Complex2 b = inertia(s, k, q);
  Complex2 f{};
  for (std::size_t e = 0; e < 4; ++e) f[e] = s.stiffness[e] + Complex(0.0, 1.0) * w * s.damping[e] - w * w * b[e];
  const double row1 = std::abs(f[0]) + std::abs(f[2]);
  const double row2 = std::abs(f[1]) + std::abs(f[3]);
  std::array<Complex, 2> x = row1 >= row2 ? std::array<Complex, 2>{-f[2], f[0]} : std::array<Complex, 2>{-f[3], f[1]};
  const double length = std::hypot(std::abs(x[0]), std::abs(x[1]));
  if (length == 0.0) return {1.0, 0.0};
  return {x[0] / length, x[1] / length};
}

// The root of `f` between a and b, f(a) and f(b) of opposite signs, by
// the Illinois method until |b - a| <= tolerance * max(|a|, |b|): the end
// with the smaller |f|.
template <typename F>
double illinois(F&& f, double a, double fa, double b, double fb, double tolerance) {
  if (fa == 0.0) return a;
  const auto narrow = [tolerance](double x, double y) {
    return std::fabs(y - x) <= tolerance * std::max(std::fabs(x), std::fabs(y));
  };
  const numlib::Bracket found = numlib::illinois(f, {a, fa, b, fb}, sign_of(fa), narrow, kMostRootIterations);
  return std::fabs(found.fa) <= std::fabs(found.fb) ? found.a : found.b;
}

bool is_linear(const SpringNonlinearity& s) { return s.cubic == 0.0 && s.freeplay == 0.0; }

}  // namespace

double describing_function(const SpringNonlinearity& spring, double amplitude) {
  if (spring.freeplay > 0.0) {
    if (amplitude <= spring.freeplay) return 0.0;
    const double d = spring.freeplay / amplitude;
    return 1.0 - (2.0 / std::numbers::pi) * (std::asin(d) + d * std::sqrt(1.0 - d * d));
  }
  return 1.0 + 0.75 * spring.cubic * amplitude * amplitude;
}

HarmonicSection with_scan(HarmonicSection section, double k_high, double k_low, int count) {
  section.k.clear();
  section.q.clear();
  for (int i = 0; i < count; ++i) {
    const double k = k_high * std::pow(k_low / k_high, static_cast<double>(i) / (count - 1));
    const std::optional<Matrix2> q = section.coefficients(k);
    if (!q) continue;
    section.k.push_back(k);
    section.q.push_back(*q);
  }
  return section;
}

std::optional<ExactFlutter> exact_flutter(const HarmonicSection& section) {
  if (section.k.size() < 2) return std::nullopt;
  std::array<Complex, 2> previous = roots_at(section, section.k[0], section.q[0]);
  const std::array<int, 2> stable{sign_of(previous[0].imag()), sign_of(previous[1].imag())};
  for (std::size_t i = 1; i < section.k.size(); ++i) {
    const std::array<Complex, 2> roots = follow(previous, roots_at(section, section.k[i], section.q[i]));
    for (std::size_t j = 0; j < 2; ++j) {
      if (stable[j] == 0 || roots[j].real() <= 0.0 || sign_of(roots[j].imag()) == stable[j]) continue;
      // Between k[i-1] (stable) and k[i]: Im w of the branch, followed
      // from the root nearest the last one found.
      Complex near = previous[j];
      Complex found = roots[j];
      const auto im_w = [&](double k) {
        const std::optional<Matrix2> q = section.coefficients(k);
        if (!q) return std::numeric_limits<double>::quiet_NaN();
        found = nearest(roots_at(section, k, *q), near);
        near = found;
        return found.imag();
      };
      const double k =
          illinois(im_w, section.k[i - 1], previous[j].imag(), section.k[i], roots[j].imag(), kExactFlutterTolerance);
      const std::optional<Matrix2> q = section.coefficients(k);
      if (!q) return std::nullopt;
      const Complex w = nearest(roots_at(section, k, *q), near);
      ExactFlutter out;
      out.k = k;
      out.omega = w.real();
      out.u = w.real() * section.half_chord / k;
      out.shape = shape_at(section, k, *q, w);
      return out;
    }
    previous = roots;
  }
  return std::nullopt;
}

std::optional<HarmonicBalancePoint> harmonic_balance_point(const HarmonicSection& section,
                                                           const SectionSprings& springs, double amplitude_theta) {
  HarmonicSection equivalent = section;
  equivalent.stiffness[3] = section.stiffness[3] * describing_function(springs[1], amplitude_theta);
  HarmonicBalancePoint point;
  point.amplitude_theta = amplitude_theta;
  std::optional<ExactFlutter> flutter = exact_flutter(equivalent);
  if (!flutter) return std::nullopt;
  const auto plunge_amplitude = [&](const ExactFlutter& f) {
    const double pitch = std::abs(f.shape[1]);
    return pitch > 0.0 ? amplitude_theta * std::abs(f.shape[0]) / pitch : 0.0;
  };
  point.amplitude_h = plunge_amplitude(*flutter);
  if (!is_linear(springs[0])) {
    bool settled = false;
    for (int iteration = 0; iteration < kMostPlungeIterations && !settled; ++iteration) {
      equivalent.stiffness[0] = section.stiffness[0] * describing_function(springs[0], point.amplitude_h);
      flutter = exact_flutter(equivalent);
      if (!flutter) return std::nullopt;
      const double next = plunge_amplitude(*flutter);
      settled = std::fabs(next - point.amplitude_h) <= kPlungeTolerance * std::max(next, 1e-300);
      point.amplitude_h = next;
    }
    if (!settled) return std::nullopt;
  }
  point.flutter = *flutter;
  return point;
}

HarmonicBalanceCurve harmonic_balance_curve(const HarmonicSection& section, const SectionSprings& springs,
                                            double most_amplitude, int count) {
  HarmonicBalanceCurve curve;
  const SpringNonlinearity& pitch = springs[1];
  double top = most_amplitude;
  // A softening spring has no stiffness left where 1 + (3/4) c A^2 = 0.
  if (pitch.cubic < 0.0) top = std::min(top, 0.999 * std::sqrt(-4.0 / (3.0 * pitch.cubic)));
  for (int i = 1; i <= count; ++i) {
    double a = top * i / count;
    if (pitch.freeplay > 0.0) {
      // From just above the width, log-spaced: N(A) changes fastest there.
      const double low = pitch.freeplay * (1.0 + 1e-6);
      a = low * std::pow(top / low, static_cast<double>(i - 1) / (count - 1));
    }
    curve.amplitude_theta.push_back(a);
    curve.points.push_back(harmonic_balance_point(section, springs, a));
  }
  return curve;
}

std::vector<HarmonicBalanceCycle> harmonic_balance_cycles(const HarmonicSection& section, const SectionSprings& springs,
                                                          const HarmonicBalanceCurve& curve, double u) {
  std::vector<HarmonicBalanceCycle> cycles;
  const auto excess = [&](double a) {
    const std::optional<HarmonicBalancePoint> p = harmonic_balance_point(section, springs, a);
    return p ? p->flutter.u - u : std::numeric_limits<double>::quiet_NaN();
  };
  for (std::size_t i = 1; i < curve.points.size(); ++i) {
    const auto& lo = curve.points[i - 1];
    const auto& hi = curve.points[i];
    if (!lo || !hi) continue;
    const double f_lo = lo->flutter.u - u, f_hi = hi->flutter.u - u;
    if (f_lo == 0.0 || sign_of(f_lo) == sign_of(f_hi)) continue;
    const double a =
        illinois(excess, curve.amplitude_theta[i - 1], f_lo, curve.amplitude_theta[i], f_hi, kCycleAmplitudeTolerance);
    cycles.push_back({a, hi->flutter.u > lo->flutter.u});
  }
  return cycles;
}

}  // namespace zelvan::flutter
