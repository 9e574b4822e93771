// Gauss-Legendre panels of the fast Possio kernel: the 20-point rule on
// [-1, 1] and the weights that integrate the polynomial interpolating the
// integrand at its nodes from -1 to any point of the panel.
#pragma once

#include <array>

namespace zelvan::aero {

// Nodes per panel.
inline constexpr int kGaussNodes = 20;

using GaussVector = std::array<double, kGaussNodes>;

struct GaussRule {
  GaussVector node{};    // ascending, in (-1, 1)
  GaussVector weight{};  // positive, summing to 2
};

// The 20-point Gauss-Legendre rule on [-1, 1]: nodes the zeros of P_20 by
// Newton's method from Chebyshev estimates, weights
// 2/((1 - t^2) P_20'(t)^2) (A&S 25.4.29).  Computed once per process and
// accurate to a few units of rounding.  No failure.
const GaussRule& gauss_rule();

// Weights W_j(t) with integral from -1 to t of p = sum_j W_j(t) p(t_j)
// for every polynomial p of degree below 20, t_j the nodes of gauss_rule().
// t: upper limit, -1 <= t <= 1 (outside it the interpolant is integrated
// beyond the panel, which is accurate only close to it).  At t = 1 they are
// the rule's weights.  Legendre form: W_j(t) = w_j [ (t + 1)/2 +
// 1/2 sum_{m=1}^{19} P_m(t_j) (P_{m+1}(t) - P_{m-1}(t)) ].  No failure.
GaussVector gauss_partial_weights(double t);

// Weights L_j(t) with p(t) = sum_j L_j(t) p(t_j) for every polynomial p of
// degree below 20: the Lagrange basis of the nodes, by the barycentric
// formula L_j(t) = (lambda_j/(t - t_j)) / sum_k lambda_k/(t - t_k) with
// lambda_j = (-1)^j sqrt((1 - t_j^2) w_j), and the unit vector at a node.
// t: -1 <= t <= 1.  No failure.
GaussVector gauss_interpolation_weights(double t);

}  // namespace zelvan::aero
