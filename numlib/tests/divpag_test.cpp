// The initial-value integrator DIVPAG: its formulas, its solutions against
// known ones, its protocol and messages, and the Cholesky pair it uses.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "numlib/detail/divpag_coefficients.hpp"
#include "numlib/detail/divpag_norm.hpp"
#include "numlib/divpag.hpp"
#include "numlib/dlftds.hpp"
#include "numlib/dset.hpp"
#include "numlib/tests/library_test_support.hpp"
#include "test_support/section_problem.hpp"

namespace zelvan::numlib {
namespace {

// Formula coefficients are rational numbers computed in a few operations.
constexpr double kCoefficientTol = 1e-14;
// Global error allowed relative to TOL: local errors of size TOL per step
// add up over the steps of the interval.
constexpr double kGlobalErrorPerTol = 200.0;
// The explicit and the mass-matrix form are two routes to one solution:
// each within the global error, so they agree to twice that.
constexpr double kFormsAgreePerTol = 2.0 * kGlobalErrorPerTol;

// ---- test problems ----

// y' = lambda*y.
double g_lambda = -1.0;
void decay(int, double, const double* y, double* f) { f[0] = g_lambda * y[0]; }
void decay_jacobian(int, double, const double*, double* j) { j[0] = g_lambda; }

// x'' + 2*zeta*w*x' + w^2*x = cos(t) as y = (x, x'); x(0) = 1, x'(0) = 0.
constexpr double kW = 3.0, kZeta = 0.1;
void oscillator(int, double t, const double* y, double* f) {
  f[0] = y[1];
  f[1] = -kW * kW * y[0] - 2.0 * kZeta * kW * y[1] + std::cos(t);
}
double oscillator_exact(double t) {
  const double a11 = kW * kW - 1.0, a12 = 2.0 * kZeta * kW;
  const double det = a11 * a11 + a12 * a12;
  const double pa = a11 / det, pb = a12 / det;  // particular A cos t + B sin t
  const double sigma = kZeta * kW, wd = kW * std::sqrt(1.0 - kZeta * kZeta);
  const double c = 1.0 - pa, d = (sigma * c - pb) / wd;
  return pa * std::cos(t) + pb * std::sin(t) + std::exp(-sigma * t) * (c * std::cos(wd * t) + d * std::sin(wd * t));
}
// The same oscillator with mass 2 written as A*y' = f: y = (x', x),
// A = diag(2, 1).
void oscillator_mass_form(int, double t, const double* y, double* f) {
  f[0] = 2.0 * (-kW * kW * y[1] - 2.0 * kZeta * kW * y[0] + std::cos(t));
  f[1] = y[0];
}

// Stiff linear system with eigenvalues -1 and -1000:
// y1 = exp(-t) + exp(-1000 t), y2 = exp(-t) - exp(-1000 t).
void stiff_linear(int, double, const double* y, double* f) {
  f[0] = -500.5 * y[0] + 499.5 * y[1];
  f[1] = 499.5 * y[0] - 500.5 * y[1];
}
void stiff_linear_jacobian(int, double, const double*, double* j) {
  j[0] = -500.5;
  j[1] = 499.5;
  j[2] = 499.5;
  j[3] = -500.5;
}

// Robertson's chemical kinetics.
void robertson(int, double, const double* y, double* f) {
  f[0] = -0.04 * y[0] + 1.0e4 * y[1] * y[2];
  f[2] = 3.0e7 * y[1] * y[1];
  f[1] = -f[0] - f[2];
}

// The program's aeroelastic section, A y' = f with a mass matrix.
using zelvan::test_support::section_problem::kSectionMass;
using zelvan::test_support::section_problem::section;

// y' = -K y with K symmetric positive definite under a symmetric positive
// definite A: the iteration matrix is symmetric.
void symmetric_decay(int, double, const double* y, double* f) {
  f[0] = -2.0 * y[0] + y[1];
  f[1] = y[0] - 3.0 * y[1];
}

void symmetric_decay_jacobian(int, double, const double*, double* j) {
  j[0] = -2.0;
  j[1] = 1.0;
  j[2] = 1.0;
  j[3] = -3.0;
}

void no_jacobian(int, double, const double*, double*) {}

// ---- driving the integrator ----

struct Options {
  int meth = 1;
  int miter = 0;
  int mtype = 0;
  int iatype = 0;
  int inorm = 0;
  double floor = 0.0;
  double max_steps = 1.0e6;
};

struct Result {
  std::vector<double> y;
  std::array<double, 50> param{};
};

// Integrates from x0 through `outputs` (IDO 1, then 2), then releases the
// integrator (IDO 3).
Result integrate(DivpagFcn fcn, DivpagJac jac, const double* a, std::vector<double> y0, double x0,
                 const std::vector<double>& outputs, double tol, const Options& o) {
  Result run;
  run.param.fill(0.0);
  run.param[3] = o.max_steps;
  run.param[9] = o.inorm;
  run.param[10] = o.floor;
  run.param[11] = o.meth;
  run.param[12] = o.miter;
  run.param[13] = o.mtype;
  run.param[18] = o.iatype;
  run.y = std::move(y0);
  int ido = 1;
  double x = x0;
  const int n = static_cast<int>(run.y.size());
  for (const double xend : outputs) DIVPAG(ido, n, fcn, jac, a, x, xend, tol, run.param.data(), run.y.data());
  ido = 3;
  DIVPAG(ido, n, fcn, jac, a, x, outputs.back(), tol, run.param.data(), run.y.data());
  return run;
}

std::vector<double> grid(double from, double to, int count) {
  std::vector<double> points;
  for (int i = 1; i <= count; ++i) points.push_back(from + (to - from) * i / count);
  return points;
}

class Divpag : public test_support::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    reset_divpag();
    g_lambda = -1.0;
  }
  void TearDown() override {
    reset_divpag();
    LibraryTest::TearDown();
  }
};

