// The Illinois form of regula falsi on a bracket of a sign change: the
// secant through the bracket's ends, the value of an end kept twice in a
// row halved, so that the bracket shrinks from both sides.
#pragma once

namespace zelvan::numlib {

// A bracket: f(a) has the sign the search keeps at a, f(b) the other sign
// or is zero.  a may lie on either side of b.
struct Bracket {
  double a = 0.0, fa = 0.0;
  double b = 0.0, fb = 0.0;
};

// Iterates on `f` from `x` until f(b) is zero, `narrow(a, b)` holds, the
// trial point would not lie strictly inside the bracket (adjacent
// doubles), or `most` iterations are done; returns the last bracket.  A
// trial c whose value has the sign `sign_a` (-1, 0 or +1) replaces a,
// any other replaces b.  f must take any point strictly inside the first
// bracket.
template <typename F, typename Narrow>
Bracket illinois(F&& f, Bracket x, int sign_a, Narrow&& narrow, int most) {
  const auto sign_of = [](double v) { return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0); };
  int kept = 0;  // the end kept at the last iteration: 1 b, -1 a
  for (int iteration = 0; iteration < most && x.fb != 0.0 && !narrow(x.a, x.b); ++iteration) {
    const double low = x.a < x.b ? x.a : x.b, high = x.a < x.b ? x.b : x.a;
    double c = x.b - x.fb * (x.b - x.a) / (x.fb - x.fa);
    if (!(low < c && c < high)) c = 0.5 * (x.a + x.b);
    if (!(low < c && c < high)) break;
    const double fc = f(c);
    if (sign_of(fc) == sign_a) {
      x.a = c;
      x.fa = fc;
      if (kept == 1) x.fb *= 0.5;
      kept = 1;
    } else {
      x.b = c;
      x.fb = fc;
      if (kept == -1) x.fa *= 0.5;
      kept = -1;
    }
  }
  return x;
}

}  // namespace zelvan::numlib
