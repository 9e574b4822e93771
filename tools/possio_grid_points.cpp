// Measures the points the Possio coefficient grid of the p-k analysis needs
// (docs/flutter-solution.md, "The Possio grid of the p-k analysis"): for
// each range (Ma, k_lo, k_hi) the smallest number of Chebyshev points in
// aero::grid_variable that interpolates the coefficients within 1e-7 of the
// largest, measured against exact solves at 300 log-spaced k, and the
// number aero::grid_points gives with the error it reaches.  Prints a
// markdown table and a summary.  Not run by ctest (about ten seconds).
//
//   build/tools/possio_grid_points              every range
//   build/tools/possio_grid_points --short      the ranges of the docs' table
//   build/tools/possio_grid_points --variables  for the short ranges, the
//       (even) points needed in ln k, in k and in the grid's variable
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "aero/coefficient_grid.hpp"

namespace {

using zelvan::aero::AeroRoute;
using zelvan::aero::AeroRouteEvaluator;
using zelvan::aero::CoefficientGrid;
using zelvan::aero::Matrix2;

constexpr double kTarget = 1e-7;
constexpr int kSamples = 300;
constexpr int kMostPoints = 120;
// The pitch axis of the solves (chord fraction); the counts hardly depend
// on it (measured at 0.2, 0.35, 0.5 and 0.7).
constexpr double kPitchAxis = 0.35;

struct Range {
  double mach, k_lo, k_hi;
};

struct Exact {
  std::vector<double> k;
  std::vector<Matrix2> q;
  double largest = 0.0;
};

Exact exact_solves(AeroRouteEvaluator& route, const Range& r) {
  Exact e;
  for (int i = 0; i < kSamples; ++i) {
    const double k = r.k_lo * std::pow(r.k_hi / r.k_lo, (i + 0.5) / kSamples);
    e.k.push_back(k);
    e.q.push_back(route.coefficients(k, r.mach));
    for (const std::complex<double>& z : e.q.back()) e.largest = std::max(e.largest, std::abs(z));
  }
  return e;
}

double grid_error(AeroRouteEvaluator& route, const Range& r, const Exact& e, int points) {
  const CoefficientGrid grid(route, r.mach, r.k_lo, r.k_hi, points);
  double error = 0.0;
  for (std::size_t i = 0; i < e.k.size(); ++i) {
    const Matrix2 q = grid.at(e.k[i]);
    for (std::size_t j = 0; j < 4; ++j) error = std::max(error, std::abs(q[j] - e.q[i][j]));
  }
  return error / e.largest;
}

// The error of interpolation at `points` Chebyshev points of the variable
// v(k) (increasing, with inverse v_inverse) on the range.
template <class V, class VInverse>
double variable_error(AeroRouteEvaluator& route, const Range& r, const Exact& e, int points, V v, VInverse v_inverse) {
  const double lo = v(r.k_lo), hi = v(r.k_hi);
  const int n = points - 1;
  std::vector<double> t(static_cast<std::size_t>(points)), w(t.size());
  std::vector<Matrix2> values(t.size());
  for (int j = 0; j <= n; ++j) {
    t[j] = std::cos(std::numbers::pi * j / n);
    w[j] = ((j % 2 == 0) ? 1.0 : -1.0) * ((j == 0 || j == n) ? 0.5 : 1.0);
    const double k = j == 0 ? r.k_hi : (j == n ? r.k_lo : v_inverse(0.5 * (lo + hi) + 0.5 * (hi - lo) * t[j]));
    values[j] = route.coefficients(k, r.mach);
  }
  double error = 0.0;
  for (std::size_t i = 0; i < e.k.size(); ++i) {
    const double x = (v(e.k[i]) - 0.5 * (lo + hi)) / (0.5 * (hi - lo));
    Matrix2 numerator{};
    double denominator = 0.0;
    for (int j = 0; j <= n; ++j) {
      const double c = w[j] / (x - t[j]);
      for (std::size_t a = 0; a < 4; ++a) numerator[a] += c * values[j][a];
      denominator += c;
    }
    for (std::size_t a = 0; a < 4; ++a) error = std::max(error, std::abs(numerator[a] / denominator - e.q[i][a]));
  }
  return error / e.largest;
}

// The even number of points that reaches kTarget, or -1 beyond 50.
template <class V, class VInverse>
int even_points_needed(AeroRouteEvaluator& route, const Range& r, const Exact& e, V v, VInverse v_inverse) {
  for (int n = 10; n <= 50; n += 2) {
    if (variable_error(route, r, e, n, v, v_inverse) < kTarget) return n;
  }
  return -1;
}

const std::vector<Range> kShortList = {{0.5, 0.37, 5.24},  {0.5, 0.1, 2.0},     {0.5, 1.0, 9.0},  {0.3, 0.05, 1.0},
                                       {0.9, 0.5, 2.2},    {0.7, 0.2, 4.0},     {0.5, 0.02, 0.5}, {0.2, 0.01, 5.0},
                                       {0.95, 0.1, 1.2},   {0.1001, 0.05, 5.0}, {0.8, 0.2, 4.49}, {0.7, 0.05, 6.37},
                                       {0.95, 0.01, 1.218}};

int compare_variables() {
  std::printf("| Ma | range | in ln k | in k | in s |\n|---|---|---|---|---|\n");
  for (std::size_t i = 0; i < 10; ++i) {
    const Range& r = kShortList[i];
    AeroRouteEvaluator route(AeroRoute::possio, kPitchAxis, 1.0, "k");
    const Exact e = exact_solves(route, r);
    const auto ln = [](double k) { return std::log(k); };
    const auto exp = [](double s) { return std::exp(s); };
    const auto identity = [](double k) { return k; };
    const auto s = [&r](double k) { return zelvan::aero::grid_variable(k, r.mach); };
    const auto s_inverse = [&r](double v) { return zelvan::aero::grid_frequency(v, r.mach); };
    const auto text = [](int n) { return n < 0 ? std::string("more than 50") : std::to_string(n); };
    std::printf("| %g | [%g, %g] | %s | %s | %s |\n", r.mach, r.k_lo, r.k_hi,
                text(even_points_needed(route, r, e, ln, exp)).c_str(),
                text(even_points_needed(route, r, e, identity, identity)).c_str(),
                text(even_points_needed(route, r, e, s, s_inverse)).c_str());
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--variables") == 0) return compare_variables();
  const bool short_list = argc > 1 && std::strcmp(argv[1], "--short") == 0;
  std::vector<Range> ranges;
  if (short_list) {
    ranges = kShortList;
  } else {
    for (const double mach : {0.1001, 0.3, 0.5, 0.7, 0.8, 0.9, 0.95}) {
      // Just inside the domain's end 2k/(1 - Ma^2) = 25.
      const double end = 12.4999 * (1.0 - mach * mach);
      for (const double k_lo : {0.01, 0.05, 0.2, 0.5, 1.0}) {
        for (const double ratio : {2.0, 8.0, 30.0, 200.0}) {
          const double k_hi = std::min(k_lo * ratio, end);
          if (k_hi > 1.3 * k_lo) ranges.push_back({mach, k_lo, k_hi});
        }
      }
    }
    // Ranges that the cap at the domain's end makes equal are measured once.
    ranges.erase(std::unique(ranges.begin(), ranges.end(),
                             [](const Range& a, const Range& b) {
                               return a.mach == b.mach && a.k_lo == b.k_lo && a.k_hi == b.k_hi;
                             }),
                 ranges.end());
  }

  std::printf("| Ma | range | points needed | grid_points | its error |\n|---|---|---|---|---|\n");
  int least_margin = kMostPoints;
  int most_margin = 0;
  double margin_sum = 0.0;
  double worst = 0.0;
  for (const Range& r : ranges) {
    AeroRouteEvaluator route(AeroRoute::possio, kPitchAxis, 1.0, "k");
    const Exact e = exact_solves(route, r);
    int needed = -1;
    for (int n = 4; n <= kMostPoints && needed < 0; ++n) {
      if (grid_error(route, r, e, n) < kTarget) needed = n;
    }
    const int chosen = zelvan::aero::grid_points(r.mach, r.k_lo, r.k_hi);
    const double error = grid_error(route, r, e, chosen);
    worst = std::max(worst, error);
    if (needed > 0) {
      least_margin = std::min(least_margin, chosen - needed);
      most_margin = std::max(most_margin, chosen - needed);
      margin_sum += chosen - needed;
    }
    std::printf("| %g | [%g, %g] | %d | %d | %.1e |\n", r.mach, r.k_lo, r.k_hi, needed, chosen, error);
    std::fflush(stdout);
  }
  std::printf("\n%zu ranges: grid_points exceeds the points needed by %d to %d (mean %.1f); largest error %.1e\n",
              ranges.size(), least_margin, most_margin, margin_sum / static_cast<double>(ranges.size()), worst);
  return 0;
}
