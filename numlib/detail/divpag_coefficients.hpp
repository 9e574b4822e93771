// Method coefficients of the initial-value integrator DIVPAG.
//
// The integrator keeps the solution as a Nordsieck history array
// z_j = h^j y^(j) / j!, j = 0..q.  A step of order q predicts z by the
// Pascal triangle and corrects it as z := z(predicted) + l*e, where e is
// the accumulated correction of the step and l = (l_0, ..., l_q) is the
// coefficient vector of the formula, normalised to l_1 = 1.  l_j are the
// coefficients of the polynomial Lambda(x) = sum l_j x^j:
//
//   implicit Adams, order q:     Lambda'(x) = prod_{i=1}^{q-1} (x + i) / (q-1)!,
//                                Lambda(-1) = 0;
//   backward differentiation:    Lambda(x) = prod_{i=1}^{q} (x + i), divided
//                                by its coefficient of x.
//
// The local error of the order-q formula is C_q h^(q+1) y^(q+1), where the
// error constant C_q is gamma*_q (gamma*_0 = 1, sum_{i=0}^{k} gamma*_i /
// (k+1-i) = 0) for Adams and -1/((q+1) sum_{i=1}^{q} 1/i) for backward
// differentiation.  Since z_q changes over one step by l_q e ~ h^(q+1)
// y^(q+1) / q!, the estimates below are multiples of weighted norms:
//
//   error of order q     = same * |e|
//   error of order q - 1 = down * |z_q|                 (q > 1)
//   error of order q + 1 = up   * |e - e(previous step)| (q < maximum order)
#pragma once

#include <array>

namespace zelvan::numlib {

inline constexpr int kAdamsMaxOrder = 12;
inline constexpr int kBdfMaxOrder = 5;

struct DivpagFormula {
  std::array<double, kAdamsMaxOrder + 1> l{};  // l_0 .. l_q, the rest 0
  double same = 0.0;                           // |C_q| q! l_q
  double down = 0.0;                           // |C_{q-1}| q!, 0 for q = 1
  double up = 0.0;                             // |C_{q+1}| q! l_q
};

// Largest order of method `meth` (1 Adams, 2 backward differentiation).
int divpag_method_max_order(int meth);

// |C_q|, the magnitude of the error constant of the order-q formula of
// method `meth` (1 <= q <= its maximum order + 1).
double divpag_error_constant(int meth, int q);

// The coefficients of the order-q formula of method `meth`, computed by
// the recurrences above (1 <= q <= divpag_method_max_order(meth)).
DivpagFormula divpag_formula(int meth, int q);

}  // namespace zelvan::numlib
