#include "aero/detail/possio_gauss.hpp"

#include <cmath>
#include <numbers>

namespace zelvan::aero {
namespace {

// Newton steps from the Chebyshev estimate; 6 reach rounding for n = 20.
constexpr int kNewtonSteps = 8;

// P_0 .. P_{n} at t by Bonnet's recurrence (DLMF 18.9.1, Table 18.9.1):
// (m + 1) P_{m+1} = (2m + 1) t P_m - m P_{m-1}.
std::array<double, kGaussNodes + 1> legendre_values(double t) {
  std::array<double, kGaussNodes + 1> p{};
  p[0] = 1.0;
  p[1] = t;
  for (int m = 1; m < kGaussNodes; ++m) {
    p[m + 1] = ((2 * m + 1) * t * p[m] - m * p[m - 1]) / (m + 1);
  }
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

// P_m at the nodes, computed once.
using NodeLegendre = std::array<std::array<double, kGaussNodes + 1>, kGaussNodes>;
const NodeLegendre& node_legendre() {
  static const NodeLegendre at_nodes = [] {
    NodeLegendre v{};
    const GaussRule& rule = gauss_rule();
    for (int j = 0; j < kGaussNodes; ++j) v[j] = legendre_values(rule.node[j]);
    return v;
  }();
  return at_nodes;
}

}  // namespace

GaussVector gauss_interpolation_weights(double t) {
  const GaussRule& rule = gauss_rule();
  const NodeLegendre& at_nodes = node_legendre();
  const auto p = legendre_values(t);
  // The sums of all the nodes at once, each over m in order.
  GaussVector sum{};
  for (int m = 0; m < kGaussNodes; ++m) {
    const double factor = 0.5 * (2 * m + 1) * p[m];
    for (int j = 0; j < kGaussNodes; ++j) sum[j] += factor * at_nodes[j][m];
  }
  GaussVector w{};
  for (int j = 0; j < kGaussNodes; ++j) w[j] = rule.weight[j] * sum[j];
  return w;
}

GaussVector gauss_partial_weights(double t) {
  const GaussRule& rule = gauss_rule();
  const NodeLegendre& at_nodes = node_legendre();
  // Integrals from -1 to t of P_m: t + 1 for m = 0, else
  // (P_{m+1}(t) - P_{m-1}(t)) / (2m + 1), from (2m + 1) P_m = P'_{m+1} -
  // P'_{m-1} and P_m(-1) = (-1)^m.
  const auto p = legendre_values(t);
  // The sums of all the nodes at once, each over m in order.
  GaussVector sum;
  sum.fill(0.5 * (t + 1.0));
  for (int m = 1; m < kGaussNodes; ++m) {
    const double difference = p[m + 1] - p[m - 1];
    for (int j = 0; j < kGaussNodes; ++j) sum[j] += 0.5 * at_nodes[j][m] * difference;
  }
  GaussVector w{};
  for (int j = 0; j < kGaussNodes; ++j) w[j] = rule.weight[j] * sum[j];
  return w;
}

}  // namespace zelvan::aero
