#include "flutter/matched_point.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelvan::flutter {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Largest relative change of an iterate in one step.
constexpr double kStepLimit = 0.5;
// A reduced frequency certainly inside every route's domain in k, to tell a
// Mach number outside the domain from a reduced frequency outside it.
constexpr double kProbeFrequency = 1e-3;

double limited(double x, double step) {
  const double bound = kStepLimit * std::fabs(x);
  return x + std::clamp(step, -bound, bound);
}

class Iteration {
 public:
  Iteration(const MatchSettings& settings, const CriticalAt& critical_at, const DomainCheck& in_domain,
            MatchedPoint& result)
      : settings_(settings), critical_at_(critical_at), in_domain_(in_domain), result_(result) {}

  // Evaluates the iterate (w, Ma); false (with result_.stop set) when the
  // iteration must stop, also when it has converged.
  bool evaluate(double w, double mach, double& k_f, double& mach_f) {
    if (!in_domain_(w, mach)) {
      result_.stop = in_domain_(kProbeFrequency, mach) ? MatchStop::frequency_outside : MatchStop::mach_outside;
      return false;
    }
    if (static_cast<int>(result_.iterations.size()) >= settings_.iteration_limit) {
      result_.stop = MatchStop::limit;
      return false;
    }
    const std::optional<Crossing> c = critical_at_(w, mach);
    if (!c) {
      result_.iterations.push_back({w, mach, kNaN, kNaN, kNaN, kNaN});
      result_.stop = MatchStop::no_onset;
      return false;
    }
    result_.iterations.push_back({w, mach, c->q, c->u, c->f, c->k});
    result_.critical = c;
    result_.Ma = mach;
    k_f = c->k;
    mach_f = settings_.match_mach ? c->u / settings_.sound_speed : mach;
    const bool k_met = std::fabs(k_f - w) <= settings_.tolerance * std::fabs(w);
    const bool mach_met = !settings_.match_mach || std::fabs(mach_f - mach) <= settings_.tolerance * std::fabs(mach);
    if (k_met && mach_met) {
      result_.stop = MatchStop::converged;
      return false;
    }
    return true;
  }

 private:
  const MatchSettings& settings_;
  const CriticalAt& critical_at_;
  const DomainCheck& in_domain_;
  MatchedPoint& result_;
};

void secant(double w, double mach, Iteration& it) {
  double k_f = 0.0, mach_f = mach;
  if (!it.evaluate(w, mach, k_f, mach_f)) return;
  double w_prev = w, r_prev = k_f - w;
  w = limited(w, r_prev);
  // A bracket of the residual r = k_F - w, once two iterates differ in sign.
  std::optional<double> pos, neg;
  (r_prev > 0.0 ? pos : neg) = w_prev;
  for (;;) {
    if (!it.evaluate(w, mach, k_f, mach_f)) return;
    const double r = k_f - w;
    (r > 0.0 ? pos : neg) = w;
    double next = r != r_prev ? w - r * (w - w_prev) / (r - r_prev) : w + r;
    if (pos && neg) {
      const double lo = std::min(*pos, *neg), hi = std::max(*pos, *neg);
      if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    } else {
      next = limited(w, next - w);
    }
    w_prev = w;
    r_prev = r;
    w = next;
  }
}

void broyden(double w, double mach, Iteration& it) {
  double k_f = 0.0, mach_f = mach;
  if (!it.evaluate(w, mach, k_f, mach_f)) return;
  // J approximates the Jacobian of F(x) = G(x) - x; J = -I makes the first
  // step a substitution.
  double j11 = -1.0, j12 = 0.0, j21 = 0.0, j22 = -1.0;
  double f1 = k_f - w, f2 = mach_f - mach;
  for (;;) {
    const double det = j11 * j22 - j12 * j21;
    double s1 = f1, s2 = f2;  // substitution when J is singular
    if (det != 0.0) {
      s1 = -(j22 * f1 - j12 * f2) / det;
      s2 = -(-j21 * f1 + j11 * f2) / det;
    }
    // One factor for both components keeps the direction of the step.
    const double scale = std::min({1.0, kStepLimit * std::fabs(w) / std::max(std::fabs(s1), 1e-300),
                                   kStepLimit * std::fabs(mach) / std::max(std::fabs(s2), 1e-300)});
    s1 *= scale;
    s2 *= scale;
    w += s1;
    mach += s2;
    if (!it.evaluate(w, mach, k_f, mach_f)) return;
    const double g1 = k_f - w, g2 = mach_f - mach;
    const double y1 = g1 - f1, y2 = g2 - f2;
    const double norm = s1 * s1 + s2 * s2;
    if (norm > 0.0) {
      const double r1 = y1 - (j11 * s1 + j12 * s2), r2 = y2 - (j21 * s1 + j22 * s2);
      j11 += r1 * s1 / norm;
      j12 += r1 * s2 / norm;
      j21 += r2 * s1 / norm;
      j22 += r2 * s2 / norm;
    }
    f1 = g1;
    f2 = g2;
  }
}

}  // namespace

MatchedPoint matched_point(double k_start, double mach, const MatchSettings& settings, const CriticalAt& critical_at,
                           const DomainCheck& in_domain) {
  MatchedPoint result;
  result.mach_matched = settings.match_mach;
  result.Ma = mach;
  Iteration it(settings, critical_at, in_domain, result);
  if (settings.match_mach) {
    broyden(k_start, mach, it);
  } else {
    secant(k_start, mach, it);
  }
  return result;
}

}  // namespace zelvan::flutter
