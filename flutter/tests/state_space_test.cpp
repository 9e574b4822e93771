// The state-space model of the section with Roger-form aerodynamics: its
// roots are the zeros of the section's determinant with Q(s_bar) in
// transfer-function form, its lag roots stand apart when the lags do not
// couple, and with steady aerodynamics alone they are the flutter
// eigenproblem's i W.
#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <vector>

#include "flutter/flutter_modes.hpp"
#include "flutter/state_space.hpp"
#include "numlib/devccg.hpp"

namespace zelvan::flutter {
namespace {

using Complex = std::complex<double>;

StateSpaceModel a_section() {
  StateSpaceModel m;
  m.mass = {5.0, 0.1, 0.1, 0.08};
  m.damping = {0.5, 0.0, 0.0, 0.02};
  m.stiffness = {4000.0, 0.0, 0.0, 180.0};
  m.rho = 1.2;
  m.half_chord = 0.25;
  m.aero.lags = {0.05, 0.3, 1.2};
  m.aero.a0 = {0.0, 0.0, 3.1, -0.8};
  m.aero.a1 = {1.6, -0.4, 1.2, 0.3};
  m.aero.a2 = {0.4, -0.1, -0.1, 0.05};
  m.aero.d = {{-0.4, 0.1, -0.8, 0.2}, {0.3, -0.1, 0.4, -0.05}, {-0.1, 0.03, 0.3, 0.1}};
  return m;
}

// The same section with each D_j of rank one, D_j = d_j e_j^T, in the
// minimum-state form (one lag state per lag).
StateSpaceModel a_minimum_state_section() {
  StateSpaceModel m = a_section();
  m.aero.form = aero::LagForm::minimum_state;
  m.aero.d_vectors = {{-0.9, 0.2}, {0.5, -0.15}, {-0.3, 0.1}};
  m.aero.e_vectors = {{0.6, 0.8}, {1.0, 0.0}, {-0.28, 0.96}};
  for (std::size_t j = 0; j < 3; ++j) {
    const auto& d = m.aero.d_vectors[j];
    const auto& e = m.aero.e_vectors[j];
    m.aero.d[j] = {d[0] * e[0], d[1] * e[0], d[0] * e[1], d[1] * e[1]};
  }
  return m;
}

// det(M s^2 + D s + K + q Q(s b/u)) with Q in transfer-function form,
// times prod_j (s_bar + gamma_j)^2: the characteristic polynomial of the
// state matrix up to a constant, without the poles of the lag terms.
Complex determinant(const StateSpaceModel& m, double u, Complex s) {
  const double q = 0.5 * m.rho * u * u;
  const Complex sb = s * m.half_chord / u;
  std::array<Complex, 4> e{};
  for (std::size_t i = 0; i < 4; ++i) {
    Complex qe = m.aero.a0[i] + m.aero.a1[i] * sb + m.aero.a2[i] * sb * sb;
    for (std::size_t j = 0; j < m.aero.lags.size(); ++j) qe += m.aero.d[j][i] * sb / (sb + m.aero.lags[j]);
    e[i] = m.mass[i] * s * s + m.damping[i] * s + m.stiffness[i] + q * qe;
  }
  Complex poles = 1.0;
  for (double g : m.aero.lags) poles *= (sb + g) * (sb + g);
  return (e[0] * e[3] - e[2] * e[1]) * poles;
}

TEST(StateSpace, HasTheZerosOfTheSectionsDeterminantWithTheRationalAerodynamicsAsRoots) {
  // Each root makes the polynomial vanish to rounding of its terms (the
  // scale: the size of its largest terms at |s|), a few hundred units.
  // Roger's form has two lag states per lag, the minimum-state form one.
  constexpr double kZero = 1e-8;
  const struct {
    StateSpaceModel model;
    std::size_t states;
  } cases[] = {{a_section(), 10}, {a_minimum_state_section(), 7}};
  for (const auto& c : cases) {
    const StateSpaceModel& m = c.model;
    for (double u : {2.0, 10.0, 25.0}) {
      const std::vector<Complex> roots = state_roots(m, u).values;
      ASSERT_EQ(roots.size(), c.states);
      for (const Complex& s : roots) {
        double scale = 4000.0 * 180.0 + std::norm(s) * std::norm(s) * 5.0 * 0.08;
        for (double g : m.aero.lags) scale *= std::norm(std::abs(s) * m.half_chord / u + g);
        EXPECT_LT(std::abs(determinant(m, u, s)) / scale, kZero) << c.states << " states, u = " << u << ", s = " << s;
      }
    }
  }
}

TEST(StateSpace, KeepsUncoupledLagStatesAtTheirOwnRoots) {
  StateSpaceModel m = a_section();
  for (auto& d : m.aero.d) d = {};
  const double u = 8.0;
  const std::vector<Complex> roots = state_roots(m, u).values;
  for (double g : m.aero.lags) {
    const double expected = -(u / m.half_chord) * g;
    const auto found = std::count_if(roots.begin(), roots.end(), [&](const Complex& s) {
      return std::abs(s - expected) < 1e-9 * std::abs(expected);
    });
    EXPECT_EQ(found, 2) << "lag " << g;  // one per degree of freedom
  }
}

TEST(StateSpace, GivesTheFlutterEigenproblemsRootsWithSteadyAerodynamics) {
  // Frequency-independent aerodynamics: the p-k eigenproblem is then exact
  // and its solutions x ~ e^{iWt} are the roots s = iW.
  StateSpaceModel m = a_section();
  m.damping = {};
  m.aero.a1 = {};
  m.aero.a2 = {};
  m.aero.lags.clear();
  m.aero.d.clear();
  FlutterSystem system;
  const double det = m.mass[0] * m.mass[3] - m.mass[2] * m.mass[1];
  system.mass_inverse = {m.mass[3] / det, -m.mass[1] / det, -m.mass[2] / det, m.mass[0] / det};
  system.stiffness = m.stiffness;
  system.rho = m.rho;
  system.x_ref = 2.0 * m.half_chord;
  Matrix2 steady{};
  for (std::size_t e = 0; e < 4; ++e) steady[e] = m.aero.a0[e];
  for (double u : {5.0, 20.0, 40.0}) {
    const double q = 0.5 * m.rho * u * u;
    const FlutterStep step = solve_flutter_step(system, steady, q);
    const std::vector<Complex> roots = state_roots(m, u).values;
    for (const FlutterMode& mode : step.modes) {
      const Complex s = Complex(0.0, 1.0) * mode.W;
      const double nearest =
          std::abs(*std::min_element(roots.begin(), roots.end(), [&](const Complex& a, const Complex& b) {
            return std::abs(a - s) < std::abs(b - s);
          }) - s);
      EXPECT_LT(nearest, 1e-10 * std::abs(s)) << "u = " << u;
    }
  }
}

TEST(StateSpace, GivesTheDisplacementsOfEachRootsEigenvectorAsTheFullEigenSolverDoes) {
  // The eigenvector's plunge and pitch components of the oscillatory roots
  // (those the p-method tracks), up to a unit factor, against the full
  // eigen-solver's: the 2x2 null vector is as accurate as
  // the root (kEigenvector: the roots' own rounding, amplified by F's
  // conditioning, a few thousand units).
  constexpr double kEigenvector = 1e-10;
  for (const StateSpaceModel& m : {a_section(), a_minimum_state_section()}) {
    for (double u : {2.0, 15.0, 40.0}) {
      const int n = state_count(m);
      const std::vector<double> a = state_matrix(m, u);
      const std::vector<Complex> ca(a.begin(), a.end());
      std::vector<Complex> values(static_cast<std::size_t>(n)), vectors(ca.size());
      numlib::DEVCCG(n, ca.data(), n, values.data(), vectors.data(), n);
      for (std::size_t j = 0; j < values.size(); ++j) {
        if (!(values[j].imag() > 0.0)) continue;  // the lag roots (real) have x = 0
        const std::array<Complex, 2> x = root_shape(m, u, values[j]);
        const Complex v1 = vectors[j * static_cast<std::size_t>(n)], v2 = vectors[j * static_cast<std::size_t>(n) + 1];
        // The unit factor that turns x into (v1, v2).
        const Complex turn = std::abs(v1) > std::abs(v2) ? v1 / x[0] : v2 / x[1];
        EXPECT_NEAR(std::abs(turn), 1.0, kEigenvector) << "u " << u << ", root " << values[j];
        EXPECT_LT(std::abs(x[0] * turn - v1) + std::abs(x[1] * turn - v2), kEigenvector)
            << "u " << u << ", root " << values[j];
      }
    }
  }
}

}  // namespace
}  // namespace zelvan::flutter
