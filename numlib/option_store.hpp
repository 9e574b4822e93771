// The library's option store: integer options addressed by a product name
// ("MATH" or "STAT"), a chapter and option numbers.
//
// Options that exist (all others are errors):
//   MATH chapter 1, option 1: condition-number switch of the LU
//     factorisation; 1 (default) computes the estimate, 2 skips it.
//   MATH chapter 2, options 1 to 4: eigen-solver options; 3 and 4 enlarge
//     the leading dimension of the eigen-solver's working copy by option 3
//     when the order is a multiple of option 4 (both 0 by default: no
//     enlargement); 1 and 2 are reserved (0).
#pragma once

#include <string_view>

namespace zelvan::numlib {

inline constexpr int kMathChapters = 10;
inline constexpr int kStatChapters = 20;

// IUMAG(PRODNM, ICHP, IACT, NUMOPT, IOPTS, IVALS): IACT = 1 gets the values
// of the NUMOPT options IOPTS(1..NUMOPT) into IVALS, IACT = 2 puts IVALS into
// them.  Misuse is a terminal error under the name IUMAG.
void IUMAG(std::string_view prodnm, int ichp, int iact, int numopt, const int* iopts, int* ivals);

// Restores the default option values (for tests).
void reset_option_store();

}  // namespace zelvan::numlib
