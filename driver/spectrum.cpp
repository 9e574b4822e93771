#include "driver/spectrum.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>

#include "aero/flow.hpp"
#include "driver/console_output.hpp"
#include "driver/flutter.hpp"
#include "driver/messages.hpp"
#include "driver/run_context.hpp"
#include "driver/time_history.hpp"
#include "flutter/vdmplr.hpp"
#include "numlib/dfftrf.hpp"
#include "numlib/error_handler.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {

// The normalised power of one history and its peak line (1 when no line
// above the mean has positive power).
int power_spectrum(const std::array<double, istore>& coef, std::array<double, istore>& power, int nh, double c0,
                   double c1) {
  power[0] = coef[0] * coef[0] * c0;
  double sum = power[0];
  for (int k = 2; k <= nh; ++k) {
    const auto s = static_cast<std::size_t>(k);
    power[s - 1] = (coef[2 * s - 3] * coef[2 * s - 3] + coef[2 * s - 2] * coef[2 * s - 2]) * c1;
    sum += power[s - 1];
  }
  // A zero history has no spectrum to normalise: its powers stay zero.
  const double scale = sum > 0.0 ? 1.0 / sum : 0.0;
  for (int k = 1; k <= nh; ++k) power[static_cast<std::size_t>(k - 1)] *= scale;
  int peak = 1;
  double largest = 0.0;
  for (int k = 2; k <= nh; ++k) {
    if (power[static_cast<std::size_t>(k - 1)] > largest) {
      largest = power[static_cast<std::size_t>(k - 1)];
      peak = k;
    }
  }
  return peak;
}

}  // namespace

Spectrum& spectrum() { return run_context().spectrum; }

Spectrum analyse_response(const CaseParameters& cp, const TimeHistory& h, double earlier_coupling) {
  Spectrum s;
  s.coupling_frequency = earlier_coupling;
  const int n = cp.npoints;
  for (const auto& [what, history, coefficients] :
       {std::tuple{msg::kPlungeDisplacement, h.Y3.data(), s.FouCY3.data()},
        std::tuple{msg::kPitchDisplacement, h.Y4.data(), s.FouCY4.data()}}) {
    // A structured binding cannot be captured (before C++23): the name is copied.
    const auto history_name = what;
    const numlib::ErrorNote note([&] { return message_text(msg::kNoteSpectrum, {history_name, n}); });
    numlib::DFFTRF(n, history, coefficients);
  }

  const double fac = 2.0 * (1.0 / n);
  const int nh = (n + 1) / 2;
  const double T = std::fabs(cp.t_E - cp.t_A);
  const double df = 1.0 / T;
  const double c0 = T / (static_cast<double>(n) * n);
  const double c1 = c0 + c0;
  for (int k = 2; k <= nh; ++k) s.FouF[static_cast<std::size_t>(k - 1)] = (k - 1) * df;
  s.FouF[0] = 0.0;
  // The lines beyond the analysed half: their frequencies, with no power.
  for (int k = nh + 1; k <= n; ++k) s.FouF[static_cast<std::size_t>(k - 1)] = (k - 1) * df;
  s.k_peak_1 = power_spectrum(s.FouCY3, s.FouPY3, nh, c0, c1);
  s.k_peak_2 = power_spectrum(s.FouCY4, s.FouPY4, nh, c0, c1);

  const bool peaks_defined = s.k_peak_1 > 1 && s.k_peak_2 > 1;
  if (!peaks_defined || std::abs(s.k_peak_1 - s.k_peak_2) > cp.coupling_tolerance) {
    console_write(msg::kNoCoupling, {});
    return s;
  }
  s.strong_coupling = true;
  console_write(msg::kStrongCoupling, {});
  console_write(msg::kFrequencyMargin, {std::fabs(s.FouF[static_cast<std::size_t>(s.k_peak_1 - 1)] -
                                                  s.FouF[static_cast<std::size_t>(s.k_peak_2 - 1)])});
  s.coupling_frequency = s.FouF[static_cast<std::size_t>(s.k_peak_1 - 1)];
  const auto k = static_cast<std::size_t>(s.k_peak_1);
  double a3 = fac * s.FouCY3[2 * k - 3], b3 = fac * s.FouCY3[2 * k - 2];
  double a4 = fac * s.FouCY4[2 * k - 3], b4 = fac * s.FouCY4[2 * k - 2];
  double A3 = 0.0, phi3 = 0.0, A4 = 0.0, phi4 = 0.0;
  flutter::VDMPLR(a3, b3, A3, phi3, 11);
  flutter::VDMPLR(a4, b4, A4, phi4, 11);
  s.phase_difference = phi3 - phi4;
  if (s.phase_difference < 0.0) s.phase_difference += 360.0;
  // A zero amplitude of DOF 2 has no ratio; it is printed as asterisks.
  s.amplitude_ratio = A4 != 0.0 ? A3 / A4 : std::numeric_limits<double>::quiet_NaN();
  console_write(msg::kCouplingHeader, {});
  console_write(msg::kCouplingRow, {s.coupling_frequency, s.amplitude_ratio, s.phase_difference, A3, A4});

  return s;
}

void refer_damping_to_coupling_frequency(CaseParameters& cp, double f) {
  cp.inv_omega_1 = 1.0 / (kTwoPi * f);
  cp.inv_omega_2 = cp.inv_omega_1;
  console_write(msg::kSecondRun, {});
}

void report_operating_point(const CaseParameters& cp, const Spectrum& s) {
  const double u0 = aero::flow_speed(cp.f_s, cp.rho);
  const double omred = std::fabs(u0) >= 1.0e-10 ? aero::reduced_frequency(s.coupling_frequency, cp.x_ref, u0) : 0.0;
  console_write(msg::kOperatingPointHeader, {});
  console_write(msg::kOperatingPointRow, {s.coupling_frequency, cp.rho, cp.x_ref, u0, cp.Ma, omred, std::fabs(cp.f_s)});
  if (std::fabs(cp.f_s) > 1.0e-10) {
    console_write(msg::kMatricesTitle, {});
    console_write(msg::kMatricesHead1, {});
    console_write(msg::kMatricesRow1, {cp.QR11, cp.QS11 / cp.inv_omega_1, cp.QR12, cp.QS12 / cp.inv_omega_2});
    console_write(msg::kMatricesHead2, {});
    console_write(msg::kMatricesRow2, {cp.QR21, cp.QS21 / cp.inv_omega_1, cp.QR22, cp.QS22 / cp.inv_omega_2});
  }
}

}  // namespace zelvan::driver
