// Hankel functions of the second kind of orders 0 and 1 of a real positive
// argument, H0(x) = J0(x) - i*Y0(x) and H1(x) = J1(x) - i*Y1(x), as the
// Possio kernel needs them: ascending series up to x = 15, asymptotic
// expansion beyond.  Independent of the numerical library's Bessel
// functions.
//
// Accuracy: about 1e-14 relative for small x, falling to about 1e-11 near
// x = 15, where the terms of the ascending series grow to 7e4 (order 0)
// and 9e3 (order 1) before they decay; the asymptotic sums stop after at
// most about 9 terms.
#pragma once

#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>

namespace zelvan::aero {

// H0(x).  x: argument (dimensionless), domain x > 0.  h: the result.  For
// x <= 0 (or NaN) one message line is written to the console and h is
// left unchanged; nothing else is reported.
void hankel_h0(double x, std::complex<double>& h);

// H1(x).  Arguments, domain and failure as for hankel_h0.
void hankel_h1(double x, std::complex<double>& h);

// The evaluation kernels, inline so that the quadrature loops of the
// Possio kernel can use them without a call.  Each one requires x > 0.
namespace hankel_detail {

inline constexpr double kEuler = 0.5772156649015328;
inline constexpr double kEpsilon = 1.0000000000000002e-12;  // stopping threshold of every sum
inline constexpr double kSwitch = 15.0;                     // series up to here, asymptotic beyond
inline constexpr int kMaxTerms = 64;                        // the series needs at most about 35

// Increments of the imaginary part of the series' weight per term:
// order 0: (2/pi)/m; order 1: (1/pi)*(1/m + 1/(m+1)).  And the factors of
// the terms' recurrences as reciprocals, -q/m^2 = -q * inverse0[m],
// -q/(m(m+1)) = -q * inverse1[m] (a multiplication where the recurrence
// would otherwise wait on a division), which the series of order 1 and the
// pair of both orders take.
struct SeriesTables {
  std::array<double, kMaxTerms + 1> order0{};
  std::array<double, kMaxTerms + 1> order1{};
  std::array<double, kMaxTerms + 1> inverse0{};
  std::array<double, kMaxTerms + 1> inverse1{};
  SeriesTables() {
    for (std::size_t m = 1; m < order0.size(); ++m) {
      const auto dm = static_cast<double>(m);
      order0[m] = (2.0 / std::numbers::pi) / dm;
      order1[m] = (1.0 / std::numbers::pi) * (1.0 / dm + 1.0 / (dm + 1.0));
      inverse0[m] = 1.0 / (dm * dm);
      inverse1[m] = 1.0 / (dm * (dm + 1.0));
    }
  }
};

inline const SeriesTables& series_tables() {
  static const SeriesTables tables;
  return tables;
}

// Ascending series of H0.
inline std::complex<double> h0_series(double x) {
  const auto& inc = series_tables().order0;
  const double q = x * x / 4.0;
  const double l = std::log(x / 2.0) + kEuler;
  double wi = -(2.0 / std::numbers::pi) * l;  // weight w = 1 + i*wi
  double t = 1.0;
  double hr = 1.0;
  double hi = wi;
  const double eps2 = kEpsilon * kEpsilon;
  for (int m = 1; m <= kMaxTerms; ++m) {
    t = t * (-q / (double(m) * double(m)));
    wi = wi + inc[m];
    const double ti = t * wi;
    hr += t;
    hi += ti;
    if (t * t + ti * ti < eps2) break;
  }
  return {hr, hi};
}

// H0(x) and the regular part H1(x) - 2i/(pi*x) of the ascending series
// together, for a caller that already has ln(x/2): the terms of h0_series
// and h1_series_regular in one loop without branches, which runs until the
// terms of both are below the threshold (so one of them may take a term or
// two more than alone, each below 1e-12 of the first).
struct HankelPair {
  std::complex<double> h0;
  std::complex<double> h1_regular;
};

inline HankelPair h0_h1_series(double x, double log_half_x) {
  const auto& tables = series_tables();
  const double q = x * x / 4.0;
  const double l = log_half_x + kEuler;
  double w0 = -(2.0 / std::numbers::pi) * l;
  double w1 = -(2.0 / std::numbers::pi) * (l - 0.5);
  double t0 = 1.0;
  double t1 = 1.0;
  double hr = 1.0;
  double hi = w0;
  double sr = 1.0;
  double si = w1;
  const double eps2 = kEpsilon * kEpsilon;
  for (int m = 1; m <= kMaxTerms; ++m) {
    t0 = t0 * (-q * tables.inverse0[m]);
    t1 = t1 * (-q * tables.inverse1[m]);
    w0 = w0 + tables.order0[m];
    w1 = w1 + tables.order1[m];
    const double ti0 = t0 * w0;
    const double ti1 = t1 * w1;
    hr += t0;
    hi += ti0;
    sr += t1;
    si += ti1;
    if (t0 * t0 + ti0 * ti0 < eps2 && t1 * t1 + ti1 * ti1 < eps2) break;
  }
  return {{hr, hi}, {(x / 2.0) * sr, (x / 2.0) * si}};
}

// Ascending series of H1 without its singular term 2i/(pi*x): the regular
// part H1(x) - 2i/(pi*x) = (x/2)*S, for a caller that already has ln(x/2)
// or from it.
inline std::complex<double> h1_series_regular(double x, double log_half_x) {
  const auto& tables = series_tables();
  const double q = x * x / 4.0;
  double w = -(2.0 / std::numbers::pi) * (log_half_x + kEuler - 0.5);
  double t = 1.0;
  double sr = 1.0;
  double si = w;
  const double eps2 = kEpsilon * kEpsilon;
  for (int m = 1; m <= kMaxTerms; ++m) {
    t = t * (-q * tables.inverse1[m]);
    w = w + tables.order1[m];
    const double ti = t * w;
    sr += t;
    si += ti;
    if (t * t + ti * ti < eps2) break;
  }
  return {(x / 2.0) * sr, (x / 2.0) * si};
}

inline std::complex<double> h1_series_regular(double x) { return h1_series_regular(x, std::log(x / 2.0)); }

// Asymptotic expansion of order nu (mu = 4*nu^2), x > 15.
template <int Nu>
inline std::complex<double> asymptotic(double x) {
  constexpr long mu = 4L * Nu * Nu;
  double p = 1.0;
  double big_p = 1.0;
  double q = static_cast<double>(mu - 1) / (8.0 * x);
  double big_q = q;
  for (long m = 1; m <= kMaxTerms; ++m) {
    const long a = 4 * m - 3;
    const long b = 4 * m - 1;
    const long c = 4 * m + 1;
    p = p * (-static_cast<double>((mu - a * a) * (mu - b * b)) / (8.0 * double(m) * double(4 * m - 2) * x * 8.0 * x));
    big_p += p;
    q = q * (-static_cast<double>((mu - b * b) * (mu - c * c)) / (8.0 * double(m) * double(4 * m + 2) * x * 8.0 * x));
    big_q += q;
    if (std::fabs(p) < kEpsilon && std::fabs(q) < kEpsilon) break;
  }
  const double phase = x - (Nu == 0 ? std::numbers::pi / 4.0 : 3.0 * std::numbers::pi / 4.0);
  const double r = std::sqrt(2.0 / (std::numbers::pi * x));
  const double c = std::cos(phase);
  const double s = std::sin(phase);
  // r * (P - iQ) * (c - i s)
  return {r * (big_p * c - big_q * s), -r * (big_p * s + big_q * c)};
}

inline std::complex<double> h0(double x) { return x <= kSwitch ? h0_series(x) : asymptotic<0>(x); }

inline std::complex<double> h1(double x) {
  if (x <= kSwitch) {
    const std::complex<double> reg = h1_series_regular(x);
    return {reg.real(), reg.imag() + 2.0 / (std::numbers::pi * x)};
  }
  return asymptotic<1>(x);
}

// H1(x) - 2i/(pi*x), without cancellation for small x.
inline std::complex<double> h1_regular(double x) {
  if (x <= kSwitch) return h1_series_regular(x);
  const std::complex<double> h = asymptotic<1>(x);
  return {h.real(), h.imag() - 2.0 / (std::numbers::pi * x)};
}

}  // namespace hankel_detail
}  // namespace zelvan::aero
