// Prints the table of docs/time-domain-aerodynamics.md, "The frozen
// model, p-k and the state-space model against the exact roots": the
// roots lambda = s/omega_theta of the textbook section (a = -1/5,
// x_theta = 1/10, r^2 = 6/25, mu = 20, sigma = 2/5; b = 0.5 m, f_theta =
// 1 Hz, rho = 1.2) on the thin-plate route at Ma 0 at the speeds of
// driver/tests/data/section_laplace_roots.txt (the exact roots, from
// tools/gen_section_laplace_roots.py), and of three models:
//   frozen       the time history's model: the coefficients at w_star
//                (the bundled example's 0.3), QR on the displacements and
//                QS/omega_ref on the velocities, omega_ref the higher
//                structural frequency (2 pi max(f_0_1, f_0_2));
//   p-k          the p-k analysis at that speed (flutter::pk_analysis);
//   state space  the automatic Roger fit over k 0.005 to 3 (60 samples)
//                and the eigenvalues of its state matrix.
// Each model's column: its two oscillatory roots and the larger distance
// from the exact ones.  Not run by ctest (well under a second).
//
//   build/tools/section_root_table
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "aero/rational_fit.hpp"
#include "aero/thin_plate_matrix.hpp"
#include "driver/structural_model.hpp"
#include "flutter/flutter_modes.hpp"
#include "flutter/pk_analysis.hpp"
#include "flutter/state_space.hpp"
#include "numlib/devccg.hpp"

namespace {

using namespace zelvan;
using Complex = std::complex<double>;

constexpr double kRho = 1.2;
constexpr double kFrozenFrequency = 0.3;
constexpr double kPkTolerance = 1e-10;

struct Exact {
  double V = 0.0;
  std::array<Complex, 2> roots;
};

std::vector<Exact> exact_roots() {
  std::ifstream in(std::string(ZELVAN_SOURCE_DIR) + "/driver/tests/data/section_laplace_roots.txt");
  std::vector<Exact> list;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream f(line);
    Exact e;
    double r1 = 0.0, i1 = 0.0, r2 = 0.0, i2 = 0.0;
    f >> e.V >> r1 >> i1 >> r2 >> i2;
    e.roots = {Complex(r1, i1), Complex(r2, i2)};
    list.push_back(e);
  }
  return list;
}

// The two roots of `all` with Im > 0 nearest the exact ones, and the
// larger distance.
struct Matched {
  std::array<Complex, 2> roots;
  double distance = 0.0;
};

Matched match(const std::vector<Complex>& all, const Exact& e) {
  Matched m;
  for (std::size_t i = 0; i < 2; ++i) {
    double best = INFINITY;
    for (const Complex& r : all) {
      if (std::abs(r - e.roots[i]) < best) {
        best = std::abs(r - e.roots[i]);
        m.roots[i] = r;
      }
    }
    m.distance = std::max(m.distance, best);
  }
  return m;
}

std::vector<Complex> eigenvalues(const std::vector<double>& a, int n) {
  const std::vector<Complex> complex_a(a.begin(), a.end());
  std::vector<Complex> values(static_cast<std::size_t>(n)), vectors(static_cast<std::size_t>(n * n));
  numlib::DEVCCG(n, complex_a.data(), n, values.data(), vectors.data(), n);
  return values;
}

std::string text(const Complex& z) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s%.4f %s %.4fi", z.real() < 0 ? "−" : "", std::fabs(z.real()),
                z.imag() < 0 ? "−" : "+", std::fabs(z.imag()));
  return buffer;
}

}  // namespace

