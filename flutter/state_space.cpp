#include "flutter/state_space.hpp"

#include <cstddef>

#include "numlib/devccg.hpp"

namespace zelvan::flutter {
namespace {

std::size_t at(int i, int j, int n) {
  return static_cast<std::size_t>(j) * static_cast<std::size_t>(n) + static_cast<std::size_t>(i);
}

// The inverse of a regular 2x2 matrix, column-major.
std::array<double, 4> inverse(const std::array<double, 4>& m) {
  const double det = m[0] * m[3] - m[2] * m[1];
  return {m[3] / det, -m[1] / det, -m[2] / det, m[0] / det};
}

// -inverse times the 2x2 block `block`, written into rows 2-3 at column `column`.
void put_acceleration_block(std::vector<double>& a, int n, int column, const std::array<double, 4>& minv,
                            const std::array<double, 4>& block) {
  for (std::size_t i = 0; i < 2; ++i) {
    for (std::size_t j = 0; j < 2; ++j) {
      double sum = 0.0;
      for (std::size_t l = 0; l < 2; ++l) sum += minv[i + 2 * l] * block[l + 2 * j];
      a[at(2 + static_cast<int>(i), column + static_cast<int>(j), n)] = -sum;
    }
  }
}

}  // namespace

std::array<double, 4> effective_mass(const StateSpaceModel& model) {
  std::array<double, 4> mbar{};
  const double b = model.half_chord;
  for (std::size_t e = 0; e < 4; ++e) mbar[e] = model.mass[e] + 0.5 * model.rho * b * b * model.aero.a2[e];
  return mbar;
}

int state_count(const StateSpaceModel& model) { return 4 + 2 * static_cast<int>(model.aero.lags.size()); }

std::vector<double> state_matrix(const StateSpaceModel& model, double u) {
  const int n = state_count(model);
  const aero::RogerFit& fit = model.aero;
  const double b = model.half_chord;
  const double q = 0.5 * model.rho * u * u;
  std::vector<double> a(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.0);
  std::array<double, 4> stiffness{}, damping{};
  for (std::size_t e = 0; e < 4; ++e) {
    stiffness[e] = model.stiffness[e] + q * fit.a0[e];
    damping[e] = model.damping[e] + q * (b / u) * fit.a1[e];
  }
  const std::array<double, 4> minv = inverse(effective_mass(model));
  a[at(0, 2, n)] = 1.0;  // x' rows
  a[at(1, 3, n)] = 1.0;
  put_acceleration_block(a, n, 0, minv, stiffness);
  put_acceleration_block(a, n, 2, minv, damping);
  for (std::size_t j = 0; j < fit.lags.size(); ++j) {
    const int first = 4 + 2 * static_cast<int>(j);
    std::array<double, 4> lag{};
    for (std::size_t e = 0; e < 4; ++e) lag[e] = q * fit.d[j][e];
    put_acceleration_block(a, n, first, minv, lag);
    for (int i = 0; i < 2; ++i) {
      a[at(first + i, 2 + i, n)] = 1.0;
      a[at(first + i, first + i, n)] = -(u / b) * fit.lags[j];
    }
  }
  return a;
}

StateRoots state_roots(const StateSpaceModel& model, double u) {
  StateRoots r;
  r.n = state_count(model);
  const std::vector<double> a = state_matrix(model, u);
  const std::vector<std::complex<double>> complex_a(a.begin(), a.end());
  r.values.resize(static_cast<std::size_t>(r.n));
  r.vectors.resize(static_cast<std::size_t>(r.n) * static_cast<std::size_t>(r.n));
  numlib::DEVCCG(r.n, complex_a.data(), r.n, r.values.data(), r.vectors.data(), r.n);
  return r;
}

}  // namespace zelvan::flutter
