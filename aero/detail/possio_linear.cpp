#include "aero/detail/possio_linear.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace zelvan::aero {
namespace {

using Complex = std::complex<double>;

// Entries of the normalised pivot row below this modulus are set to 0.
constexpr double kRowZero = 1e-14;

double modulus(Complex z) {
  const double a = std::fabs(z.real());
  const double b = std::fabs(z.imag());
  const double big = a > b ? a : b;
  const double small = a > b ? b : a;
  if (big == 0.0) return small;  // 0, or NaN when small is NaN
  const double ratio = small / big;
  return big * std::sqrt(1.0 + ratio * ratio);
}

// modulus(z) < kRowZero, without the square root where the larger part
// decides it: modulus(z) >= max(|re|, |im|) in floating point too, since
// the factor sqrt(1 + ratio^2) it multiplies is at least 1.
bool below_row_zero(Complex z) {
  if (std::fabs(z.real()) >= kRowZero || std::fabs(z.imag()) >= kRowZero) return false;
  return modulus(z) < kRowZero;
}

Complex multiply(Complex u, Complex v) {
  return {u.real() * v.real() - u.imag() * v.imag(), u.real() * v.imag() + u.imag() * v.real()};
}

// u / v by Smith's method.
Complex divide(Complex u, Complex v) {
  if (std::fabs(v.real()) >= std::fabs(v.imag())) {
    const double r = v.imag() / v.real();
    const double d = v.real() + v.imag() * r;
    return {(u.real() + u.imag() * r) / d, (u.imag() - u.real() * r) / d};
  }
  const double r = v.real() / v.imag();
  const double d = v.real() * r + v.imag();
  return {(u.real() * r + u.imag()) / d, (u.imag() * r - u.real()) / d};
}

}  // namespace

GaussJordanResult possio_gauss_jordan(int n, const Complex* a, int lda, const Complex* w, Complex* x, int nrhs) {
  // The matrix and the right-hand sides side by side, row-major.  Only the
  // n x (n + nrhs) that are used are set: a fixed-size array of complex
  // numbers would be cleared whole on every call.
  const int columns = n + nrhs;
  std::vector<Complex> work(static_cast<std::size_t>(n) * static_cast<std::size_t>(columns));
  std::array<int, kPossioCapacity> perm{};
  const auto b = [&work, columns](int r, int m) -> Complex& {
    return work[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(m)];
  };

  for (int r = 0; r < n; ++r) {
    for (int m = 0; m < n; ++m) b(r, m) = a[r + lda * m];
    for (int c = 0; c < nrhs; ++c) b(r, n + c) = w[r + n * c];
    perm[static_cast<std::size_t>(r)] = r;
  }

  GaussJordanResult result;
  Complex det(1.0, 0.0);
  for (int k = 0; k < n; ++k) {
    double largest = 0.0;
    int chosen = -1;
    for (int j = k; j < n; ++j) {
      const double size = modulus(b(perm[static_cast<std::size_t>(j)], k));
      if (size > largest) {
        largest = size;
        chosen = j;
      }
    }
    if (chosen < 0) {
      result.zero_pivot_column = k + 1;
      return result;
    }
    std::swap(perm[static_cast<std::size_t>(k)], perm[static_cast<std::size_t>(chosen)]);
    const int p = perm[static_cast<std::size_t>(k)];
    const Complex pivot = b(p, k);
    det = multiply(det, pivot);
    for (int m = k + 1; m < columns; ++m) {
      b(p, m) = divide(b(p, m), pivot);
      if (below_row_zero(b(p, m))) b(p, m) = 0.0;
    }
    for (int r = 0; r < n; ++r) {
      if (r == p) continue;
      const Complex factor = b(r, k);
      for (int m = k + 1; m < columns; ++m) b(r, m) -= multiply(factor, b(p, m));
    }
  }

  for (int c = 0; c < nrhs; ++c) {
    for (int i = 0; i < n; ++i) x[i + n * c] = b(perm[static_cast<std::size_t>(i)], n + c);
  }
  // The sign of the row permutation: one change per inversion.
  for (int i = 1; i < n; ++i) {
    for (int j = i; j < n; ++j) {
      if (perm[static_cast<std::size_t>(i - 1)] > perm[static_cast<std::size_t>(j)]) det = -det;
    }
  }
  result.solved = true;
  result.determinant = det;
  return result;
}

}  // namespace zelvan::aero
