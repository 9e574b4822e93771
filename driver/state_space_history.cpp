#include "driver/state_space_history.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "aero/flow.hpp"
#include "driver/console_output.hpp"
#include "driver/constants.hpp"
#include "driver/messages.hpp"
#include "driver/model.hpp"
#include "driver/time_history.hpp"
#include "numlib/divpag.hpp"
#include "numlib/error_handler.hpp"

namespace zelvan::driver {
namespace {

// What the right-hand side z' = A z + F(t) e reads: the state matrix, the
// column e = Mbar^-1 (1, 0) in the acceleration rows (the harmonic force
// acts on DOF 1), and the force's parameters.
struct Motion {
  int n = 0;
  std::vector<double> a;
  std::array<double, 2> force_column{};
  double a_0 = 0.0, omega_0 = 0.0, phi = 0.0;
};

void rhs(int n, double t, const double* z, double* zprime, void* user) {
  const Motion& m = *static_cast<const Motion*>(user);
  for (int i = 0; i < n; ++i) zprime[i] = 0.0;
  for (int j = 0; j < n; ++j) {
    const double zj = z[j];
    const double* column = &m.a[static_cast<std::size_t>(j) * static_cast<std::size_t>(n)];
    for (int i = 0; i < n; ++i) zprime[i] += column[i] * zj;
  }
  const double force = m.a_0 * std::cos(m.omega_0 * t + m.phi);
  zprime[2] += m.force_column[0] * force;
  zprime[3] += m.force_column[1] * force;
}

}  // namespace

std::optional<StateSpaceHistory> run_state_space_history(const CaseParameters& cp, const StructuralModel& structure,
                                                         const flutter::StateSpaceModel& aero) {
  if (!(cp.f_s > 0.0)) return std::nullopt;
  flutter::StateSpaceModel model = aero;
  model.damping = structure.damping;
  // The coupling spring kappa as the run's own history has it:
  // K + kappa [[1, -1], [-1, 1]].
  model.stiffness = {structure.stiffness[0] + cp.kappa, structure.stiffness[1] - cp.kappa,
                     structure.stiffness[2] - cp.kappa, structure.stiffness[3] + cp.kappa};
  const double u = aero::flow_speed(cp.f_s, model.rho);
  const double b = model.half_chord;
  Motion motion;
  motion.n = flutter::state_count(model);
  motion.a = flutter::state_matrix(model, u);
  const std::array<double, 4> mbar = flutter::effective_mass(model);
  const double det = mbar[0] * mbar[3] - mbar[2] * mbar[1];
  motion.force_column = {mbar[3] / det, -mbar[1] / det};
  motion.a_0 = cp.a_0;
  motion.omega_0 = kTwoPi * cp.f_0;
  motion.phi = cp.phi_rad;
  const int n = motion.n;

  // The aerodynamic forces of a state (per unit dynamic pressure, negated).
  const aero::RogerFit& fit = model.aero;
  std::vector<double> zprime(static_cast<std::size_t>(n));
  const auto forces = [&](double t, const std::vector<double>& z) {
    rhs(n, t, z.data(), zprime.data(), &motion);
    const std::array<double, 2> lags = flutter::lag_load(model, z.data() + 4);
    std::array<double, 2> f{};
    for (std::size_t i = 0; i < 2; ++i) {
      double sum = lags[i];
      for (std::size_t j = 0; j < 2; ++j) {
        const std::size_t e = i + 2 * j;
        sum += fit.a0[e] * z[j] + (b / u) * fit.a1[e] * z[2 + j] + (b / u) * (b / u) * fit.a2[e] * zprime[2 + j];
      }
      f[i] = -sum;
    }
    return f;
  };

  StateSpaceHistory h;
  std::vector<double> z(static_cast<std::size_t>(n), 0.0);
  z[0] = cp.y0[2];
  z[1] = cp.y0[3];
  z[2] = cp.y0[0];
  z[3] = cp.y0[1];
  const auto sample = [&](double t) {
    h.t.push_back(t);
    h.y.push_back({z[2], z[3], z[0], z[1]});
    h.genf.push_back(forces(t, z));
  };
  sample(cp.t_A);

  std::array<double, 50> param = integrator_options(cp);
  const int nsteps = cp.npoints - 1;
  const double dt = (cp.t_E - cp.t_A) / std::max(nsteps, 1);
  double x = cp.t_A;
  double xend = x;
  double from = x;
  const numlib::ErrorNote note([&] {
    return message_text(msg::kNoteStateSpaceHistory, {from, xend, cp.tolerance, cp.integ_method});
  });
  int ido = 1;
  for (int i = 1; i <= nsteps; ++i) {
    from = x;
    xend += dt;
    numlib::DIVPAG(ido, n, rhs, motion_jacobian, &motion, nullptr, x, xend, cp.tolerance, param.data(), z.data());
    sample(xend);
  }
  if (nsteps >= 1) {
    ido = 3;
    numlib::DIVPAG(ido, n, rhs, motion_jacobian, &motion, nullptr, x, xend, cp.tolerance, param.data(), z.data());
  }
  return h;
}

}  // namespace zelvan::driver
