// Axis scaling: a tidy axis limit for a data magnitude.
#pragma once

namespace zelvan::plot {

// The axis limit for the magnitude |x|: as a rule a value a little above
// it whose leading digit is even (4.5 gives 6, 0.0734 gives 0.08, 0 gives
// 0.2).  The result is worked out from the text of |x| written with
// (1PG10.3): its mantissa up to the first digit after the point, times
// 1.2, decides which digit is raised to the next even number, so the
// result follows the fixed or exponent form of that text (8.3 gives 10,
// 8.4 gives 20, 850 gives 1020).  A magnitude that is not finite has no
// such text and is returned as it is (infinity or NaN).
double scale(double x);

}  // namespace zelvan::plot
