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

int lag_width(const aero::RogerFit& fit) { return fit.form == aero::LagForm::minimum_state ? 1 : 2; }

int state_count(const StateSpaceModel& model) {
  return 4 + lag_width(model.aero) * static_cast<int>(model.aero.lags.size());
}

std::array<double, 2> lag_load(const StateSpaceModel& model, const double* lag_states) {
  const aero::RogerFit& fit = model.aero;
  std::array<double, 2> load{};
  for (std::size_t j = 0; j < fit.lags.size(); ++j) {
    if (fit.form == aero::LagForm::minimum_state) {
      for (std::size_t i = 0; i < 2; ++i) load[i] += fit.d_vectors[j][i] * lag_states[j];
    } else {
      for (std::size_t i = 0; i < 2; ++i) {
        load[i] += fit.d[j][i] * lag_states[2 * j] + fit.d[j][i + 2] * lag_states[2 * j + 1];
      }
    }
  }
  return load;
}

std::array<double, 4> effective_mass_inverse(const StateSpaceModel& model) { return inverse(effective_mass(model)); }

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
  const std::array<double, 4> minv = effective_mass_inverse(model);
  a[at(0, 2, n)] = 1.0;  // x' rows
  a[at(1, 3, n)] = 1.0;
  put_acceleration_block(a, n, 0, minv, stiffness);
  put_acceleration_block(a, n, 2, minv, damping);
  const int width = lag_width(fit);
  for (std::size_t j = 0; j < fit.lags.size(); ++j) {
    const int first = 4 + width * static_cast<int>(j);
    const double decay = -(u / b) * fit.lags[j];
    if (width == 2) {
      // Roger's form: x_a,j (two states) driven by x', loading D_j x_a,j.
      std::array<double, 4> lag{};
      for (std::size_t e = 0; e < 4; ++e) lag[e] = q * fit.d[j][e];
      put_acceleration_block(a, n, first, minv, lag);
      for (int i = 0; i < 2; ++i) {
        a[at(first + i, 2 + i, n)] = 1.0;
        a[at(first + i, first + i, n)] = decay;
      }
    } else {
      // The minimum-state form: one state driven by e_j^T x', loading
      // d_j x_a,j.
      const std::array<double, 2>& d = fit.d_vectors[j];
      for (std::size_t i = 0; i < 2; ++i) {
        a[at(2 + static_cast<int>(i), first, n)] = -q * (minv[i] * d[0] + minv[i + 2] * d[1]);
      }
      a[at(first, 2, n)] = fit.e_vectors[j][0];
      a[at(first, 3, n)] = fit.e_vectors[j][1];
      a[at(first, first, n)] = decay;
    }
  }
  return a;
}

StateRoots state_roots(const StateSpaceModel& model, double u) {
  StateRoots r;
  const int n = state_count(model);
  const std::vector<double> a = state_matrix(model, u);
  const std::vector<std::complex<double>> complex_a(a.begin(), a.end());
  r.values.resize(static_cast<std::size_t>(n));
  numlib::DEVLCG(n, complex_a.data(), n, r.values.data());
  return r;
}

std::array<std::complex<double>, 2> root_shape(const StateSpaceModel& model, double u, std::complex<double> s) {
  using Complex = std::complex<double>;
  const aero::RogerFit& fit = model.aero;
  const double b = model.half_chord;
  const double q = 0.5 * model.rho * u * u;
  const std::array<double, 4> mbar = effective_mass(model);
  // The lag factors s/(s + (u/b) gamma_j) of the lag states.
  std::vector<Complex> factor(fit.lags.size());
  for (std::size_t j = 0; j < fit.lags.size(); ++j) factor[j] = s / (s + (u / b) * fit.lags[j]);
  std::array<Complex, 4> f{};
  for (std::size_t e = 0; e < 4; ++e) {
    f[e] = mbar[e] * s * s + (model.damping[e] + q * (b / u) * fit.a1[e]) * s + model.stiffness[e] + q * fit.a0[e];
    for (std::size_t j = 0; j < fit.lags.size(); ++j) f[e] += q * fit.d[j][e] * factor[j];
  }
  // A null vector from the row of F with the larger norm.
  const double row0 = std::norm(f[0]) + std::norm(f[2]);
  const double row1 = std::norm(f[1]) + std::norm(f[3]);
  std::array<Complex, 2> x = row0 >= row1 ? std::array<Complex, 2>{f[2], -f[0]} : std::array<Complex, 2>{f[3], -f[1]};
  if (x[0] == 0.0 && x[1] == 0.0) x = {1.0, 0.0};
  // The length of z = (x, s x, lag states).
  double length2 = (1.0 + std::norm(s)) * (std::norm(x[0]) + std::norm(x[1]));
  for (std::size_t j = 0; j < fit.lags.size(); ++j) {
    if (fit.form == aero::LagForm::minimum_state) {
      length2 += std::norm(factor[j] * (fit.e_vectors[j][0] * x[0] + fit.e_vectors[j][1] * x[1]));
    } else {
      length2 += std::norm(factor[j]) * (std::norm(x[0]) + std::norm(x[1]));
    }
  }
  const double length = std::sqrt(length2);
  return {x[0] / length, x[1] / length};
}

}  // namespace zelvan::flutter
