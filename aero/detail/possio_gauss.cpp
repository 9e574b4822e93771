#include "aero/detail/possio_gauss.hpp"

#include <cmath>
#include <cstddef>
#include <numbers>

#include "aero/detail/lanes.hpp"

namespace zelvan::aero {
namespace {

// Newton steps from the Chebyshev estimate; 6 reach rounding for n = 20.
constexpr int kNewtonSteps = 8;

// Bonnet's recurrence (DLMF 18.9.1, Table 18.9.1), (m + 1) P_{m+1} =
// (2m + 1) t P_m - m P_{m-1}, as P_{m+1} = a_m t P_m - b_m P_{m-1}
// with a_m = (2m + 1)/(m + 1), b_m = m/(m + 1): no division in the
// chain from one degree to the next.
struct BonnetCoefficients {
  std::array<double, kGaussNodes> a{};
  std::array<double, kGaussNodes> b{};
  constexpr BonnetCoefficients() {
    for (int m = 1; m < kGaussNodes; ++m) {
      a[m] = (2.0 * m + 1.0) / (m + 1.0);
      b[m] = m / (m + 1.0);
    }
  }
};
constexpr BonnetCoefficients kBonnet;

// P_0 .. P_{n} at t.
std::array<double, kGaussNodes + 1> legendre_values(double t) {
  std::array<double, kGaussNodes + 1> p{};
  p[0] = 1.0;
  p[1] = t;
  for (int m = 1; m < kGaussNodes; ++m) p[m + 1] = kBonnet.a[m] * t * p[m] - kBonnet.b[m] * p[m - 1];
  return p;
}

GaussRule make_rule() {
  GaussRule rule;
  constexpr int n = kGaussNodes;
  for (int i = 0; i < n; ++i) {
    // i-th zero from the top, then stored ascending.
    double t = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5));
    double derivative = 0.0;
    for (int step = 0; step < kNewtonSteps; ++step) {
      const auto p = legendre_values(t);
      // P_n' = n (t P_n - P_{n-1}) / (t^2 - 1)
      derivative = n * (t * p[n] - p[n - 1]) / (t * t - 1.0);
      t -= p[n] / derivative;
    }
    const auto p = legendre_values(t);
    derivative = n * (t * p[n] - p[n - 1]) / (t * t - 1.0);
    rule.node[n - 1 - i] = t;
    rule.weight[n - 1 - i] = 2.0 / ((1.0 - t * t) * derivative * derivative);
  }
  return rule;
}

}  // namespace

const GaussRule& gauss_rule() {
  static const GaussRule rule = make_rule();
  return rule;
}

namespace {

// P_m at the nodes, computed once, row m holding every node: the weights'
// sums run over m in order for all the nodes at once.
using NodeLegendre = std::array<GaussVector, kGaussNodes + 1>;
const NodeLegendre& node_legendre() {
  static const NodeLegendre at_nodes = [] {
    NodeLegendre v{};
    const GaussRule& rule = gauss_rule();
    for (int j = 0; j < kGaussNodes; ++j) {
      const auto p = legendre_values(rule.node[j]);
      for (int m = 0; m <= kGaussNodes; ++m) v[m][j] = p[m];
    }
    return v;
  }();
  return at_nodes;
}

// The barycentric weights of the nodes, (-1)^j sqrt((1 - t_j^2) w_j)
// (Wang and Xiang, Math. Comp. 81 (2012); any common factor cancels).
const GaussVector& barycentric_weights() {
  static const GaussVector lambda = [] {
    GaussVector v{};
    const GaussRule& rule = gauss_rule();
    for (int j = 0; j < kGaussNodes; ++j) {
      const double size = std::sqrt((1.0 - rule.node[j] * rule.node[j]) * rule.weight[j]);
      v[j] = j % 2 == 0 ? size : -size;
    }
    return v;
  }();
  return lambda;
}

}  // namespace

GaussVector gauss_interpolation_weights(double t) {
  const GaussRule& rule = gauss_rule();
  const GaussVector& lambda = barycentric_weights();
  GaussVector w{};
  for (int j = 0; j < kGaussNodes; ++j) {
    if (t == rule.node[j]) {
      w[j] = 1.0;
      return w;
    }
  }
  // The second (true) barycentric form: L_j(t) = (lambda_j/(t - t_j)) /
  // sum_k lambda_k/(t - t_k), stable for t anywhere in [-1, 1].
  double sum = 0.0;
  for (int j = 0; j < kGaussNodes; ++j) {
    w[j] = lambda[j] / (t - rule.node[j]);
    sum += w[j];
  }
  for (double& x : w) x /= sum;
  return w;
}

GaussVector gauss_partial_weights(double t) {
  const GaussRule& rule = gauss_rule();
  const NodeLegendre& at_nodes = node_legendre();
  // Integrals from -1 to t of P_m: t + 1 for m = 0, else
  // (P_{m+1}(t) - P_{m-1}(t)) / (2m + 1), from (2m + 1) P_m = P'_{m+1} -
  // P'_{m-1} and P_m(-1) = (-1)^m.
  const auto p = legendre_values(t);
  // The sums of all the nodes at once, two to a lane pair and all in
  // registers, each over m in order.
  constexpr std::size_t kPairs = kGaussNodes / 2;
  std::array<lanes::Pair, kPairs> sum{};
  const double start = 0.5 * (t + 1.0);
  for (lanes::Pair& s : sum) s = lanes::Pair{start, start};
  for (int m = 1; m < kGaussNodes; ++m) {
    const double difference = p[m + 1] - p[m - 1];
#pragma GCC unroll 10
    for (std::size_t q = 0; q < kPairs; ++q) sum[q] += 0.5 * lanes::load(&at_nodes[m][2 * q]) * difference;
  }
  GaussVector w{};
  for (std::size_t q = 0; q < kPairs; ++q) {
    for (std::size_t c = 0; c < 2; ++c) w[2 * q + c] = rule.weight[2 * q + c] * sum[q][c];
  }
  return w;
}

}  // namespace zelvan::aero
