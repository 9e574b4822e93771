// Limit cycles of the section with nonlinear springs: the time march of
// the rational-function state-space model with cubic or freeplay springs,
// from an initial pitch disturbance to rest, a limit cycle or divergence.
#pragma once

#include <array>

#include "flutter/state_space.hpp"

namespace zelvan::flutter {

// One spring's nonlinearity in its coordinate x (y = h/b or theta [rad]):
// the force k (x + cubic x^3), or with freeplay of half-width `freeplay`
// none for |x| <= freeplay and k (x - freeplay sign x) beyond.  Not both.
struct SpringNonlinearity {
  double cubic = 0.0;
  double freeplay = 0.0;
};

// The restoring force of a spring of stiffness k at displacement x.
double spring_force(double k, const SpringNonlinearity& spring, double x);

// The nonlinearity of the plunge (index 0) and pitch (1) springs: it
// replaces the diagonal terms K_11 x_1 and K_22 x_2 of the model's
// stiffness; the coupling terms stay linear.
using SectionSprings = std::array<SpringNonlinearity, 2>;

enum class LcoState { rest, cycle, diverged, not_settled };

struct LcoMarchSettings {
  double tolerance = 1e-6;  // DIVPAG's TOL
  int method = 2;           // DIVPAG's METH: 1 Adams, 2 backward differentiation
  // Successive pitch amplitudes (half peak-to-peak) within this fraction
  // of each other: a settled cycle.
  double settled = 1e-6;
  // A pitch amplitude below this fraction of the initial disturbance: at
  // rest.
  double rest_fraction = 1e-4;
  // |theta| beyond this [rad], or |y| beyond `diverged_plunge`: diverged
  // (far outside the small angles the aerodynamics hold for).
  double diverged_pitch = 1.5;
  double diverged_plunge = 20.0;
  // The march ends after this many periods of `reference_frequency` [Hz]
  // without a decision: not settled.
  int most_periods = 1000;
  double reference_frequency = 1.0;
};

struct LcoPoint {
  LcoState state = LcoState::not_settled;
  // The last measured half peak-to-peak amplitudes (y = h/b, theta [rad])
  // and the frequency of the pitch maxima [Hz]; 0 where no cycle of peaks
  // was seen.
  double amplitude_h = 0.0;
  double amplitude_theta = 0.0;
  double frequency = 0.0;
  long periods = 0;  // pitch maxima seen
  long steps = 0;    // integration steps
};

// Marches M x'' + D x' + F(x) + q Q(s_bar) x = 0 (the model of
// state_matrix with the springs' forces F in place of K x, flow speed
// u > 0 [m/s]) from rest at theta = theta0 [rad] with the lag states 0,
// by DIVPAG with the settings' tolerance and method.  A freeplay corner
// (|x| = freeplay) is a switch where the integration restarts
// (numlib::march_with_events); the extremes of theta and y are located
// where their velocities change sign.  At each pitch maximum the
// amplitude is compared with the one before: agreement to `settled` ends
// the march as a cycle, an amplitude below rest_fraction * |theta0| as
// rest; |theta| or |y| beyond the divergence bounds ends it as diverged,
// and the time limit as not settled.  Library errors end the run.
LcoPoint march_limit_cycle(const StateSpaceModel& model, const SectionSprings& springs, double u, double theta0,
                           const LcoMarchSettings& settings);

}  // namespace zelvan::flutter
