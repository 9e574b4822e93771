#include "driver/flutter.hpp"

#include <cmath>
#include <complex>
#include <limits>

#include "driver/case_parameters.hpp"
#include "driver/console_output.hpp"
#include "driver/messages.hpp"
#include "driver/model.hpp"
#include "driver/result_names.hpp"
#include "driver/vdmplr.hpp"
#include "numlib/devccg.hpp"
#include "numlib/zgemm.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {

using zcomplex = std::complex<double>;

bool g_second_run_pending = false;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// a/b, or NaN when b is zero: a quotient that does not exist is carried as
// NaN and printed as asterisks.
double quotient(double a, double b) { return b != 0.0 ? a / b : kNaN; }

struct Mode {
  double f, d, g;
  zcomplex e1, e2;
  double magnitude, phase;
};

Mode mode_of(zcomplex lambda, zcomplex v1, zcomplex v2) {
  Mode m{};
  const zcomplex w = std::sqrt(lambda);
  m.f = w.real() / kTwoPi;
  m.d = w.imag() / kTwoPi;
  if (std::abs(v1) < 1e-10) v1 = 1.0;
  m.e1 = v1 / v1;
  m.e2 = v2 / v1;
  m.g = quotient(m.d, m.f) * kTwoPi;
  double re = m.e2.real(), im = m.e2.imag();
  VDMPLR(re, im, m.magnitude, m.phase, -11);
  return m;
}

// One sweep step at dynamic pressure q.
void sweep_step(double q, textio::OutputFile* file) {
  const CaseParameters& cp = case_parameters();
  const AeroelasticModel& m = model();
  const double u0 = std::sqrt(2.0 * std::fabs(q) / cp.rho);
  const auto aero = m.aero_matrix();
  std::array<zcomplex, 4> inverse{}, system{}, flutter{};
  for (std::size_t i = 0; i < 4; ++i) {
    inverse[i] = m.mass_inverse[i];
    system[i] = m.stiffness_matrix[i] + q * aero[i];
  }
  numlib::ZGEMM('N', 'N', 2, 2, 2, zcomplex(1.0, 0.0), inverse.data(), 2, system.data(), 2, zcomplex(0.0, 0.0),
                flutter.data(), 2);
  std::array<zcomplex, 2> lambda{};
  std::array<zcomplex, 4> v{};
  numlib::DEVCCG(2, flutter.data(), 2, lambda.data(), v.data(), 2);
  const Mode m1 = mode_of(lambda[0], v[0], v[1]);
  const Mode m2 = mode_of(lambda[1], v[2], v[3]);

  if (file != nullptr) {
    static const textio::Layout kRow(msg::kFlutterRow);
    textio::write(file->stream(), kRow,
                  {std::fabs(q), u0, m1.f, m1.d, m1.g, m2.f, m2.d, m2.g, m1.e2.real(), m1.e2.imag(), m1.magnitude,
                   m1.phase, m2.e2.real(), m2.e2.imag(), m2.magnitude, m2.phase, std::fabs(q)});
  } else {
    static const textio::Layout kBlock(msg::kFlutterBlock);
    textio::write(textio::console(), kBlock,
                  {m1.f, m1.d, m1.e1.real(), m1.e1.imag(), m1.e2.real(), m1.e2.imag(), m2.f, m2.d, m2.e1.real(),
                   m2.e1.imag(), m2.e2.real(), m2.e2.imag()});
  }
}

void flutter_sweep() {
  const CaseParameters& cp = case_parameters();
  textio::OutputFile file;
  if (cp.nstep > 0) {
    file.open(std::string(kFlutterTableFile));
    static const textio::Layout kHeader(msg::kFlutterHeader);
    textio::write(file.stream(), kHeader, {});
  }
  // nstep = 0 has no step f_s/nstep: the sweep stays at its start value.
  const double dq = cp.nstep != 0 ? cp.f_s / cp.nstep : 0.0;
  double q = std::fabs(cp.q_start);
  if (cp.f_s < 0.0) q = -q;
  // Counted in 64 bits: nstep + nextra + 1 may exceed the int range.
  const long long steps = static_cast<long long>(cp.nstep) + cp.nextra + 1;
  for (long long step = 1; step <= steps; ++step) {
    q += dq;
    sweep_step(q, file.is_open() ? &file : nullptr);
  }
  file.close();
}

void structural_modes() {
  CaseParameters& cp = case_parameters();
  const double M1 = cp.M_1, M2 = cp.M_2, Sm = cp.S_m, K1 = cp.K_1, K2 = cp.K_2, Km = cp.K_m;
  const double delta = M1 * M2 - Sm * Sm;
  const double D = K1 * K1 * M2 * M2 - 2.0 * K1 * K2 * M1 * M2 + 4.0 * K1 * K2 * Sm * Sm - 4.0 * K1 * Km * M2 * Sm +
                   K2 * K2 * M1 * M1 - 4.0 * K2 * Km * M1 * Sm + 4.0 * Km * Km * M1 * M2;
  const double root = std::pow(D, 0.5);
  const double ls1 = quotient(root / 2.0 + K1 * M2 / 2.0 + K2 * M1 / 2.0 - Km * Sm, delta);
  const double ls2 = quotient(K1 * M2 / 2.0 - root / 2.0 + K2 * M1 / 2.0 - Km * Sm, delta);

  const auto ratio = [&](double s) {
    const double den = s * M1 - K1 * M1 * M2 + 2.0 * K1 * Sm * Sm + K2 * M1 * M1 - 2.0 * Km * M1 * Sm;
    const double num = -s * Sm - K1 * M2 * Sm - K2 * M1 * Sm + 2.0 * Km * M1 * M2;
    return std::fabs(den) > 1e-10 ? num / den : 0.0;
  };
  const double r1 = ratio(root);
  const double r2 = ratio(-root);

  const double fu1 = std::sqrt(quotient(K1, M1)) / kTwoPi;
  const double fu2 = std::sqrt(quotient(K2, M2)) / kTwoPi;
  const double fs1 = std::sqrt(ls1) / kTwoPi;
  const double fs2 = std::sqrt(ls2) / kTwoPi;
  if (fu1 > fu2 && fs1 > fs2) {
    cp.f_0_1 = fs1;
    cp.f_0_2 = fs2;
  } else {
    cp.f_0_1 = fs2;
    cp.f_0_2 = fs1;
  }
  // The larger of the two frequencies; one without a value (NaN) does not
  // count, whichever degree of freedom it belongs to.
  const double f_ref = std::fmax(cp.f_0_1, cp.f_0_2);
  // Not real and positive: NaN (no real root), zero or infinite.
  const auto real_and_positive = [](double f) { return std::isfinite(f) && f > 0.0; };
  if (!(real_and_positive(cp.f_0_1) && real_and_positive(cp.f_0_2))) {
    console_write(msg::kStructuralFrequenciesUndefined, {});
  }
  console_write(msg::kStructuralModes, {fs1, r1, 1.0, fs2, r2, 1.0});
  cp.inv_omega_1 = quotient(1.0, kTwoPi * f_ref);
  cp.inv_omega_2 = cp.inv_omega_1;
}

}  // namespace

bool& second_run_pending() { return g_second_run_pending; }

void flutter_analysis() {
  flutter_sweep();
  structural_modes();
  g_second_run_pending = true;
}

}  // namespace zelvan::driver
