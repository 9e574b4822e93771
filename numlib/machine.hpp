// Machine constants and input/output units of the numerical library.
#pragma once

namespace zelvan::numlib {

// UMACH(n, nunit): for n = 1, 2, 3 returns the unit number of that entry
// (1: input unit 5, 2: output unit 6, 3: unit 6); for n = -1, -2, -3 sets
// it to nunit.  Any other n prints the three-line terminal error and stops
// the run.
void UMACH(int n, int& nunit);

// IMACH(n), n = 1 to 12: integer and floating-point format constants (bits
// per integer 32, ..., double maximum exponent 1024).  Any other n prints
// the three-line terminal error and stops the run.
int IMACH(int n);

// DMACH(n), n = 1 to 8: double constants, entries 1-4, 7 and 8 stored with
// six significant digits: 1 smallest positive magnitude 2.22559e-308,
// 2 largest 1.79728e+308, 3 smallest relative spacing 1.11048e-16, 4 machine
// epsilon 2.22096e-16, 5 log10(2), 6 the value used where no number
// exists, 7/8 positive/negative infinity (+-1.79728e+308).  Any other n is a
// terminal error under the name DMACH.
double DMACH(int n);

// Restores the unit table (for tests).
void reset_units();

}  // namespace zelvan::numlib