int main() {
  const driver::SectionInput section{
      .b = 0.5, .a = -0.2, .x_theta = 0.1, .r2 = 0.24, .mu = 20.0, .sigma = 0.4, .f_theta = 1.0};
  const driver::StructuralModel structure = driver::section_model(section, kRho);
  const driver::SectionScaling scaling = driver::section_scaling(section);
  const double omega_theta = 2.0 * std::numbers::pi * section.f_theta;
  const auto coefficients = [&](double k) {
    return aero::thin_plate_matrix(k, scaling.x_p, 0.0, scaling.aero_scale, "k");
  };
  const std::array<double, 4>& m = structure.mass;
  const double det = m[0] * m[3] - m[2] * m[1];
  const flutter::FlutterSystem system{.mass_inverse = {m[3] / det, -m[1] / det, -m[2] / det, m[0] / det},
                                      .stiffness = structure.stiffness,
                                      .rho = kRho,
                                      .x_ref = 2.0 * section.b};
  // The structural modes in order of frequency.
  const flutter::FlutterStep start = flutter::solve_flutter_step(system, coefficients(kFrozenFrequency), 0.0);
  std::array<flutter::FlutterMode, 2> structural = start.modes;
  if (structural[0].f > structural[1].f) std::swap(structural[0], structural[1]);
  const double omega_ref = 2.0 * std::numbers::pi * structural[1].f;

  aero::RogerSamples samples;
  for (int i = 0; i < 60; ++i) {
    const double k = 0.005 * std::pow(600.0, i / 59.0);
    samples.k.push_back(k);
    samples.q.push_back(coefficients(k));
  }
  samples.steady = coefficients(0.0);
  flutter::StateSpaceModel model;
  model.mass = structure.mass;
  model.stiffness = structure.stiffness;
  model.aero = aero::fit_roger_auto(samples);
  model.rho = kRho;
  model.half_chord = section.b;

  std::printf("| V | exact | frozen at k = 0.3 | p-k | state space (%zu lags) |\n|---|---|---|---|---|\n",
              model.aero.lags.size());
  for (const Exact& e : exact_roots()) {
    const double u = e.V * section.b * omega_theta;
    const double q = 0.5 * kRho * u * u;
    // Frozen: z = (x, x'), x'' = -M^-1 [(K + q QR) x + q QS/omega_ref x'].
    const aero::Matrix2 frozen = coefficients(kFrozenFrequency);
    std::vector<double> a(16, 0.0);
    a[2 * 4 + 0] = 1.0;
    a[3 * 4 + 1] = 1.0;
    for (std::size_t i = 0; i < 2; ++i) {
      for (std::size_t j = 0; j < 2; ++j) {
        double stiff = 0.0, damp = 0.0;
        for (std::size_t l = 0; l < 2; ++l) {
          const double minv = system.mass_inverse[i + 2 * l];
          stiff += minv * (structure.stiffness[l + 2 * j] + q * frozen[l + 2 * j].real());
          damp += minv * q * frozen[l + 2 * j].imag() / omega_ref;
        }
        a[j * 4 + 2 + i] = -stiff;
        a[(j + 2) * 4 + 2 + i] = -damp;
      }
    }
    std::vector<Complex> frozen_roots;
    for (const Complex& s : eigenvalues(a, 4)) frozen_roots.push_back(s / omega_theta);
    // p-k: s = i W of each tracked mode.
    const flutter::PkResult pk = flutter::pk_analysis(
        system, [&](double k) -> std::optional<aero::Matrix2> { return coefficients(k); }, {q}, structural,
        kPkTolerance);
    std::vector<Complex> pk_roots;
    for (const auto& mode : pk.modes) {
      if (mode[0]) pk_roots.push_back(Complex(0.0, 1.0) * mode[0]->mode.W / omega_theta);
    }
    std::vector<Complex> ss_roots;
    for (const Complex& s : flutter::state_roots(model, u).values) ss_roots.push_back(s / omega_theta);
    const Matched fm = match(frozen_roots, e), pm = match(pk_roots, e), sm = match(ss_roots, e);
    std::printf("| %.1f | %s, %s | %s, %s (%.1e) | %s, %s (%.1e) | %s, %s (%.1e) |\n", e.V, text(e.roots[0]).c_str(),
                text(e.roots[1]).c_str(), text(fm.roots[0]).c_str(), text(fm.roots[1]).c_str(), fm.distance,
                text(pm.roots[0]).c_str(), text(pm.roots[1]).c_str(), pm.distance, text(sm.roots[0]).c_str(),
                text(sm.roots[1]).c_str(), sm.distance);
  }
  return 0;
}
