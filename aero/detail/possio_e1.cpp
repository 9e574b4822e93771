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
