// Output editing of one field: the text of one value in a field of fixed
// width, without streams or layouts (the record writer and the numerical
// library's messages both use it).  Every function returns exactly
// `width` characters (or the value's own length for format_text with
// width 0); a value that does not fit gives `width` asterisks.
//
// Rounding is to nearest on the exact binary value, ties to even.  A minus
// sign is written when the value is below zero (so -0.001 in F5.2 gives
// "-0.00", while a negative zero gives " 0.00").  NaN and infinities fill
// the field with asterisks: no output shows them as numbers.
#pragma once

#include <string>
#include <string_view>

namespace zelvan::core {

// Fw.d: fixed point with `digits` places after the point (the point is
// written also when digits = 0).  A zero before the point is dropped only
// when the text is exactly one character too wide.
std::string format_fixed(double value, int width, int digits);

// 1PGw.d: fixed form F(w-4).(d-k) and four blanks when
// 0.1 <= |x| + 0.5*10^-d < 10^d (k = digits before the point of that sum),
// else the exponent form d.ddddE+ee with one digit before the point (zero
// included); a three-digit exponent is written without the letter E.
std::string format_general(double value, int width, int digits);

// Dw.d (scale 0): 0.ddddD+ee, the mantissa below one.  1PDw.d (scale 1):
// d.ddddD+ee with one digit before the point.  A three-digit exponent is
// written without the letter D.
std::string format_dexp(double value, int width, int digits, int scale);

// Iw.m: at least `min_digits` digits (leading zeros); Iw.0 of zero gives
// blanks.
std::string format_integer(long long value, int width, int min_digits);

// An: right-justified when shorter than n, cut to its first n characters
// when longer.  A (width 0): the value as it stands.
std::string format_text(std::string_view value, int width);

}  // namespace zelvan::core
