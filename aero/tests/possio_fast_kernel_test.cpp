// The pieces of the fast Possio kernel against independent values
// (tools/gen_possio_fast_reference.py): E1 on both sides of the switch
// from series to continued fraction, the two far-field constants, and the
// cumulative near-field and Ein integrals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "aero/detail/possio_e1.hpp"
#include "aero/detail/possio_gauss.hpp"
#include "aero/possio_fast_kernel.hpp"

namespace zelvan::aero {
namespace {

using Complex = std::complex<double>;

struct Reference {
  std::vector<double> args;
  Complex value;
};

// The lines of aero/tests/data/possio_fast_reference.txt tagged `tag`,
// each with `arity` arguments before the real and imaginary parts.
std::vector<Reference> references(const std::string& tag, int arity) {
  std::ifstream in(std::string(ZELVAN_SOURCE_DIR) + "/aero/tests/data/possio_fast_reference.txt");
  EXPECT_TRUE(in.good()) << "reference data missing";
  std::vector<Reference> found;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string t;
    fields >> t;
    if (t != tag) continue;
    Reference r;
    r.args.resize(static_cast<std::size_t>(arity));
    for (double& a : r.args) fields >> a;
    double re = 0.0;
    double im = 0.0;
    fields >> re >> im;
    r.value = {re, im};
    found.push_back(r);
  }
  EXPECT_FALSE(found.empty()) << "no reference lines tagged " << tag;
  return found;
}

TEST(GaussPanelWeights, InterpolateAndIntegrateAPolynomialOfDegree19ExactlyAnywhereOnThePanel) {
  // The interpolant of a degree-19 polynomial on the 20 nodes is the
  // polynomial itself, so only rounding separates the sums from it: a few
  // units, times the weights' Lebesgue sum (about 3 for these nodes).
  constexpr double kWeightTolerance = 64.0 * std::numeric_limits<double>::epsilon();
  const auto p = [](double x) { return std::pow(x, 19) - 0.5 * std::pow(x, 10) + 0.25 * x; };
  const auto integral = [](double t) {  // of p from -1 to t
    return (std::pow(t, 20) - 1.0) / 20.0 - 0.5 * (std::pow(t, 11) + 1.0) / 11.0 + 0.125 * (t * t - 1.0);
  };
  const GaussRule& rule = gauss_rule();
  for (double t : {-1.0, -0.7, rule.node[3], 0.1234, 0.999, 1.0}) {
    const GaussVector interpolation = gauss_interpolation_weights(t);
    const GaussVector partial = gauss_partial_weights(t);
    double value = 0.0;
    double area = 0.0;
    for (int j = 0; j < kGaussNodes; ++j) {
      value += interpolation[j] * p(rule.node[j]);
      area += partial[j] * p(rule.node[j]);
    }
    EXPECT_NEAR(value, p(t), kWeightTolerance) << "t = " << t;
    EXPECT_NEAR(area, integral(t), kWeightTolerance) << "t = " << t;
  }
}

TEST(ExponentialIntegralAccurate, IsGoodToRoundingOnBothSidesOfTheSeriesRadius) {
  // The series' terms grow to about 13 times the result at |z| = 5, the
  // continued fraction stops at a relative step of 3e-16.
  constexpr double kE1Tolerance = 1e-14;
  for (const Reference& r : references("e1", 2)) {
    const Complex z(r.args[0], r.args[1]);
    EXPECT_LE(std::abs(exp_integral_e1_accurate(z) - r.value), kE1Tolerance * std::abs(r.value)) << "z = " << z;
  }
}

TEST(PossioFastKernelFarField, GivesTheExactAndThePresentSolvesConstant) {
  // C0 in closed form less the near-field integral from 0 to 2, whose
  // Hankel series are good to about 1e-13 at the arguments here (below 9;
  // measured 5.8e-14 at M = 0.8, k = 2, 1e-15 elsewhere).  The part of
  // C0_cut beyond the leading term is a small correction.
  constexpr double kC0Tolerance = 2e-13;
  const struct {
    const char* tag;
    PossioFarField far_field;
  } kinds[] = {{"c0", PossioFarField::exact}, {"c0cut", PossioFarField::leading_term_beyond_cut}};
  for (const auto& kind : kinds) {
    for (const Reference& r : references(kind.tag, 2)) {
      const PossioFastKernel kernel(r.args[0], r.args[1], kind.far_field);
      EXPECT_LE(std::abs(kernel.c0() - r.value), kC0Tolerance * std::abs(r.value))
          << kind.tag << ": M = " << r.args[0] << ", k = " << r.args[1];
    }
  }
}

TEST(PossioFastKernelNearField, ReadsTheCumulativeIntegralsAtAnyDistance) {
  // The integrands are O(1) on [-2, 2]; the panel rules and the
  // interpolants are good to about 1e-15, the Hankel series at the
  // arguments of these cases (below 9) to about 1e-13.
  constexpr double kCumulativeTolerance = 1e-12;
  const struct {
    const char* tag;
    bool ein;
  } kinds[] = {{"near", false}, {"ein", true}};
  for (const auto& kind : kinds) {
    for (const Reference& r : references(kind.tag, 3)) {
      const PossioFastKernel kernel(r.args[0], r.args[1]);
      const double x = r.args[2];
      const Complex value = kind.ein ? kernel.ein(x) : kernel.near_field_integral(x);
      EXPECT_LE(std::abs(value - r.value), kCumulativeTolerance * std::max(1.0, std::abs(r.value)))
          << kind.tag << ": M = " << r.args[0] << ", k = " << r.args[1] << ", X = " << x;
    }
  }
}

}  // namespace
}  // namespace zelvan::aero
