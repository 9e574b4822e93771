// Warnings on results that cannot mean anything: the run goes on, but the
// console says why the spectrum or the time history should not be used as
// they stand.
#pragma once

#include <span>

#include "driver/case_parameters.hpp"
#include "driver/time_history.hpp"

namespace zelvan::driver {

// Growth of the displacement beyond which the section is taken to be
// unstable at the operating dynamic pressure.
inline constexpr double kUnstableGrowth = 1.0e6;

// The early part of a displacement history, against whose largest value
// the growth is measured: its first tenth (at least one sample, the
// initial state).
inline constexpr int kEarlyFraction = 10;

// Whether the history `x` (the initial value first, then the samples)
// grows by more than kUnstableGrowth times its largest early magnitude, or
// reaches a value that is not finite.  A history whose early part is
// exactly zero (no initial displacement and no response yet) gives no
// scale and is not judged.
bool grows_unstably(std::span<const double> x);

// After the last time history `h` of the case `cp`, writes one "!!!" message (two lines) to the
// console for each condition that holds:
//  - the sampling rate npoints/|t_E - t_A| is below twice the higher
//    structural frequency (the spectrum is aliased);
//  - the time window |t_E - t_A| is shorter than two periods of the lower
//    structural frequency;
//  - a displacement grows unstably (grows_unstably), so the section is
//    unstable at this dynamic pressure.
// Structural frequencies that are not real and positive do not count (a
// message has said so already).  Nothing stops the run.
void warn_about_meaningless_results(const CaseParameters& cp, const TimeHistory& h);

}  // namespace zelvan::driver