// ---- formulas ----

TEST(DivpagFormulas, AreTheKnownAdamsAndBackwardDifferentiationCoefficients) {
  struct Row {
    int meth, q;
    std::vector<double> l;
    double error_constant;
  };
  const std::vector<Row> rows = {
      {1, 1, {1.0, 1.0}, 1.0 / 2.0},
      {1, 2, {1.0 / 2.0, 1.0, 1.0 / 2.0}, 1.0 / 12.0},
      {1, 3, {5.0 / 12.0, 1.0, 3.0 / 4.0, 1.0 / 6.0}, 1.0 / 24.0},
      {1, 4, {3.0 / 8.0, 1.0, 11.0 / 12.0, 1.0 / 3.0, 1.0 / 24.0}, 19.0 / 720.0},
      {1, 5, {251.0 / 720.0, 1.0, 25.0 / 24.0, 35.0 / 72.0, 5.0 / 48.0, 1.0 / 120.0}, 3.0 / 160.0},
      {2, 1, {1.0, 1.0}, 1.0 / 2.0},
      {2, 2, {2.0 / 3.0, 1.0, 1.0 / 3.0}, 2.0 / 9.0},
      {2, 3, {6.0 / 11.0, 1.0, 6.0 / 11.0, 1.0 / 11.0}, 3.0 / 22.0},
      {2, 5, {120.0 / 274.0, 1.0, 225.0 / 274.0, 85.0 / 274.0, 15.0 / 274.0, 1.0 / 274.0}, 10.0 / 137.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("method " + std::to_string(row.meth) + ", order " + std::to_string(row.q));
    const DivpagFormula f = divpag_formula(row.meth, row.q);
    for (std::size_t j = 0; j < row.l.size(); ++j) EXPECT_NEAR(f.l[j], row.l[j], kCoefficientTol) << "l_" << j;
    EXPECT_NEAR(divpag_error_constant(row.meth, row.q), row.error_constant, kCoefficientTol);
  }
  EXPECT_EQ(divpag_method_max_order(1), 12);
  EXPECT_EQ(divpag_method_max_order(2), 5);
}

TEST(DivpagNorms, MeasureAVectorAsDocumented) {
  const std::array<double, 2> y = {4.0, 0.5};
  const std::array<double, 2> v = {2.0, 0.25};
  std::array<double, 2> ymax = {8.0, 0.0};
  std::array<double, 2> winv{};
  struct Row {
    int inorm;
    double expected;
  };
  // Floor 1: weights max(|y|, 1) = (4, 1); running maxima (8, 0.5) -> (8, 1).
  for (const Row row : {Row{0, 0.5}, Row{1, 2.0}, Row{2, 0.25}, Row{3, std::sqrt((0.25 + 0.0625) / 2.0)}}) {
    divpag_weights(row.inorm, 2, y.data(), 1.0, ymax.data(), winv.data());
    EXPECT_DOUBLE_EQ(divpag_norm(row.inorm, 2, v.data(), winv.data()), row.expected) << "INORM " << row.inorm;
  }
}

// ---- solutions ----

TEST_F(Divpag, FollowsExponentialDecayWithEveryMethodAndIteration) {
  struct Row {
    int meth, miter;
  };
  for (const double tol : {1e-4, 1e-8}) {
    for (const Row row : {Row{1, 0}, Row{1, 1}, Row{1, 2}, Row{1, 3}, Row{2, 0}, Row{2, 1}, Row{2, 2}, Row{2, 3}}) {
      Options o;
      o.meth = row.meth;
      o.miter = row.miter;
      const Result run = integrate(decay, decay_jacobian, nullptr, {1.0}, 0.0, grid(0.0, 5.0, 10), tol, o);
      EXPECT_NEAR(run.y[0], std::exp(-5.0), kGlobalErrorPerTol * tol)
          << "METH " << row.meth << " MITER " << row.miter << " TOL " << tol;
      EXPECT_EQ(run.param[35] > 0.0, row.miter != 0);
    }
  }
}

// y' = lambda*y with lambda and a count of the calls in the caller's data,
// reached only through the user pointer.
struct DecayData {
  double lambda = 0.0;
  long evaluations = 0;
  long jacobians = 0;
};
void decay_with_data(int, double, const double* y, double* f, void* user) {
  auto& data = *static_cast<DecayData*>(user);
  ++data.evaluations;
  f[0] = data.lambda * y[0];
}
void decay_jacobian_with_data(int, double, const double*, double* j, void* user) {
  auto& data = *static_cast<DecayData*>(user);
  ++data.jacobians;
  j[0] = data.lambda;
}

TEST_F(Divpag, PassesTheCallersPointerToEveryEvaluation) {
  // Two problems with different rates, integrated in turn through one
  // pair of callbacks: each follows its own exp(lambda*t) only if every
  // call received its own data, and the counts in the data are the
  // integrator's own statistics.
  constexpr double kTol = 1e-8;
  constexpr double kEnd = 2.0;
  for (const int miter : {0, 1}) {
    for (const double lambda : {-0.5, -3.0}) {
      DecayData data{lambda};
      std::array<double, 50> param{};
      param[3] = 1.0e6;
      param[12] = miter;
      std::array<double, 1> y{1.0};
      int ido = 1;
      double x = 0.0;
      for (const double xend : grid(0.0, kEnd, 4)) {
        DIVPAG(ido, 1, decay_with_data, decay_jacobian_with_data, &data, nullptr, x, xend, kTol, param.data(),
               y.data());
      }
      ido = 3;
      DIVPAG(ido, 1, decay_with_data, decay_jacobian_with_data, &data, nullptr, x, kEnd, kTol, param.data(), y.data());
      EXPECT_NEAR(y[0], std::exp(lambda * kEnd), kGlobalErrorPerTol * kTol) << "lambda " << lambda;
      EXPECT_EQ(data.evaluations, static_cast<long>(param[34])) << "lambda " << lambda;
      EXPECT_EQ(data.jacobians, static_cast<long>(param[35])) << "lambda " << lambda;
      EXPECT_EQ(data.jacobians > 0, miter == 1) << "lambda " << lambda;
    }
  }
}

TEST_F(Divpag, SolvesTheForcedOscillatorAlongTheWay) {
  for (const int meth : {1, 2}) {
    Options o;
    o.meth = meth;
    o.miter = 2;
    const double tol = 1e-7;
    Result run;
    run.param.fill(0.0);
    run.param[3] = 1e6;
    run.param[11] = meth;
    run.param[12] = 2;
    std::vector<double> y = {1.0, 0.0};
    int ido = 1;
    double x = 0.0;
    for (const double xend : grid(0.0, 10.0, 50)) {
      DIVPAG(ido, 2, oscillator, nullptr, nullptr, x, xend, tol, run.param.data(), y.data());
      ASSERT_EQ(x, xend);
      EXPECT_NEAR(y[0], oscillator_exact(xend), kGlobalErrorPerTol * tol) << "METH " << meth << " at " << xend;
    }
    ido = 3;
    DIVPAG(ido, 2, oscillator, nullptr, nullptr, x, 10.0, tol, run.param.data(), y.data());
  }
}

TEST_F(Divpag, GivesTheSameOscillationInMassMatrixAndExplicitForm) {
  const std::array<double, 4> a = {2.0, 0.0, 0.0, 1.0};
  for (const int meth : {1, 2}) {
    for (const int mtype : {0, 2}) {
      const double tol = 1e-6;
      Options o;
      o.meth = meth;
      o.miter = 2;
      const Result explicit_form = integrate(oscillator, nullptr, nullptr, {1.0, 0.0}, 0.0, grid(0.0, 8.0, 16), tol, o);
      o.mtype = mtype;
      o.iatype = 1;
      const Result mass_form =
          integrate(oscillator_mass_form, nullptr, a.data(), {0.0, 1.0}, 0.0, grid(0.0, 8.0, 16), tol, o);
      EXPECT_NEAR(mass_form.y[1], explicit_form.y[0], kFormsAgreePerTol * tol) << "METH " << meth << " MTYPE " << mtype;
      EXPECT_NEAR(mass_form.y[0], explicit_form.y[1], kFormsAgreePerTol * tol) << "METH " << meth << " MTYPE " << mtype;
      EXPECT_NEAR(mass_form.y[1], oscillator_exact(8.0), kGlobalErrorPerTol * tol);
    }
  }
}

TEST_F(Divpag, ReducesTheGlobalErrorWithTheTolerance) {
  // Over six decades of TOL the error must fall by at least 0.7 decades per
  // decade (the order of the formulas in use sets the exact rate) and at
  // each hundredfold step.
  constexpr double kMinScalingExponent = 0.7;
  const std::vector<double> tols = {1e-4, 1e-6, 1e-8, 1e-10};
  for (const int meth : {1, 2}) {
    std::vector<double> errors;
    for (const double tol : tols) {
      Options o;
      o.meth = meth;
      o.miter = 2;
      const Result run = integrate(oscillator, nullptr, nullptr, {1.0, 0.0}, 0.0, grid(0.0, 10.0, 20), tol, o);
      errors.push_back(std::fabs(run.y[0] - oscillator_exact(10.0)));
      EXPECT_LE(errors.back(), kGlobalErrorPerTol * tol) << "METH " << meth << " TOL " << tol;
      if (errors.size() > 1) {
        EXPECT_LT(errors.back(), errors[errors.size() - 2]) << "METH " << meth << " TOL " << tol;
      }
    }
    const double exponent = std::log(errors.front() / errors.back()) / std::log(tols.front() / tols.back());
    EXPECT_GE(exponent, kMinScalingExponent) << "METH " << meth;
  }
}

TEST_F(Divpag, TakesLongStepsOnAStiffLinearSystemWithBackwardDifferentiation) {
  // Once the fast mode has died out, an implicit BDF step is limited by
  // accuracy only; an explicit-like iteration would need |h| < 2e-3.
  constexpr double kStiffStepsLimit = 300;
  for (const int miter : {1, 2}) {
    Options o;
    o.meth = 2;
    o.miter = miter;
    const double tol = 1e-6;
    const Result run = integrate(stiff_linear, stiff_linear_jacobian, nullptr, {2.0, 0.0}, 0.0, {10.0}, tol, o);
    EXPECT_NEAR(run.y[0], std::exp(-10.0), kGlobalErrorPerTol * tol) << "MITER " << miter;
    EXPECT_NEAR(run.y[1], std::exp(-10.0), kGlobalErrorPerTol * tol) << "MITER " << miter;
    EXPECT_LT(run.param[33], kStiffStepsLimit) << "MITER " << miter;
  }
}

TEST_F(Divpag, MatchesATightReferenceOnTheRobertsonKinetics) {
  // Relative control of every component (the small one is near 1e-5).
  constexpr double kRelativeFloor = 1e-10;
  constexpr double kAgreement = 1e-3;  // relative, at TOL 1e-6 against 1e-11
  Options o;
  o.meth = 2;
  o.miter = 2;
  o.floor = kRelativeFloor;
  const std::vector<double> outputs = {0.4, 4.0, 40.0};
  const Result reference = integrate(robertson, nullptr, nullptr, {1.0, 0.0, 0.0}, 0.0, outputs, 1e-11, o);
  const Result run = integrate(robertson, nullptr, nullptr, {1.0, 0.0, 0.0}, 0.0, outputs, 1e-6, o);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(run.y[i], reference.y[i], kAgreement * reference.y[i]) << "component " << i;
  // Every formula keeps linear invariants up to rounding and the corrector's
  // residual, far below TOL.
  constexpr double kInvariantTol = 1e-10;
  EXPECT_NEAR(run.y[0] + run.y[1] + run.y[2], 1.0, kInvariantTol);
}

TEST_F(Divpag, IntegratesBackwardsAndTurnsAround) {
  // y' = y from 0 back to -2, then forwards again to -0.5.
  g_lambda = 1.0;
  for (const int meth : {1, 2}) {
    Options o;
    o.meth = meth;
    o.miter = 2;
    const double tol = 1e-8;
    const Result backwards = integrate(decay, nullptr, nullptr, {1.0}, 0.0, grid(0.0, -2.0, 4), tol, o);
    EXPECT_NEAR(backwards.y[0], std::exp(-2.0), kGlobalErrorPerTol * tol) << "METH " << meth;
    EXPECT_LT(backwards.param[30], 0.0);
    const Result turned = integrate(decay, nullptr, nullptr, {1.0}, 0.0, {-2.0, -0.5}, tol, o);
    EXPECT_NEAR(turned.y[0], std::exp(-0.5), kGlobalErrorPerTol * tol) << "METH " << meth;
  }
}

// ---- the program's system and the symmetric iteration-matrix kind ----

TEST_F(Divpag, IntegratesTheAeroelasticSectionWithTheProgramsOptionsAtEveryTolerance) {
  // The program asks for MTYPE = 2 although A - H*beta*J is not symmetric
  // for this system; the result must be that of the general kind.
  for (const int meth : {1, 2}) {
    for (const double tol : {1e-3, 1e-5, 1e-7, 1e-10}) {
      Options o;
      o.meth = meth;
      o.miter = 2;
      o.iatype = 1;
      const std::vector<double> outputs = grid(0.0, 2.0, 200);
      const Result general =
          integrate(section, no_jacobian, kSectionMass.data(), {0.0, 0.0, 0.01, 0.0}, 0.0, outputs, tol, o);
      const DivpagDiagnostics before = divpag_diagnostics();
      o.mtype = 2;
      const Result program =
          integrate(section, no_jacobian, kSectionMass.data(), {0.0, 0.0, 0.01, 0.0}, 0.0, outputs, tol, o);
      const DivpagDiagnostics after = divpag_diagnostics();
      for (int i = 0; i < 4; ++i) EXPECT_EQ(program.y[i], general.y[i]) << "METH " << meth << " TOL " << tol;
      EXPECT_EQ(after.cholesky_factorizations, before.cholesky_factorizations);
      EXPECT_GT(after.lu_factorizations, before.lu_factorizations);
    }
  }
  EXPECT_TRUE(out.str().empty());
}

TEST_F(Divpag, FactorsASymmetricIterationMatrixByCholesky) {
  const std::array<double, 4> a = {2.0, 0.5, 0.5, 1.0};
  Options o;
  o.meth = 2;
  o.miter = 1;
  o.iatype = 1;
  const double tol = 1e-8;
  const Result general = integrate(symmetric_decay, symmetric_decay_jacobian, a.data(), {1.0, 1.0}, 0.0, {2.0}, tol, o);
  const long cholesky_before = divpag_diagnostics().cholesky_factorizations;
  o.mtype = 2;
  const Result spd = integrate(symmetric_decay, symmetric_decay_jacobian, a.data(), {1.0, 1.0}, 0.0, {2.0}, tol, o);
  EXPECT_GT(divpag_diagnostics().cholesky_factorizations, cholesky_before);
  for (int i = 0; i < 2; ++i) EXPECT_NEAR(spd.y[i], general.y[i], kFormsAgreePerTol * tol);
}

// ---- protocol, statistics and interrupts ----

TEST_F(Divpag, ReportsItsStatisticsOnEveryReturn) {
  std::array<double, 50> param{};
  std::vector<double> y = {1.0, 0.0};
  int ido = 1;
  double x = 0.0;
  double steps = 0.0, evaluations = 0.0;
  for (const double xend : {0.5, 1.0, 3.0}) {
    DIVPAG(ido, 2, oscillator, nullptr, nullptr, x, xend, 1e-6, param.data(), y.data());
    EXPECT_EQ(ido, 2);
    EXPECT_DOUBLE_EQ(param[32], 0.001 * 0.5);  // the default initial step
    EXPECT_GT(param[33], steps);
    EXPECT_GT(param[34], evaluations);
    EXPECT_GT(param[34], param[33]);  // at least one evaluation per step
    EXPECT_EQ(param[35], 0.0);        // functional iteration: no Jacobian
    EXPECT_NE(param[30], 0.0);
    EXPECT_NE(param[31], 0.0);
    steps = param[33];
    evaluations = param[34];
  }
  std::array<double, 50> last = param;
  ido = 3;
  DIVPAG(ido, 2, oscillator, nullptr, nullptr, x, 3.0, 1e-6, param.data(), y.data());
  for (int k = 30; k < 36; ++k) EXPECT_EQ(param[k], last[k]) << "PARAM(" << k + 1 << ")";
  EXPECT_FALSE(divpag_diagnostics().active);
}

TEST_F(Divpag, StopsAtEachInterruptAndEndsWhereAnUninterruptedRunEnds) {
  Options o;
  o.miter = 2;
  const Result plain = integrate(oscillator, nullptr, nullptr, {1.0, 0.0}, 0.0, {2.0}, 1e-6, o);
  for (const int entry : {7, 8}) {
    std::array<double, 50> param{};
    param[12] = 2;
    param[entry - 1] = 1;
    std::vector<double> y = {1.0, 0.0};
    int ido = 1;
    double x = 0.0, last_x = -1.0;
    int interrupts = 0;
    do {
      DIVPAG(ido, 2, oscillator, nullptr, nullptr, x, 2.0, 1e-6, param.data(), y.data());
      if (ido != 2) {
        EXPECT_EQ(ido, entry == 7 ? 4 : 5);
        EXPECT_GE(x, last_x);
        last_x = x;
        ++interrupts;
      }
    } while (ido != 2);
    EXPECT_EQ(interrupts, plain.param[33]) << "PARAM(" << entry << ")";
    EXPECT_EQ(y[0], plain.y[0]);
    ido = 3;
    DIVPAG(ido, 2, oscillator, nullptr, nullptr, x, 2.0, 1e-6, param.data(), y.data());
  }
}

// One call of DIVPAG for the error cases; returns true when it stopped.
struct Call {
  int ido = 1;
  int neq = 1;
  double x = 0.0;
  double xend = 1.0;
  double tol = 1e-6;
  std::array<double, 50> param{};
  std::vector<double> y = {1.0};
  const double* a = nullptr;
  DivpagFcn fcn = decay;
};

bool call(Call& c) {
  try {
    DIVPAG(c.ido, c.neq, c.fcn, nullptr, c.a, c.x, c.xend, c.tol, c.param.data(), c.y.data());
  } catch (const core::RunStop& stop) {
    EXPECT_EQ(stop.exit_status(), 3);
    return true;
  }
  return false;
}

TEST_F(Divpag, RejectsBadArgumentsWithTerminalMessages) {
  struct Row {
    const char* what;
    void (*set)(Call&);
    const char* message;  // header and text, continuation lines joined
  };
  const std::vector<Row> rows = {
      {"IDO out of range", [](Call& c) { c.ido = 9; },
       "TERMINAL ERROR 1 from DIVPAG.  The status indicator IDO = 9.  It must be in the range 1 to 7."},
      {"no equations", [](Call& c) { c.neq = 0; },
       "TERMINAL ERROR 2 from DIVPAG.  The number of equations NEQ = 0.  It must be at least 1."},
      {"negative PARAM", [](Call& c) { c.param[4] = -1.0; },
       "TERMINAL ERROR 3 from DIVPAG.  The optional parameter PARAM(5) =  -1.000000000000000D+00.  It cannot be "
       "negative."},
      {"METH 3", [](Call& c) { c.param[11] = 3.0; },
       "TERMINAL ERROR 4 from DIVPAG.  The method indicator METH = PARAM(12) = 3.000000000000000D+00.  It must be 1 "
       "or 2."},
      {"MITER 4", [](Call& c) { c.param[12] = 4.0; },
       "TERMINAL ERROR 5 from DI2PAG.  The argument PARAM(13) = 4.000000000000000D+00.  Both MITER and MTYPE must be "
       "less than four."},
      {"INORM 4", [](Call& c) { c.param[9] = 4.0; },
       "TERMINAL ERROR 6 from DI2PAG.  The argument PARAM(10) = INORM = 4.000000000000000D+00.  It must be less than "
       "four."},
      {"IATYPE 3",
       [](Call& c) {
         c.param[12] = 2.0;
         c.param[18] = 3.0;
       },
       "TERMINAL ERROR 7 from DI2PAG.  The type of the matrix A must be 0, 1, or 2, while PARAM(19) = IATYPE = "
       "3.000000000000000D+00 is given."},
      {"MITER 0 with A", [](Call& c) { c.param[18] = 1.0; },
       "TERMINAL ERROR 17 from DI2PAG.  Misuse of PARAM options.  PARAM(13) = MITER = 0.000000000000000D+00, "
       "PARAM(14) = MTYPE = 0.000000000000000D+00, PARAM(19) = IATYPE = 1.000000000000000D+00.  When MITER is set "
       "to 0, MTYPE and IATYPE must also be set to 0."},
      {"MITER 3 with MTYPE 2",
       [](Call& c) {
         c.param[12] = 3.0;
         c.param[13] = 2.0;
       },
       "TERMINAL ERROR 18 from DI2PAG.  Misuse of PARAM options.  PARAM(13) = MITER = 3.000000000000000D+00, "
       "PARAM(14) = MTYPE = 2.000000000000000D+00, PARAM(19) = IATYPE = 0.000000000000000D+00.  When MITER is set "
       "to 3, MTYPE and IATYPE must be set to 0."},
      {"TOL 0", [](Call& c) { c.tol = 0.0; },
       "TERMINAL ERROR 8 from DI2PAG.  The tolerance TOL = 0.000000000000000D+00.  It must be greater than zero."},
      {"banded NLC too large",
       [](Call& c) {
         c.param[12] = 2.0;
         c.param[13] = 1.0;
         c.param[14] = 1.0;
       },
       "TERMINAL ERROR 9 from DI2PAG.  The number of lower codiagonals must be greater than or equal to zero and "
       "less than NEQ while PARAM(15) = NLC = 1.000000000000000D+00 is given."},
      {"LDA below NEQ",
       [](Call& c) {
         c.neq = 2;
         c.y = {1.0, 1.0};
         c.param[12] = 2.0;
         c.param[18] = 1.0;
         c.param[19] = 1.0;
       },
       "TERMINAL ERROR 11 from DI2PAG.  The order of the matrix must be less than or equal to its leading dimension "
       "while NEQ = 2 and PARAM(20) = LDA = 1.000000000000000D+00 are given."},
      {"IDO 2 first", [](Call& c) { c.ido = 2; },
       "TERMINAL ERROR 19 from DI2PAG.  IDO has been set to 2, but the routine has not been initialized in a call "
       "with IDO = 1."},
  };
  for (const Row& row : rows) {
    reset_error_handler();
    reset_divpag();
    out.str("");
    Call c;
    row.set(c);
    EXPECT_TRUE(call(c)) << row.what;
    EXPECT_NE(unwrapped().find(std::string(" *** ") + row.message + "\n"), std::string::npos) << row.what << "\n"
                                                                                              << out.str();
  }
}

TEST_F(Divpag, PrintsATerminalErrorOfTheBodyWithItsTraceback) {
  Call c;
  ASSERT_FALSE(call(c));
  EXPECT_TRUE(call(c));  // the same XEND again
  EXPECT_EQ(out.str(),
            "\n"
            " *** TERMINAL ERROR 15 from DI2PAG.  Argument XEND = 1.000000000000000D+00\n"
            " ***          is not changed from the previous call.\n"
            "     Here is a traceback of subprogram calls in reverse order:\n"
            "     Routine name                    Error type  Error code\n"
            "     ------------                    ----------  ----------\n"
            "     DI2PAG                               5          15    (Called internally)\n"
            "     DIVPAG                               0           0\n"
            "     USER                                 0           0\n");
}

TEST_F(Divpag, RejectsACallThatBreaksTheProtocol) {
  struct Row {
    const char* what;
    void (*second)(Call&);
    const char* message;
  };
  const std::vector<Row> rows = {
      {"changed X",
       [](Call& c) {
         c.x = 0.5;
         c.xend = 2.0;
       },
       "TERMINAL ERROR 14 from DI2PAG.  Argument X = 5.000000000000000D-01 is changed from the previous call."},
      {"IDO 1 twice",
       [](Call& c) {
         c.ido = 1;
         c.xend = 2.0;
       },
       "TERMINAL ERROR 16 from DI2PAG.  IDO = 1.  IDO can only be set to 1 in the initial call to the routine, or "
       "if the previous call was made with IDO = 3."},
  };
  for (const Row& row : rows) {
    reset_error_handler();
    reset_divpag();
    out.str("");
    Call c;
    ASSERT_FALSE(call(c)) << row.what;
    ASSERT_EQ(c.ido, 2);
    row.second(c);
    EXPECT_TRUE(call(c)) << row.what;
    EXPECT_NE(unwrapped().find(std::string(" *** ") + row.message + "\n"), std::string::npos) << row.what << "\n"
                                                                                              << out.str();
  }
  // After IDO = 3 a new problem may start.
  reset_error_handler();
  reset_divpag();
  Call c;
  ASSERT_FALSE(call(c));
  c.ido = 3;
  ASSERT_FALSE(call(c));
  c.ido = 1;
  c.x = 0.0;
  c.y = {1.0};
  EXPECT_FALSE(call(c));
  EXPECT_NEAR(c.y[0], std::exp(-1.0), kGlobalErrorPerTol * c.tol);
}

void nan_rhs(int, double, const double*, double* f) { f[0] = std::nan(""); }

TEST_F(Divpag, HaltsAFailingIntegrationWithAFatalMessage) {
  struct Row {
    const char* what;
    void (*set)(Call&);
    const char* message;
  };
  const std::vector<Row> rows = {
      {"default step limit on a stiff problem with functional iteration",
       [](Call& c) {
         c.fcn = stiff_linear;
         c.neq = 2;
         c.y = {2.0, 0.0};
         c.xend = 100.0;
       },
       "FATAL    ERROR 3 from DIVPAG.  Maximum number of steps allowed, 500, have been used.  The problem may be "
       "stiff."},
      {"a small step limit", [](Call& c) { c.param[3] = 10.0; },
       "FATAL    ERROR 3 from DIVPAG.  Maximum number of steps allowed, 10, have been used.  The problem may be "
       "stiff."},
      {"an evaluation limit", [](Call& c) { c.param[4] = 20.0; },
       "FATAL    ERROR 2 from DIVPAG.  Maximum number of function evaluations, 20, have been used."},
      {"X+H equal to X",
       [](Call& c) {
         c.x = 1.0e20;
         c.xend = 1.0e20 + 1.0e6;
         c.param[0] = 1000.0;
       },
       "FATAL    ERROR 4 from DIVPAG.  On the next step X+H will equal X, with X = 1.000000000000000D+20 and H = "
       "1.000000000000000D+03.  Either TOL = 1.000000000000000D-06 is too small or the problem is stiff."},
      {"an absolute TOL below the rounding of Y",
       [](Call& c) {
         c.param[9] = 1.0;
         c.y = {1.0e10};
         c.tol = 1e-7;
       },
       "FATAL    ERROR 5 from DIVPAG.  After some initial success, the integration was halted by a test on TOL = "
       "1.000000000000000D-07."},
      {"an error test failing at the minimum step",
       [](Call& c) {
         c.param[1] = 0.5;
         c.param[12] = 2.0;
         c.tol = 1e-9;
       },
       "FATAL    ERROR 1 from DIVPAG.  After some initial success, the integration was halted by repeated error "
       "test failures."},
      {"a right-hand side without a value", [](Call& c) { c.fcn = nan_rhs; },
       "FATAL    ERROR 7 from DIVPAG.  Integration halted after failing to achieve corrector convergence, even "
       "after reducing the stepsize by a factor of 1.0E+10 to H = "},
      {"a symmetric iteration matrix that is not positive definite",
       [](Call& c) {
         g_lambda = 50.0;
         c.param[0] = 0.1;
         c.param[12] = 2.0;
         c.param[13] = 2.0;
       },
       "FATAL    ERROR 2 from DIVPAG.  The leading 1 by 1 submatrix of the input matrix is not positive definite."},
      {"a singular A",
       [](Call& c) {
         c.param[12] = 2.0;
         c.param[18] = 1.0;
         static const double zero = 0.0;
         c.a = &zero;
       },
       "FATAL    ERROR 8 from DIVPAG.  The input matrix A is singular.  If used, A must be non-singular."},
  };
  for (const Row& row : rows) {
    reset_error_handler();
    reset_divpag();
    g_lambda = -1.0;
    out.str("");
    Call c;
    row.set(c);
    EXPECT_TRUE(call(c)) << row.what;
    EXPECT_NE(unwrapped().find(std::string("\n *** ") + row.message), std::string::npos) << row.what << "\n"
                                                                                         << out.str();
    EXPECT_EQ(unwrapped().find("traceback"), std::string::npos) << row.what;
  }
}

// The step control works on X, XEND, Y and the values FCN returns.  With
// any of them NaN or infinite every loop must still end: a terminal error
// for the arguments, a fatal error for the right-hand side (or, where the
// step control never needs the bad value, a normal return).
void infinite_rhs(int, double, const double*, double* f) { f[0] = HUGE_VAL; }
void minus_infinite_rhs(int, double, const double*, double* f) { f[0] = -HUGE_VAL; }

TEST_F(Divpag, EndsForNaNAndInfiniteArgumentsAndRightHandSides) {
  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  struct Row {
    std::string what;
    std::function<void(Call&)> set;
    std::string message;
  };
  const std::vector<Row> rows = {
      {"X NaN", [&](Call& c) { c.x = nan; },
       "TERMINAL ERROR 22 from DI2PAG.  The initial point X is not a finite number.  It must be finite."},
      {"X +Inf", [&](Call& c) { c.x = inf; }, "TERMINAL ERROR 22 from DI2PAG."},
      {"X -Inf", [&](Call& c) { c.x = -inf; }, "TERMINAL ERROR 22 from DI2PAG."},
      {"XEND NaN", [&](Call& c) { c.xend = nan; },
       "TERMINAL ERROR 21 from DI2PAG.  The end point XEND is not a finite number.  It must be finite."},
      {"XEND +Inf", [&](Call& c) { c.xend = inf; }, "TERMINAL ERROR 21 from DI2PAG."},
      {"XEND -Inf", [&](Call& c) { c.xend = -inf; }, "TERMINAL ERROR 21 from DI2PAG."},
      {"Y NaN", [&](Call& c) { c.y = {nan}; },
       "TERMINAL ERROR 23 from DI2PAG.  The initial value Y(1) is not a finite number.  Every initial value must "
       "be finite."},
      {"Y +Inf", [&](Call& c) { c.y = {inf}; }, "TERMINAL ERROR 23 from DI2PAG."},
      {"Y -Inf", [&](Call& c) { c.y = {-inf}; }, "TERMINAL ERROR 23 from DI2PAG."},
      {"FCN NaN", [](Call& c) { c.fcn = nan_rhs; }, "FATAL    ERROR 7 from DIVPAG."},
      {"FCN +Inf", [](Call& c) { c.fcn = infinite_rhs; }, "FATAL    ERROR"},
      {"FCN -Inf", [](Call& c) { c.fcn = minus_infinite_rhs; }, "FATAL    ERROR"},
      {"FCN NaN, Newton iteration",
       [](Call& c) {
         c.fcn = nan_rhs;
         c.param[12] = 2.0;
       },
       "FATAL    ERROR"},
  };
  for (const Row& row : rows) {
    reset_error_handler();
    reset_divpag();
    out.str("");
    Call c;
    row.set(c);
    EXPECT_TRUE(call(c)) << row.what;
    EXPECT_NE(unwrapped().find(std::string("\n *** ") + row.message), std::string::npos) << row.what << "\n"
                                                                                         << out.str();
  }
  // A later end point that is not finite is refused too.
  for (const double xend : {nan, inf, -inf}) {
    reset_error_handler();
    reset_divpag();
    out.str("");
    Call c;
    EXPECT_FALSE(call(c));
    c.xend = xend;
    EXPECT_TRUE(call(c)) << xend;
    EXPECT_NE(unwrapped().find(" *** TERMINAL ERROR 21 from DI2PAG."), std::string::npos) << out.str();
  }
}

TEST_F(Divpag, ReportsAWorkspaceThatCannotBeAllocated) {
  Call c;
  c.neq = 100000000;  // the iteration matrix alone would need 80 petabytes
  c.param[12] = 2.0;
  EXPECT_TRUE(call(c));
  EXPECT_NE(unwrapped().find(" *** TERMINAL ERROR 20 from DIVPAG.  The required storage cannot be allocated.  The "
                             "workspace requirement is based on NEQ = 100000000, NMETH = 12, NPW = "),
            std::string::npos)
      << out.str();
  EXPECT_FALSE(divpag_diagnostics().active);
}

// ---- the Cholesky pair ----

TEST_F(Divpag, CholeskyPairSolvesAPositiveDefiniteSystemFromItsUpperTriangle) {
  // A = [[4, 2, 0], [2, 5, 1], [0, 1, 3]]; the strict lower triangle holds
  // junk that must not be read.
  constexpr double kSolveTol = 1e-14;
  const std::array<double, 9> a = {4.0, 99.0, 99.0, 2.0, 5.0, 99.0, 0.0, 1.0, 3.0};
  const std::array<double, 3> x = {1.0, -2.0, 0.5};
  const std::array<double, 3> b = {4.0 * 1.0 + 2.0 * -2.0, 2.0 * 1.0 + 5.0 * -2.0 + 0.5, -2.0 + 1.5};
  std::array<double, 9> fact{};
  std::array<double, 3> solution{};
  DLFTDS(3, a.data(), 3, fact.data(), 3);
  DLFSDS(3, fact.data(), 3, b.data(), solution.data());
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(solution[i], x[i], kSolveTol);
  EXPECT_TRUE(out.str().empty());
}

TEST_F(Divpag, CholeskyFactorisationStopsAtTheFirstIndefiniteLeadingSubmatrix) {
  const std::array<double, 4> a = {1.0, 0.0, 2.0, 1.0};  // [[1, 2], [2, 1]]
  std::array<double, 4> fact{};
  E1PSH("USERLIB");
  DLFTDS(2, a.data(), 2, fact.data(), 2);
  EXPECT_EQ(N1RTY(1), 4);
  EXPECT_TRUE(stops([] { E1POP("USERLIB"); }));
  EXPECT_EQ(unwrapped(),
            "\n *** FATAL    ERROR 2 from USERLIB.  The leading 2 by 2 submatrix of the input matrix is not positive "
            "definite.\n");
}

}  // namespace
}  // namespace zelvan::numlib
