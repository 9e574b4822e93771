// Integration with events: DIVPAG from one point through increasing output
// points, stopping where a switching function of the solution changes
// sign, located on the integrator's interpolant, so that the caller can
// change the right-hand side or the state there and the integration
// restarts at the switch (a right-hand side that is smooth between
// switches keeps the method's order; a step across a corner would not).
#pragma once

#include <array>
#include <functional>
#include <span>

#include "numlib/divpag.hpp"

namespace zelvan::numlib {

// An event: switching function `which` (0-based) changed sign at x, from
// negative to positive (direction +1) or from positive to negative (-1).
struct SwitchEvent {
  int which = 0;
  int direction = 0;
  double x = 0.0;
};

// g := the `count` switching functions at (x, y).
using SwitchingFunctions = std::function<void(double x, const double* y, double* g)>;
// The solution y at output point `index` (x = outputs[index]).
using OutputCallback = std::function<void(std::size_t index, double x, const double* y)>;
// What the march does after an event: goes on through it with the same
// step history (pass), restarts at event.x from y (order 1, a fresh step;
// for a callback that changed y or the right-hand side), or ends there
// (stop: no later output is given).
enum class EventAction { pass, restart, stop };
// An event with the solution y there, which the callback may change.
using EventCallback = std::function<EventAction(const SwitchEvent& event, double* y)>;

struct EventMarchResult {
  long events = 0;       // events reported
  long restarts = 0;     // of them, those the callback restarted at
  bool stopped = false;  // the callback ended the march at an event
  double x_end = 0.0;    // where the march ended: outputs.back() or the stop
  long steps = 0;        // integration steps over the whole march
  long fcn = 0;          // right-hand-side evaluations over the whole march
};

// Integrates y' = f(x, y) (DIVPAG with `fcn`, `fcnj`, `user`, tolerance
// `tol` and the options `param`, as for DIVPAG; PARAM(7) and PARAM(8) are
// set by this routine) from (x0, y0) through the output points `outputs`
// (increasing, the first above x0), calling at_output at each one.  After
// every step the `count` switching functions are compared in sign with
// those at the step's start; where one changed (a zero at a step's end
// counts as the new sign), its root is located on the step's interpolant
// by the Illinois method to kEventBracket relative width, the earliest of
// them reported, and at_event called with the solution at the bracket's
// far side (where the function already has its new sign, so that a
// restart there does not find the same event again), which decides what
// follows (EventAction).  Two roots of one
// function within one step cancel and are not seen.  Outputs before an
// event are given from the step's interpolant before the event.  The
// integration ends at outputs.back() or at a stop, with the integrator
// released (IDO 3).
// Domain: neq >= 1, count >= 0, outputs not empty and increasing with
// outputs.front() > x0; otherwise a terminal error (DIVPAG_EVENTS, codes 1
// and 2).  Integrator errors stop the run as in DIVPAG; where the error
// handler lets the run go on, the march ends at the failing call.
EventMarchResult march_with_events(int neq, DivpagUserFcn fcn, DivpagUserJac fcnj, void* user, double tol,
                                   std::array<double, 50> param, double x0, std::span<const double> y0,
                                   std::span<const double> outputs, int count, const SwitchingFunctions& g,
                                   const OutputCallback& at_output, const EventCallback& at_event);

// The located root's bracket: at most this many units of rounding of the
// larger of |a| + |b| and the step, so a few units of rounding of x, well
// below the integrator's own error at any tolerance it accepts.
inline constexpr double kEventBracket = 8.0;

}  // namespace zelvan::numlib
