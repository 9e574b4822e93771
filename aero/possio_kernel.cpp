#include "aero/possio_kernel.hpp"

#include <numbers>

#include "aero/detail/messages.hpp"
#include "aero/detail/possio_e1.hpp"
#include "aero/detail/possio_romberg.hpp"
#include "aero/detail/possio_stop.hpp"

namespace zelvan::aero {
namespace {

constexpr std::complex<double> kI(0.0, 1.0);

}  // namespace

void check_possio_kernel_domain(double mach, double k) {
  if (!(mach >= kPossioMinMach && mach < 1.0)) {
    static const textio::Layout kMessage(msg::kMachOutside);
    const textio::Value values[] = {mach};
    stop_possio(kMessage, values);
  }
  if (!(k > 0.0 && std::isfinite(k))) {
    static const textio::Layout kMessage(msg::kFrequencyOutside);
    const textio::Value values[] = {k};
    stop_possio(kMessage, values);
  }
  const double omega1 = k / (1.0 - mach * mach);
  if (!(2.0 * omega1 <= kPossioMaxSeriesArgument)) {
    static const textio::Layout kMessage(msg::kFrequencyTooHigh);
    const textio::Value values[] = {k, mach, 2.0 * omega1, kPossioMaxSeriesArgument};
    stop_possio(kMessage, values);
  }
}

PossioKernel::PossioKernel(double mach, double k) : mach_(mach), k_(k) {
  check_possio_kernel_domain(mach, k);
  beta2_ = 1.0 - mach * mach;
  beta_ = std::sqrt(beta2_);
  omega1_ = k / beta2_;
  omega2_ = k * mach / beta2_;
  omega3_ = k * mach * mach / beta2_;
  e1_far_ = exp_integral_e1(std::complex<double>(0.0, 2.0 * omega1_));
  compute_c0();
}

void PossioKernel::compute_c0() {
  const auto g = [this](double u) { return far_field_integrand(u); };
  const RombergResult near = romberg(kPossioFarFieldCut, kPossioNearFieldStart, g, kPossioQuadratureTolerance);
  hankel_evaluations_ += near.evaluations;

  // Beyond the cut, H1 by its leading asymptotic term turns the integral
  // into (2/sqrt(pi)) r (1 - i) times the Fresnel integral from v_max to
  // infinity of e^{-i v^2}.
  const double v_max = std::sqrt(-kPossioFarFieldCut * k_ / (1.0 - mach_));
  const auto fresnel = [](double v) { return std::complex<double>(std::cos(v * v), -std::sin(v * v)); };
  const RombergResult head = romberg(0.0, v_max, fresnel, kPossioQuadratureTolerance);
  fresnel_evaluations_ += head.evaluations;
  const std::complex<double> whole = 0.5 * std::sqrt(std::numbers::pi / 2.0) * std::complex<double>(1.0, -1.0);
  const double r = std::sqrt(beta2_ * (1.0 - mach_) / (k_ * k_ * mach_));
  const std::complex<double> e = (2.0 / std::sqrt(std::numbers::pi)) * r * std::complex<double>(1.0, -1.0);
  c0_ = near.value + e * (whole - head.value);
}

std::complex<double> PossioKernel::k1(double x) {
  const double ax = std::fabs(x);
  const double s = x / ax;
  const double z = omega2_ * ax;
  const std::complex<double> h0 = hankel_detail::h0(z);
  const std::complex<double> h1 = hankel_detail::h1(z);

  // Near-field integral from -2 to x; for x > 0 split at -x so that the
  // kink of the integrand at u = 0 falls on the midpoint of [-x, x].
  const auto f = [this](double u) { return near_field_integrand(u); };
  std::complex<double> integral;
  if (x < 0.0) {
    const RombergResult r = romberg(kPossioNearFieldStart, x, f, kPossioQuadratureTolerance);
    hankel_evaluations_ += r.evaluations;
    integral = r.value;
  } else {
    const RombergResult outer = romberg(kPossioNearFieldStart, -x, f, kPossioQuadratureTolerance);
    const RombergResult inner = romberg(-x, x, f, kPossioQuadratureTolerance);
    hankel_evaluations_ += outer.evaluations + inner.evaluations;
    integral = outer.value + inner.value;
  }

  // The bracket is the integral from -2 to x of e^{i omega1 u}/u (principal
  // value for x > 0), so r equals i k M J(x).
  const std::complex<double> bracket =
      e1_far_ - exp_integral_e1(std::complex<double>(0.0, -omega1_ * x)) + kI * (std::numbers::pi / 2.0) * (1.0 + s);
  const std::complex<double> r = kI * k_ * mach_ * (c0_ + integral) - (2.0 * beta2_ / std::numbers::pi) * bracket;

  const std::complex<double> rot3(std::cos(omega3_ * x), std::sin(omega3_ * x));
  const std::complex<double> rotk(std::cos(k_ * x), -std::sin(k_ * x));
  const std::complex<double> kt = rot3 * (kI * mach_ * mach_ * h0 + mach_ * s * h1) - rotk * r;

  // Take out the singular part.
  std::complex<double> k1 = kt - kI * (2.0 * beta2_ / (std::numbers::pi * k_ * x));
  k1.real(k1.real() - (2.0 / std::numbers::pi) * std::log(ax));
  return k1;
}

std::complex<double> PossioKernel::k_reg(double x) { return kI * (k_ / (8.0 * beta_)) * k1(x); }

}  // namespace zelvan::aero
