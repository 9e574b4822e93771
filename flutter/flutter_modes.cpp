#include "flutter/flutter_modes.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "aero/flow.hpp"
#include "flutter/detail/messages.hpp"
#include "flutter/vdmplr.hpp"
#include "numlib/devccg.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/zgemm.hpp"
#include "textio/layout.hpp"
#include "textio/record_writer.hpp"

namespace zelvan::flutter {
namespace {

using aero::kTwoPi;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Two pairings whose total change of W differs by less than this fraction
// of the change are a tie, decided by the eigenvectors.
constexpr double kPairingTie = 1e-12;
// An eigenvector whose plunge component is below this is scaled to e1 = 1
// by taking that component as 1 (the guard of the flutter table).
constexpr double kNoPlungeComponent = 1e-10;

double quotient(double a, double b) { return b != 0.0 ? a / b : kNaN; }

}  // namespace

FlutterMode mode_of(zcomplex lambda, zcomplex v1, zcomplex v2) {
  FlutterMode m{};
  m.lambda = lambda;
  m.W = std::sqrt(lambda);
  m.f = m.W.real() / kTwoPi;
  m.d = m.W.imag() / kTwoPi;
  if (std::abs(v1) < kNoPlungeComponent) v1 = 1.0;
  m.e1 = v1 / v1;
  m.ratio = v2 / v1;
  m.g = quotient(m.d, m.f) * kTwoPi;
  double re = m.ratio.real(), im = m.ratio.imag();
  VDMPLR(re, im, m.magnitude, m.phase, -11);
  return m;
}

FlutterStep solve_flutter_step(const FlutterSystem& system, const Matrix2& aero, double q) {
  FlutterStep step;
  step.q = q;
  step.u = aero::flow_speed(q, system.rho);
  std::array<zcomplex, 4> inverse{}, matrix{}, flutter{};
  for (std::size_t i = 0; i < 4; ++i) {
    inverse[i] = system.mass_inverse[i];
    matrix[i] = system.stiffness[i] + q * aero[i];
  }
  const numlib::ErrorNote note([q] {
    static const textio::Layout kNote(msg::kNoteFlutterStep);
    const textio::Value values[] = {q};
    std::string text;
    for (const std::string& line : textio::format_lines(kNote, values)) text += line + '\n';
    return text;
  });
  numlib::ZGEMM('N', 'N', 2, 2, 2, zcomplex(1.0, 0.0), inverse.data(), 2, matrix.data(), 2, zcomplex(0.0, 0.0),
                flutter.data(), 2);
  std::array<zcomplex, 2> lambda{};
  std::array<zcomplex, 4> v{};
  numlib::DEVCCG(2, flutter.data(), 2, lambda.data(), v.data(), 2);
  step.modes[0] = mode_of(lambda[0], v[0], v[1]);
  step.modes[1] = mode_of(lambda[1], v[2], v[3]);
  return step;
}

int closest_mode(const FlutterStep& step, zcomplex W, zcomplex ratio) {
  const double d0 = std::abs(step.modes[0].W - W);
  const double d1 = std::abs(step.modes[1].W - W);
  const double scale = std::max({d0, d1, std::abs(W)});
  if (std::fabs(d0 - d1) > kPairingTie * scale) return d0 <= d1 ? 0 : 1;
  return std::abs(step.modes[0].ratio - ratio) <= std::abs(step.modes[1].ratio - ratio) ? 0 : 1;
}

TrackedModes track_modes(const FlutterStep& start, double f_0_1, std::span<const FlutterStep> steps) {
  TrackedModes tracked;
  // Which column of `start` each tracked mode begins in.
  int first = 0;
  if (std::isfinite(f_0_1) && std::fabs(start.modes[1].f - f_0_1) < std::fabs(start.modes[0].f - f_0_1)) {
    first = 1;
  }
  std::array<FlutterMode, 2> previous{start.modes[first], start.modes[1 - first]};
  for (const FlutterStep& step : steps) {
    const double same = std::abs(step.modes[0].W - previous[0].W) + std::abs(step.modes[1].W - previous[1].W);
    const double swapped = std::abs(step.modes[1].W - previous[0].W) + std::abs(step.modes[0].W - previous[1].W);
    bool swap = swapped < same;
    if (std::fabs(same - swapped) <= kPairingTie * std::max(same, swapped)) {
      const double same_v =
          std::abs(step.modes[0].ratio - previous[0].ratio) + std::abs(step.modes[1].ratio - previous[1].ratio);
      const double swapped_v =
          std::abs(step.modes[1].ratio - previous[0].ratio) + std::abs(step.modes[0].ratio - previous[1].ratio);
      swap = swapped_v < same_v;
    }
    const int c0 = swap ? 1 : 0;
    tracked.column[0].push_back(c0);
    tracked.column[1].push_back(1 - c0);
    previous = {step.modes[c0], step.modes[1 - c0]};
  }
  return tracked;
}

}  // namespace zelvan::flutter
