#include "numlib/detail/divpag_coefficients.hpp"

#include <cmath>

namespace zelvan::numlib {
namespace {

// Polynomial coefficients, lowest degree first; enough room for degree 13.
using Poly = std::array<double, kAdamsMaxOrder + 2>;

// p := p * (x + c), p of degree `degree` before the product.
void times_linear(Poly& p, int degree, double c) {
  for (int j = degree + 1; j >= 1; --j) p[j] = p[j] * c + p[j - 1];
  p[0] *= c;
}

double factorial(int q) {
  double f = 1.0;
  for (int i = 2; i <= q; ++i) f *= i;
  return f;
}

}  // namespace

int divpag_method_max_order(int meth) { return meth == 2 ? kBdfMaxOrder : kAdamsMaxOrder; }

double divpag_error_constant(int meth, int q) {
  if (meth == 2) {
    double harmonic = 0.0;
    for (int i = 1; i <= q; ++i) harmonic += 1.0 / i;
    return 1.0 / ((q + 1) * harmonic);
  }
  std::array<double, kAdamsMaxOrder + 2> gamma{};
  gamma[0] = 1.0;
  for (int k = 1; k <= q; ++k) {
    double sum = 0.0;
    for (int i = 0; i < k; ++i) sum += gamma[i] / (k + 1 - i);
    gamma[k] = -sum;
  }
  return std::fabs(gamma[q]);
}

DivpagFormula divpag_formula(int meth, int q) {
  DivpagFormula f;
  Poly p{};
  p[0] = 1.0;
  if (meth == 2) {
    for (int i = 1; i <= q; ++i) times_linear(p, i - 1, i);
    const double linear = p[1];
    for (int j = 0; j <= q; ++j) f.l[j] = p[j] / linear;
  } else {
    // Lambda' = prod (x + i) / (q-1)!; integrate and fix Lambda(-1) = 0.
    for (int i = 1; i <= q - 1; ++i) times_linear(p, i - 1, i);
    const double scale = factorial(q - 1);
    double at_minus_one = 0.0;
    for (int j = 1; j <= q; ++j) {
      f.l[j] = p[j - 1] / (scale * j);
      at_minus_one += (j % 2 == 0 ? 1.0 : -1.0) * f.l[j];
    }
    f.l[0] = -at_minus_one;
  }
  const double qfact = factorial(q);
  f.same = divpag_error_constant(meth, q) * qfact * f.l[q];
  f.down = q > 1 ? divpag_error_constant(meth, q - 1) * qfact : 0.0;
  f.up = q < divpag_method_max_order(meth) ? divpag_error_constant(meth, q + 1) * qfact * f.l[q] : 0.0;
  return f;
}

}  // namespace zelvan::numlib
