// The matched flutter point: the reduced frequency w_star of the
// coefficients (and optionally the Mach number) that equals the reduced
// frequency of the critical crossing they give.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "flutter/flutter_crossings.hpp"

namespace zelvan::flutter {

// Why the iteration ended.
enum class MatchStop {
  converged,          // |k_F - w_star| <= tolerance*w_star (and Ma likewise)
  no_onset,           // an iterate's sweep has no flutter onset
  mach_outside,       // Ma left the route's domain
  frequency_outside,  // w_star left the route's domain
  limit,              // the iteration limit was reached
};

struct MatchedIteration {
  double w_star = 0.0, Ma = 0.0;              // the iterate
  double q = 0.0, u = 0.0, f = 0.0, k = 0.0;  // its critical crossing
};

struct MatchedPoint {
  MatchStop stop = MatchStop::limit;
  bool mach_matched = false;
  std::vector<MatchedIteration> iterations;
  std::optional<Crossing> critical;  // the critical crossing of the last iterate with one
  double Ma = 0.0;                   // the Mach number of that iterate
  bool converged() const { return stop == MatchStop::converged; }
};

struct MatchSettings {
  double tolerance = 1e-6;   // relative, on k (and Ma)
  int iteration_limit = 30;  // evaluations of the critical crossing
  bool match_mach = false;   // Ma := u_F / sound_speed as well
  double sound_speed = 0.0;  // m/s, for match_mach
};

// The critical crossing of the sweep with the coefficients of reduced
// frequency w and Mach number Ma; empty when the sweep has no onset.
using CriticalAt = std::function<std::optional<Crossing>(double w, double mach)>;
// Whether (k, Ma) lies in the aerodynamic route's domain.
using DomainCheck = std::function<bool(double k, double mach)>;

// Solves k_F(w) = w from w = k_start at Mach number `mach` by a safeguarded
// secant iteration: the first step is a substitution, later steps secant
// steps kept inside a sign-change bracket once one is known (bisection when
// they leave it) and limited to half the iterate before.  With match_mach,
// (w, Ma) solve k_F = w and u_F/sound_speed = Ma together by Broyden's
// method from the substitution step, steps limited to half of each value.
MatchedPoint matched_point(double k_start, double mach, const MatchSettings& settings, const CriticalAt& critical_at,
                           const DomainCheck& in_domain);

}  // namespace zelvan::flutter
