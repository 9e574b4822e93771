// The p-method: the roots of the state-space model (flutter/state_space.hpp)
// over a sweep of dynamic pressures, its two structural roots tracked from
// the structural frequencies and the lag roots kept apart, and flutter
// where a structural root's real part changes sign.
#pragma once

#include <array>
#include <complex>
#include <optional>
#include <span>
#include <vector>

#include "flutter/flutter_crossings.hpp"
#include "flutter/state_space.hpp"

namespace zelvan::flutter {

struct PMethodResult {
  std::vector<double> q;                                 // the sweep's dynamic pressures [N/m^2]
  std::vector<std::vector<std::complex<double>>> roots;  // every eigenvalue at each q [1/s]
  // The structural roots s = iW as flutter modes (W = -is: f = Im s/2pi,
  // d = -Re s/2pi, the eigenvector's first two components), tracked mode 0
  // from f_0_1 and mode 1 from f_0_2; empty at q <= 0 (no flow) and where a
  // root cannot be followed.
  TrackedSeries tracked;
  std::vector<Crossing> crossings;   // of d = 0, refined on q (find_crossings)
  std::optional<Crossing> critical;  // the flutter onset of lowest q
  // Divergence: the lowest q > 0 where a real root passes zero, which is
  // where det(K + q A0) = 0 (at s = 0 the lag states vanish); at any q,
  // not only inside the sweep.  Empty when there is none.
  std::optional<double> divergence_q;
};

// The p-method over the dynamic pressures `q` (ascending; those <= 0 give
// no roots) with the structural frequencies f_0 = {f_0_1, f_0_2} [Hz] to
// start the tracking.  At each q the roots off the real axis with positive
// imaginary part are the candidates; each tracked mode takes the candidate
// nearest its root at the previous q (at the first q, the one whose Im s
// is nearest 2 pi f_0).  The crossings are found and refined as the
// sweep's are, each trial q following the mode from the bracket's lower
// end.  A library error of DEVCCG ends the run.
PMethodResult p_method(const StateSpaceModel& model, std::span<const double> q, const std::array<double, 2>& f_0);

}  // namespace zelvan::flutter
