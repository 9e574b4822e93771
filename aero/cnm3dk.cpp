#include "aero/cnm3dk.hpp"

#include "aero/aero_state.hpp"
#include "numlib/bessel.hpp"

namespace zelvan::aero {
namespace {

// C(k) = H1 / (H1 + i H0) with the Hankel functions of the second kind
// H0 = J0 - i Y0, H1 = J1 - i Y1.
std::complex<double> theodorsen(double k) {
  const double j0 = numlib::DBSJ0(k);
  const double y0 = numlib::DBSY0(k);
  const double j1 = numlib::DBSJ1(k);
  const double y1 = numlib::DBSY1(k);
  return std::complex<double>(j1, -y1) / std::complex<double>(j1 + y0, j0 - y1);
}

// -i*s*z for real s.
std::complex<double> minus_i_times(double s, std::complex<double> z) { return {s * z.imag(), -s * z.real()}; }

}  // namespace

void cnm3dk(double k, double x_p, std::complex<double>& c1, std::complex<double>& c2, std::complex<double>& c3,
            std::complex<double>& c4) {
  TheodorsenCache& cache = aero_state().theodorsen;
  if (k != cache.kold) {
    if (k == 0.0) {
      // Y0 and Y1 have no value at 0; C(0) = 1 is the limit, and the cache
      // returns to its initial state.
      cache.ck = 1.0;
    } else {
      cache.ck = theodorsen(k);
      ++cache.evaluations;
    }
    cache.kold = k;
  }
  plate_coefficients(k, x_p, cache.ck, c1, c2, c3, c4);
}

void plate_coefficients(double k, double x_p, std::complex<double> ck, std::complex<double>& c1,
                        std::complex<double>& c2, std::complex<double>& c3, std::complex<double>& c4) {
  // About the quarter-chord point.
  c1 = ck + std::complex<double>(0.0, 0.5 * k);
  c2 = std::complex<double>(0.0, -k / 8.0);
  c3 = std::complex<double>(-k * ck.imag() - k * k / 4.0, k * ck.real());
  c4 = std::complex<double>(k * k * 0.75 * 0.125, -k / 8.0);
  if (x_p == 0.25) return;

  // Transfer to the pitch axis at x_p, d chords aft of the quarter chord;
  // 2k turns a displacement in chords into a downwash angle because k
  // refers to the half chord.
  const double d = x_p - 0.25;
  const std::complex<double> c2_quarter = c2;
  const std::complex<double> c3_quarter = c3;
  const double s = 2.0 * k * d;
  c2 = c2_quarter + d * c1;
  c3 = c3_quarter + minus_i_times(s, c1);
  c4 = c4 + d * c3_quarter + minus_i_times(s, c2);
}

long cnm3dk_theodorsen_evaluations() { return aero_state().theodorsen.evaluations; }

void reset_cnm3dk() { aero_state().theodorsen = TheodorsenCache{}; }

}  // namespace zelvan::aero
