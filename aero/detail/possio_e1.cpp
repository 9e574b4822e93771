#include "aero/detail/possio_e1.hpp"

#include <cmath>

namespace zelvan::aero {
namespace {
constexpr double kEuler = 0.5772156649015328;
constexpr double kStop = 1e-10;  // last term added
constexpr int kMaxTerms = 1000;  // far more than |z| of the solver's domain needs
}  // namespace

std::complex<double> exp_integral_e1(std::complex<double> z) {
  const double re = z.real();
  const double im = z.imag();
  const std::complex<double> log_z(0.5 * std::log(re * re + im * im), std::atan2(im, re));
  std::complex<double> t = -z;  // t_1
  std::complex<double> sum = t;
  for (int n = 1; n < kMaxTerms; ++n) {
    const double factor = static_cast<double>(n) / (static_cast<double>(n + 1) * static_cast<double>(n + 1));
    // t_{n+1} = -t_n z n/(n+1)^2, the product written out (no library call)
    const std::complex<double> tz(t.real() * re - t.imag() * im, t.real() * im + t.imag() * re);
    t = -tz * factor;
    sum += t;
    if (std::sqrt(std::norm(t)) < kStop) break;
  }
  return -kEuler - log_z - sum;
}

}  // namespace zelvan::aero

namespace zelvan::aero {
namespace {
constexpr double kSeriesRadius = 5.0;    // series up to here, continued fraction beyond
constexpr double kFractionStop = 3e-16;  // relative change of a Lentz step (about one unit of rounding)
constexpr int kFractionMaxSteps = 1000;  // 40 suffice on the domain
constexpr double kLentzTiny = 1e-300;    // replaces a zero denominator
}  // namespace

std::complex<double> exp_integral_e1_accurate(std::complex<double> z) {
  if (std::abs(z) <= kSeriesRadius) {
    // -gamma - ln z - sum_{n>=1} (-z)^n / (n n!), summed until a term is
    // lost in the sum.
    std::complex<double> power = 1.0;  // (-z)^n / n!
    std::complex<double> sum = 0.0;
    for (int n = 1; n < kMaxTerms; ++n) {
      power *= -z / static_cast<double>(n);
      const std::complex<double> term = power / static_cast<double>(n);
      const std::complex<double> next = sum + term;
      if (next == sum) break;
      sum = next;
    }
    return -kEuler - std::log(z) - sum;
  }
  // Modified Lentz: f = b0 + a1/(b1 + a2/(b2 + ...)), here
  // 1/f = 1/(z + 1 - 1/(z + 3 - 4/(z + 5 - ...))).
  std::complex<double> b = z + 1.0;
  std::complex<double> c = 1.0 / kLentzTiny;
  std::complex<double> d = 1.0 / b;
  std::complex<double> h = d;
  for (int i = 1; i < kFractionMaxSteps; ++i) {
    const double a = -static_cast<double>(i) * static_cast<double>(i);
    b += 2.0;
    d = a * d + b;
    if (d == 0.0) d = kLentzTiny;
    d = 1.0 / d;
    c = b + a / c;
    if (c == 0.0) c = kLentzTiny;
    const std::complex<double> delta = c * d;
    h *= delta;
    if (std::abs(delta - 1.0) < kFractionStop) break;
  }
  return h * std::exp(-z);
}

}  // namespace zelvan::aero
