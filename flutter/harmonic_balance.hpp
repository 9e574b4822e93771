// Limit cycles by harmonic balance: each nonlinear spring replaced by its
// describing function at the cycle's amplitude, a cycle is a flutter point
// of the equivalent linear section, found with the route's exact
// coefficients Q(k) (no rational fit).
#pragma once

#include <array>
#include <complex>
#include <optional>
#include <span>
#include <vector>

#include "flutter/limit_cycle.hpp"
#include "flutter/pk_analysis.hpp"

namespace zelvan::flutter {

// N(A): the fundamental of the spring's force in the motion x = A cos wt,
// divided by K A (A >= 0):
//   cubic c:         1 + (3/4) c A^2
//   freeplay delta:  0 for A <= delta, else
//                    1 - (2/pi) (asin(d) + d sqrt(1 - d^2)), d = delta/A
// 1 for a linear spring.
double describing_function(const SpringNonlinearity& spring, double amplitude);

// The linear section of M x'' + D x' + K x + q Q(k) x = 0 in the program's
// coordinates, q = rho U^2/2, k = omega b/U, and its coefficients on a
// grid of reduced frequencies.
struct HarmonicSection {
  std::array<double, 4> mass{};       // M, column-major, kg
  std::array<double, 4> damping{};    // D, kg/s
  std::array<double, 4> stiffness{};  // K, kg/s^2
  double rho = 1.2;                   // kg/m^3
  double half_chord = 0.5;            // b, m
  std::vector<double> k;              // the scan, decreasing (increasing speed), k > 0
  std::vector<Matrix2> q;             // Q at each k of the scan
  CoefficientsAt coefficients;        // Q at any k of the scan's range
};

// The grid of `count` log-spaced reduced frequencies from k_high down to
// k_low (0 < k_low < k_high, count >= 2) with their coefficients.
HarmonicSection with_scan(HarmonicSection section, double k_high, double k_low, int count);

struct ExactFlutter {
  double u = 0.0;      // m/s
  double omega = 0.0;  // rad/s
  double k = 0.0;
  std::array<std::complex<double>, 2> shape{};  // (x_1, x_2) of the flutter mode, unit length
};

// The flutter point of the lowest speed: det(K + i w D - w^2 (M - (rho
// b^2/(2 k^2)) Q(k))) = 0 with w real, the quadratic eigenproblem in w at
// each k of the scan solved as a 4 x 4 companion (numlib::DEVLCG), its two
// roots with Re w > 0 followed from k to k; the first k at which one's
// Im w changes from the sign it had at the first k (stable, decaying as
// e^{iwt}) is refined by the Illinois method on Im w with `coefficients`
// until k agrees to kExactFlutterTolerance.  Empty when no root changes
// sign over the scan.  Library errors end the run.
std::optional<ExactFlutter> exact_flutter(const HarmonicSection& section);

// Relative tolerance on k of exact_flutter's root: a few hundred units of
// rounding, the rounding of Im w itself near its root.
inline constexpr double kExactFlutterTolerance = 1e-12;

// The equivalent linear section of `springs` at pitch amplitude A_theta:
// K_22 times N_theta(A_theta) and K_11 times N_h(A_h), where A_h =
// |x_1/x_2| A_theta of the flutter mode, found by fixed-point iteration
// when the plunge spring is nonlinear.
struct HarmonicBalancePoint {
  double amplitude_theta = 0.0;  // rad
  double amplitude_h = 0.0;      // h/b
  ExactFlutter flutter;
};
std::optional<HarmonicBalancePoint> harmonic_balance_point(const HarmonicSection& section,
                                                           const SectionSprings& springs, double amplitude_theta);

// One amplitude of a cycle at a speed: stable when the flutter speed rises
// with the amplitude (a larger cycle decays back, a smaller one grows).
struct HarmonicBalanceCycle {
  double amplitude_theta = 0.0;
  bool stable = false;
};

// The harmonic-balance curve: the flutter speed against the pitch
// amplitude on a grid from near 0 (cubic springs; to the amplitude where a
// softening spring has lost its stiffness or `most_amplitude`) or from the
// freeplay width to `most_amplitude` (freeplay), `count` points.
struct HarmonicBalanceCurve {
  std::vector<double> amplitude_theta;
  std::vector<std::optional<HarmonicBalancePoint>> points;
};
HarmonicBalanceCurve harmonic_balance_curve(const HarmonicSection& section, const SectionSprings& springs,
                                            double most_amplitude, int count);

// Every cycle at flow speed u [m/s]: each interval of the curve where its
// flutter speed passes u, refined by the Illinois method on the amplitude
// to kCycleAmplitudeTolerance, in increasing amplitude.
std::vector<HarmonicBalanceCycle> harmonic_balance_cycles(const HarmonicSection& section, const SectionSprings& springs,
                                                          const HarmonicBalanceCurve& curve, double u);

// Relative tolerance on a cycle's amplitude.
inline constexpr double kCycleAmplitudeTolerance = 1e-10;

}  // namespace zelvan::flutter
