// Adaptive Romberg quadrature of a complex integrand on a finite interval,
// as the Possio kernel uses it.
//
// Level 1 is the composite trapezoidal rule on 32 equal intervals (the
// integrand taken at both ends too); each further level halves the step
// and evaluates the integrand only at the new midpoints.  Every new row
// of the Richardson table is extrapolated,
//   T(j, m+1) = (4^m T(j, m) - T(j-1, m)) / (4^m - 1),
// and from level 2 on the diagonal T(j, j) is accepted when
//   |T(j, j) - T(j-1, j-1)| / |T(j-1, j-1)| < tol            (relative test)
// or
//   |T(j, j) - T(j-1, j-1)| <= tol * A(j)                     (cancellation test)
// where A(j) is the trapezoidal integral of |f| on the nodes of level j.
// Where the integral does not cancel, |T| is close to A and the second
// test asks no less than the first.  Where it does cancel (an integral of
// the order of rounding noise, or exactly zero), the relative test can
// never succeed and the second one ends the refinement once the change is
// below tol relative to the size of the integrand.  A quadrature that has
// met neither test after max_levels levels ends the run with a message
// (see docs/possio-solver.md); so does, at once, a change between levels
// that is not a finite number (an integrand or a limit that is NaN or
// infinite), so the quadrature ends for every input.
#pragma once

#include <array>
#include <cmath>
#include <complex>

namespace zelvan::aero {

// Number of intervals of level 1.
inline constexpr int kRombergFirstIntervals = 32;
// Room of the Richardson table.
inline constexpr int kRombergTableLevels = 50;
// Default level bound: 32 * 2^21 intervals, about 6.7e7 integrand values
// on the last level.  The solver's integrals converge by level 17 over
// the whole domain it accepts.
inline constexpr int kRombergMaxLevels = 22;
// Intervals shorter than this give the integral 0.
inline constexpr double kRombergNullInterval = 1e-10;

struct RombergResult {
  std::complex<double> value;  // the integral
  int levels = 0;              // levels used (0 for a null interval)
  long evaluations = 0;        // integrand values computed
};

namespace romberg_detail {
inline double modulus(std::complex<double> z) { return std::sqrt(z.real() * z.real() + z.imag() * z.imag()); }
}  // namespace romberg_detail

// Ends the run with the non-convergence message (defined in the .cpp).
[[noreturn]] void romberg_no_convergence(double a, double b, int levels, long evaluations);

// Integral of f from a to b.  a, b: limits (any order; the sign follows
// b - a).  f: callable double -> std::complex<double>, finite on [a, b].
// tol: relative tolerance (the Possio kernel passes 1e-8).  max_levels:
// level bound, 2..50.  An interval with |b - a| < 1e-10 gives exactly 0
// without evaluating f.  Failure: no convergence within max_levels ends
// the run (textio::RunStop, limit_violation) with a message naming a, b.
template <class F>
RombergResult romberg(double a, double b, F&& f, double tol, int max_levels = kRombergMaxLevels) {
  RombergResult result;
  if (std::fabs(b - a) < kRombergNullInterval) return result;

  std::array<std::complex<double>, kRombergTableLevels> previous{};
  std::array<std::complex<double>, kRombergTableLevels> current{};

  long intervals = kRombergFirstIntervals;
  double h = (b - a) / static_cast<double>(intervals);
  // Level 1: trapezoidal rule.
  std::complex<double> fa = f(a);
  std::complex<double> fb = f(b);
  std::complex<double> sum = 0.5 * (fa + fb);
  double abs_sum = 0.5 * (romberg_detail::modulus(fa) + romberg_detail::modulus(fb));
  for (long i = 1; i < intervals; ++i) {
    const std::complex<double> v = f(a + static_cast<double>(i) * h);
    sum += v;
    abs_sum += romberg_detail::modulus(v);
  }
  result.evaluations = intervals + 1;
  previous[0] = h * sum;
  double abs_integral = std::fabs(h) * abs_sum;

  for (int level = 2; level <= max_levels; ++level) {
    // New midpoints.
    h *= 0.5;
    std::complex<double> mid{};
    double abs_mid = 0.0;
    for (long i = 1; i < 2 * intervals; i += 2) {
      const std::complex<double> v = f(a + static_cast<double>(i) * h);
      mid += v;
      abs_mid += romberg_detail::modulus(v);
    }
    result.evaluations += intervals;
    intervals *= 2;
    current[0] = previous[0] / 2.0 + h * mid;
    abs_integral = abs_integral / 2.0 + std::fabs(h) * abs_mid;

    // Richardson extrapolation of the new row.
    double four_m = 1.0;
    for (int m = 1; m < level; ++m) {
      four_m *= 4.0;
      current[m] = (four_m * current[m - 1] - previous[m - 1]) / (four_m - 1.0);
    }

    const std::complex<double> diagonal = current[level - 1];
    const std::complex<double> last = previous[level - 2];
    const double change = romberg_detail::modulus(diagonal - last);
    const double size = romberg_detail::modulus(last);
    // A table holding a value that is not a number (or infinite) never
    // settles: the run ends now rather than after max_levels levels.
    if (!std::isfinite(change)) romberg_no_convergence(a, b, level, result.evaluations);
    if ((size > 0.0 && change / size < tol) || change <= tol * abs_integral) {
      result.value = diagonal;
      result.levels = level;
      return result;
    }
    previous = current;
  }
  romberg_no_convergence(a, b, max_levels, result.evaluations);
}

}  // namespace zelvan::aero
