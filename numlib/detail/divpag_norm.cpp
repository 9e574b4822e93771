#include "numlib/detail/divpag_norm.hpp"

#include <algorithm>
#include <cmath>

namespace zelvan::numlib {

void divpag_weights(int inorm, int n, const double* y, double floor, double* ymax, double* winv) {
  for (int i = 0; i < n; ++i) {
    const double size = std::fabs(y[i]);
    switch (inorm) {
      case 1:
        winv[i] = 1.0;
        break;
      case 2:
        ymax[i] = std::max(ymax[i], size);
        winv[i] = 1.0 / std::max(ymax[i], floor);
        break;
      default:
        winv[i] = 1.0 / std::max(size, floor);
        break;
    }
  }
}

double divpag_norm(int inorm, int n, const double* v, const double* winv) {
  if (inorm == 3) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
      const double t = v[i] * winv[i];
      sum += t * t;
    }
    return std::sqrt(sum / n);
  }
  // Written so that a NaN component makes the norm NaN.
  double largest = 0.0;
  for (int i = 0; i < n; ++i) {
    const double t = std::fabs(v[i]) * winv[i];
    if (!(t <= largest)) largest = t;
  }
  return largest;
}

}  // namespace zelvan::numlib
