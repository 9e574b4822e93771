#include "driver/time_history.hpp"

#include <algorithm>
#include <cmath>

#include "driver/console_output.hpp"
#include "driver/messages.hpp"
#include "driver/model.hpp"
#include "driver/run_context.hpp"
#include "numlib/divpag.hpp"
#include "numlib/dset.hpp"
#include "numlib/error_handler.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {

TimeHistory& time_history() { return run_context().time_history; }

ForceTerms forces_at(const CaseParameters& cp, const StructuralModel& structure, const std::array<double, 4>& y) {
  const RealMatrix2& D = structure.damping;
  const RealMatrix2& K = structure.stiffness;
  ForceTerms f;
  f.aero_term_1 = cp.QS11 * cp.inv_omega_1 * y[0] + cp.QS12 * cp.inv_omega_2 * y[1] + cp.QR11 * y[2] + cp.QR12 * y[3];
  f.aero_term_2 = cp.QS21 * cp.inv_omega_1 * y[0] + cp.QS22 * cp.inv_omega_2 * y[1] + cp.QR21 * y[2] + cp.QR22 * y[3];
  f.restoring_force_1 = -D[0] * y[0] - (K[0] + cp.kappa) * y[2] - (K[2] - cp.kappa) * y[3];
  f.restoring_force_2 = -D[3] * y[1] - (K[1] - cp.kappa) * y[2] - (K[3] + cp.kappa) * y[3];
  // Neither input form couples the dampings; a coupling term is added only
  // when there is one, so that a zero does not change the sign of a zero
  // force.
  if (D[2] != 0.0) f.restoring_force_1 -= D[2] * y[1];
  if (D[1] != 0.0) f.restoring_force_2 -= D[1] * y[0];
  return f;
}

void motion_rhs(int n, double t, const double* y, double* yprime) {
  MotionData data{case_parameters(), model().structure};
  motion_rhs(n, t, y, yprime, &data);
}

void motion_rhs(int /*n*/, double t, const double* y, double* yprime, void* user) {
  const MotionData& data = *static_cast<const MotionData*>(user);
  const CaseParameters& cp = data.parameters;
  const double force = cp.a_0 * std::cos(kTwoPi * cp.f_0 * t + cp.phi_rad);
  const ForceTerms f = forces_at(cp, data.structure, {y[0], y[1], y[2], y[3]});
  yprime[0] = f.restoring_force_1 - cp.f_s * f.aero_term_1 + force;
  yprime[1] = f.restoring_force_2 - cp.f_s * f.aero_term_2;
  yprime[2] = y[0];
  yprime[3] = y[1];
}

void motion_jacobian(int /*n*/, double /*t*/, const double* /*y*/, double* /*dypdy*/, void* /*user*/) {}

std::array<double, 50> integrator_options(const CaseParameters& cp) {
  std::array<double, 50> param{};
  numlib::DSET(50, 0.0, param.data(), 1);
  param[3] = 1.0e6;             // PARAM(4): most steps allowed
  param[11] = cp.integ_method;  // PARAM(12): METH
  param[12] = 2.0;              // PARAM(13): MITER, divided differences
  param[13] = 2.0;              // PARAM(14): MTYPE
  return param;
}

TimeHistory run_time_history(const CaseParameters& cp, const AeroelasticModel& model) {
  // Without a real positive structural frequency the reference frequency,
  // and with it the aerodynamic damping terms, have no value.
  for (double inv_omega : {cp.inv_omega_1, cp.inv_omega_2}) {
    if (!std::isfinite(inv_omega)) {
      std::string text = message_text(msg::kReferenceFrequencyUndefined, {});
      text += msg::kStopReferenceFrequency;
      text += '\n';
      throw textio::RunStop(textio::StopReason::limit_violation, text);
    }
  }
  TimeHistory h;
  MotionData data{cp, model.structure};
  std::array<double, 50> param = integrator_options(cp);
  int ido = 1;
  param[18] = 1.0;  // PARAM(19): IATYPE, a full A is given
  const int nsteps = cp.npoints - 1;
  const double dt = (cp.t_E - cp.t_A) / std::max(nsteps, 1);
  double x = cp.t_A;
  double xend = x;
  std::array<double, 4> y = cp.y0;
  const double* a = model.state_mass_matrix.data();
  // The interval of the integrator's current call.
  double from = x;
  const numlib::ErrorNote note([&] {
    return message_text(msg::kNoteTimeHistory, {from, xend, cp.tolerance, cp.integ_method});
  });

  for (int i = 1;; ++i) {
    from = x;
    xend += dt;
    numlib::DIVPAG(ido, 4, motion_rhs, motion_jacobian, &data, a, x, xend, cp.tolerance, param.data(), y.data());
    const auto s = static_cast<std::size_t>(i - 1);
    h.t[s] = xend;
    h.Y1[s] = y[0];
    h.Y2[s] = y[1];
    h.Y3[s] = y[2];
    h.Y4[s] = y[3];
    // The force columns belong to the sample: its own state, not the
    // integrator's last evaluation (a corrector or difference state at
    // another time).
    const ForceTerms forces = forces_at(cp, data.structure, y);
    h.GenF[0][s] = -forces.aero_term_1;
    h.GenF[1][s] = -forces.aero_term_2;
    h.RPart[0][s] = forces.restoring_force_1;
    h.RPart[1][s] = forces.restoring_force_2;
    if (i == 1) {
      h.SumP[0][s] = 0.0;
      h.SumP[1][s] = 0.0;
    } else {
      h.SumP[0][s] = h.SumP[0][s - 1] + (-cp.f_s * forces.aero_term_1) * dt * h.Y1[s];
      h.SumP[1][s] = h.SumP[1][s - 1] + (-cp.f_s * forces.aero_term_2) * dt * h.Y2[s];
    }
    if (i == nsteps) {
      ido = 3;
    } else if (i > nsteps) {
      break;
    }
  }
  if (nsteps == 0) {
    // A single sample leaves the loop before the release call; release the
    // integrator's workspace here, without storing anything.
    ido = 3;
    std::array<double, 4> unused = y;
    numlib::DIVPAG(ido, 4, motion_rhs, motion_jacobian, &data, a, x, xend + dt, cp.tolerance, param.data(),
                   unused.data());
  }
  return h;
}

}  // namespace zelvan::driver
