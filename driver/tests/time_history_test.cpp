// The time history: the stored states against an independent solution of
// the same linear system, the force and work columns where they are known
// exactly, the coupling spring, and the runs of one and two time points.
#include "driver/time_history.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <memory>
#include <utility>

#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

// The integrator keeps each step's local error below TOL; one step over a
// short span stays within a few TOL.
constexpr double kOneStepErrorPerTol = 10.0;
// The global error shrinks about in proportion to TOL (a factor 30 to 70
// for a hundredfold TOL in this case); 10 is a safe floor.
constexpr double kTighterToleranceGain = 10.0;
// A run at TOL 1e-12 meets the exact response to about 3e-9 (the global
// error of the velocities near 1.5); an error in the reference of the size
// the tests look for (1e-6 and more) would show.
constexpr double kReferenceTolerance = 1e-8;
// Sample times are sums of dt: a few roundings of t_E.
constexpr double kTimeTolerance = 1e-12;
// Sums of products of a few O(1e3) terms.
constexpr double kForceTolerance = 1e-10;

// The case values the time history reads.
struct Section {
  double t_A = 0.5, t_E = 1.5;  // eight periods of the higher mode
  int npoints = 201;
  std::array<double, 4> y0{0.05, -0.1, 0.01, 0.02};
  double M_1 = 5.0, M_2 = 0.08, S_m = 0.1;
  double D_1 = 0.5, D_2 = 0.02;
  double K_1 = 4000.0, K_m = 20.0, K_2 = 180.0, kappa = 7.0;
  double a_0 = 10.0, f_0 = 4.5, phi = 30.0;
  double f_s = 100.0;
  std::array<double, 8> q{0.055, 0.72, 4.4, 0.47, -0.076, -0.072, -0.48, 0.23};  // QR11 QS11 QR12 ... QS22
  double f_ref = 7.7;  // Hz, reference frequency of the QS terms
  double tolerance = 1e-8;
  int integ_method = 2;
};

// Puts `s` into the process-wide records and builds the model (external
// coefficients) as the run does.
void set_up(const Section& s) {
  reset_run_records();
  CaseParameters& cp = case_parameters();
  cp.t_A = s.t_A;
  cp.t_E = s.t_E;
  cp.npoints = s.npoints;
  cp.y0 = s.y0;
  cp.M_1 = s.M_1, cp.M_2 = s.M_2, cp.S_m = s.S_m;
  cp.D_1 = s.D_1, cp.D_2 = s.D_2;
  cp.K_1 = s.K_1, cp.K_m = s.K_m, cp.K_2 = s.K_2, cp.kappa = s.kappa;
  cp.a_0 = s.a_0, cp.f_0 = s.f_0, cp.phi = s.phi;
  cp.phi_rad = s.phi * kTwoPi / 360.0;
  cp.f_s = s.f_s;
  cp.QR11 = s.q[0], cp.QS11 = s.q[1], cp.QR12 = s.q[2], cp.QS12 = s.q[3];
  cp.QR21 = s.q[4], cp.QS21 = s.q[5], cp.QR22 = s.q[6], cp.QS22 = s.q[7];
  cp.tolerance = s.tolerance;
  cp.integ_method = s.integ_method;
  ASSERT_EQ(capture_run([] { build_run_model(); }).status, 0);
  cp.inv_omega_1 = cp.inv_omega_2 = 1.0 / (kTwoPi * s.f_ref);
}

void run(const Section& s) {
  set_up(s);
  const RunResult result = capture_run([] { time_history() = run_time_history(case_parameters(), model()); });
  ASSERT_EQ(result.status, 0) << result.console;
  ASSERT_FALSE(numlib::divpag_diagnostics().active) << "the integrator's workspace was not released";
}

using Real = long double;
using Complex = std::complex<Real>;
using Vec = std::array<Real, 4>;
using Mat = std::array<std::array<Real, 4>, 4>;  // [row][column]

Mat multiply(const Mat& a, const Mat& b) {
  Mat c{};
  for (std::size_t i = 0; i < 4; ++i)
    for (std::size_t j = 0; j < 4; ++j)
      for (std::size_t k = 0; k < 4; ++k) c[i][j] += a[i][k] * b[k][j];
  return c;
}

// exp(m) by scaling, a Taylor series and squaring, in long double.
Mat exponential(Mat m) {
  Real norm = 0;
  for (const auto& row : m)
    norm = std::max(norm, std::fabs(row[0]) + std::fabs(row[1]) + std::fabs(row[2]) + std::fabs(row[3]));
  int squarings = 0;
  while (norm > 0.25L) norm /= 2, ++squarings;
  for (auto& row : m)
    for (Real& v : row) v = std::ldexp(v, -squarings);
  Mat sum{}, term{};
  for (std::size_t i = 0; i < 4; ++i) sum[i][i] = term[i][i] = 1;
  for (int k = 1; k <= 30; ++k) {
    term = multiply(term, m);
    for (auto& row : term)
      for (Real& v : row) v /= k;
    for (std::size_t i = 0; i < 4; ++i)
      for (std::size_t j = 0; j < 4; ++j) sum[i][j] += term[i][j];
  }
  for (int i = 0; i < squarings; ++i) sum = multiply(sum, sum);
  return sum;
}

// x with (a)x = b by Gaussian elimination with row pivoting.
std::array<Complex, 4> solve(std::array<std::array<Complex, 4>, 4> a, std::array<Complex, 4> b) {
  for (std::size_t k = 0; k < 4; ++k) {
    std::size_t p = k;
    for (std::size_t i = k + 1; i < 4; ++i)
      if (std::abs(a[i][k]) > std::abs(a[p][k])) p = i;
    std::swap(a[k], a[p]);
    std::swap(b[k], b[p]);
    for (std::size_t i = k + 1; i < 4; ++i) {
      const Complex f = a[i][k] / a[k][k];
      for (std::size_t j = k; j < 4; ++j) a[i][j] -= f * a[k][j];
      b[i] -= f * b[k];
    }
  }
  std::array<Complex, 4> x{};
  for (std::size_t k = 4; k-- > 0;) {
    Complex v = b[k];
    for (std::size_t j = k + 1; j < 4; ++j) v -= a[k][j] * x[j];
    x[k] = v / a[k][k];
  }
  return x;
}

// The exact response of the section, written from the equations of motion
//   M x'' + (D + f_s QS/omega_ref) x' + (K + kappa C + f_s QR) x = a_0 cos(2 pi f_0 t + phi) e1
// with C = [[1, -1], [-1, 1]] (the spring between the two displacements),
// as y' = J y + g cos(omega t + phi) for y = (x', x): the forced part
// Re(c exp(i(omega t + phi))), (i omega - J) c = g, plus exp(J (t - t_A))
// applied to the rest of the initial state.
class ExactResponse {
 public:
  explicit ExactResponse(const Section& s) : s_(s) {
    const Real det = Real(s.M_1) * s.M_2 - Real(s.S_m) * s.S_m;
    const Real mi[2][2] = {{s.M_2 / det, -s.S_m / det}, {-s.S_m / det, s.M_1 / det}};
    const Real w = 1.0L / (Real(kTwoPi) * s.f_ref);
    const Real damping[2][2] = {{s.D_1 + s.f_s * s.q[1] * w, s.f_s * s.q[3] * w},
                                {s.f_s * s.q[5] * w, s.D_2 + s.f_s * s.q[7] * w}};
    const Real stiffness[2][2] = {
        {Real(s.K_1) + s.kappa + Real(s.f_s) * s.q[0], Real(s.K_m) - s.kappa + Real(s.f_s) * s.q[2]},
        {Real(s.K_m) - s.kappa + Real(s.f_s) * s.q[4], Real(s.K_2) + s.kappa + Real(s.f_s) * s.q[6]}};
    Mat j{};
    for (std::size_t r = 0; r < 2; ++r) {
      for (std::size_t c = 0; c < 2; ++c) {
        j[r][c] = -(mi[r][0] * damping[0][c] + mi[r][1] * damping[1][c]);
        j[r][c + 2] = -(mi[r][0] * stiffness[0][c] + mi[r][1] * stiffness[1][c]);
      }
      j[r + 2][r] = 1;
    }
    omega_ = Real(kTwoPi) * s.f_0;
    std::array<std::array<Complex, 4>, 4> a{};
    for (std::size_t r = 0; r < 4; ++r)
      for (std::size_t c = 0; c < 4; ++c) a[r][c] = Complex(0, r == c ? omega_ : 0) - j[r][c];
    forced_ = solve(a, {Complex(mi[0][0] * s.a_0), Complex(mi[1][0] * s.a_0), 0, 0});
    const Real dt = (Real(s.t_E) - s.t_A) / std::max(s.npoints - 1, 1);
    for (auto& row : j)
      for (Real& v : row) v *= dt;
    step_ = exponential(j);
    const Vec start = forced(s.t_A);
    for (std::size_t r = 0; r < 4; ++r) free_[r] = s.y0[r] - start[r];
  }

  // The state at t_A + i dt for i = 1, 2, ... in turn.
  Vec next() {
    Vec moved{};
    for (std::size_t r = 0; r < 4; ++r)
      for (std::size_t c = 0; c < 4; ++c) moved[r] += step_[r][c] * free_[c];
    free_ = moved;
    ++i_;
    const Real dt = (Real(s_.t_E) - s_.t_A) / std::max(s_.npoints - 1, 1);
    const Vec f = forced(s_.t_A + i_ * dt);
    for (std::size_t r = 0; r < 4; ++r) moved[r] += f[r];
    return moved;
  }

 private:
  Vec forced(Real t) const {
    const Complex e = std::polar(Real(1), omega_ * t + Real(s_.phi) * Real(kTwoPi) / 360);
    Vec y{};
    for (std::size_t r = 0; r < 4; ++r) y[r] = (forced_[r] * e).real();
    return y;
  }

  Section s_;
  Real omega_ = 0;
  std::array<Complex, 4> forced_{};
  Mat step_{};
  Vec free_{};
  int i_ = 0;
};

std::array<double, 4> stored_state(std::size_t i) {
  const TimeHistory& h = time_history();
  return {h.Y1[i], h.Y2[i], h.Y3[i], h.Y4[i]};
}

// The reference itself: a tight run of the program's integrator agrees
// with it far below the tolerances the tests use, so a wrong reference
// cannot pass unnoticed.
TEST(TimeHistoryReference, AgreesWithATightRunOfTheIntegrator) {
  Section s;
  s.tolerance = 1e-12;
  s.npoints = 101;
  run(s);
  ExactResponse exact(s);
  double largest = 0.0;
  for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(s.npoints); ++i) {
    const Vec y = exact.next();
    const auto stored = stored_state(i);
    for (std::size_t r = 0; r < 4; ++r) largest = std::max(largest, static_cast<double>(std::fabs(stored[r] - y[r])));
  }
  EXPECT_LT(largest, kReferenceTolerance);
}

struct MethodCase {
  const char* label;
  int integ_method;
  // Largest global error over the run per unit of TOL, in the
  // integrator's norm (absolute below 1, relative above).  Over the eight
  // periods of the case the backward differentiation formulas, made for
  // stiff problems, lose far more phase than the Adams formulas.
  double error_per_tol;
};

void PrintTo(const MethodCase& c, std::ostream* os) { *os << c.label; }

// The largest error of the stored samples 1 .. nsteps against the exact
// response, each component measured like the integrator measures it.
double largest_error(const Section& s) {
  run(s);
  ExactResponse exact(s);
  std::array<double, 4> error{}, size{1.0, 1.0, 1.0, 1.0};
  for (std::size_t k = 0; k + 1 < static_cast<std::size_t>(s.npoints); ++k) {
    const Vec y = exact.next();
    const auto stored = stored_state(k);
    for (std::size_t r = 0; r < 4; ++r) {
      error[r] = std::max(error[r], static_cast<double>(std::fabs(stored[r] - y[r])));
      size[r] = std::max(size[r], std::fabs(stored[r]));
    }
  }
  double largest = 0.0;
  for (std::size_t r = 0; r < 4; ++r) largest = std::max(largest, error[r] / size[r]);
  return largest;
}

class TimeHistoryAccuracy : public ::testing::TestWithParam<MethodCase> {};

TEST_P(TimeHistoryAccuracy, FollowsTheExactResponseToWithinTheToleranceItIsGiven) {
  Section s;
  s.integ_method = GetParam().integ_method;
  const double error = largest_error(s);
  EXPECT_LT(error, GetParam().error_per_tol * s.tolerance);
  // The tolerance reaches the integrator: a hundred times tighter gives a
  // far smaller error.
  s.tolerance /= 100.0;
  EXPECT_LT(largest_error(s), error / kTighterToleranceGain);
}

TEST_P(TimeHistoryAccuracy, SamplesAtEqualStepsAndRepeatsTheEndStateInTheReleaseSample) {
  Section s;
  s.integ_method = GetParam().integ_method;
  run(s);
  const TimeHistory& h = time_history();
  const int nsteps = s.npoints - 1;
  const double dt = (s.t_E - s.t_A) / nsteps;
  for (int i = 1; i <= nsteps + 1; ++i)
    EXPECT_NEAR(h.t[static_cast<std::size_t>(i - 1)], s.t_A + i * dt, kTimeTolerance);
  const auto last = static_cast<std::size_t>(nsteps);
  EXPECT_EQ(stored_state(last), stored_state(last - 1));

  // The work column sums the aerodynamic force times the stored velocity
  // times dt, from the second sample on (the release sample included).
  for (std::size_t dof = 0; dof < 2; ++dof) {
    const auto& v = dof == 0 ? h.Y1 : h.Y2;
    EXPECT_EQ(h.SumP[dof][0], 0.0);
    for (std::size_t k = 1; k <= last; ++k) {
      EXPECT_NEAR(h.SumP[dof][k] - h.SumP[dof][k - 1], s.f_s * h.GenF[dof][k] * dt * v[k], kForceTolerance)
          << "DOF " << dof + 1 << ", sample " << k + 1;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Methods, TimeHistoryAccuracy,
                         ::testing::Values(MethodCase{"Adams", 1, 100.0},
                                           MethodCase{"BackwardDifferentiation", 2, 2000.0}),
                         ByLabel{});

// The force columns are the loads of the stored sample itself, written
// here as the matrices of the equations: GenF = -(QS x'/omega_ref + QR x),
// RPart = -D x' - K x with the coupling spring kappa.
TEST(TimeHistory, StoresTheForcesOfEachSampleAtItsOwnState) {
  Section s;
  run(s);
  const TimeHistory& h = time_history();
  const double w = 1.0 / (kTwoPi * s.f_ref);
  const std::array<std::array<double, 2>, 2> qr{{{s.q[0], s.q[2]}, {s.q[4], s.q[6]}}};
  const std::array<std::array<double, 2>, 2> qs{{{s.q[1], s.q[3]}, {s.q[5], s.q[7]}}};
  const std::array<std::array<double, 2>, 2> k{
      {{s.K_1 + s.kappa, s.K_m - s.kappa}, {s.K_m - s.kappa, s.K_2 + s.kappa}}};
  const std::array<double, 2> d{s.D_1, s.D_2};
  for (std::size_t r = 0; r < static_cast<std::size_t>(s.npoints); ++r) {
    const std::array<double, 2> v{h.Y1[r], h.Y2[r]}, x{h.Y3[r], h.Y4[r]};
    for (std::size_t i = 0; i < 2; ++i) {
      const double aero = qs[i][0] * w * v[0] + qs[i][1] * w * v[1] + qr[i][0] * x[0] + qr[i][1] * x[1];
      const double restoring = -d[i] * v[i] - k[i][0] * x[0] - k[i][1] * x[1];
      ASSERT_NEAR(h.GenF[i][r], -aero, kForceTolerance) << "DOF " << i + 1 << ", sample " << r + 1;
      ASSERT_NEAR(h.RPart[i][r], restoring, kForceTolerance) << "DOF " << i + 1 << ", sample " << r + 1;
    }
  }
}

TEST(TimeHistory, StaysExactlyZeroWithoutForceAndInitialState) {
  Section s;
  s.a_0 = 0.0;
  s.y0 = {0.0, 0.0, 0.0, 0.0};
  run(s);
  const TimeHistory& h = time_history();
  for (std::size_t k = 0; k < static_cast<std::size_t>(s.npoints); ++k) {
    const std::array<double, 10> columns{h.Y1[k],      h.Y2[k],       h.Y3[k],       h.Y4[k],      h.GenF[0][k],
                                         h.GenF[1][k], h.RPart[0][k], h.RPart[1][k], h.SumP[0][k], h.SumP[1][k]};
    for (double value : columns) ASSERT_EQ(value, 0.0) << "sample " << k + 1;
  }
}

TEST(TimeHistory, WithoutDynamicPressureIgnoresTheCoefficientsButStillStoresTheAerodynamicForce) {
  Section with_coefficients;
  with_coefficients.f_s = 0.0;
  Section without = with_coefficients;
  without.q = {};
  run(without);
  const auto reference = std::make_unique<TimeHistory>(time_history());
  run(with_coefficients);
  const TimeHistory& h = time_history();
  double largest_force = 0.0;
  for (std::size_t k = 0; k < static_cast<std::size_t>(with_coefficients.npoints); ++k) {
    ASSERT_EQ(stored_state(k),
              (std::array<double, 4>{reference->Y1[k], reference->Y2[k], reference->Y3[k], reference->Y4[k]}))
        << "sample " << k + 1;
    ASSERT_EQ(h.SumP[0][k], 0.0);
    ASSERT_EQ(h.SumP[1][k], 0.0);
    largest_force = std::max({largest_force, std::fabs(h.GenF[0][k]), std::fabs(h.GenF[1][k])});
  }
  EXPECT_GT(largest_force, 1e-3);
}

// The spring kappa pulls the two displacements together: it adds
// -kappa (x1 - x2) to DOF 1 and +kappa (x1 - x2) to DOF 2, nothing when
// they are equal.
TEST(MotionRhs, AppliesKappaToTheDifferenceOfTheDisplacements) {
  const double kappa = 250.0;
  const std::array<std::array<double, 4>, 4> states{
      {{0.0, 0.0, 0.03, 0.03}, {0.2, -0.1, 0.03, 0.03}, {0.0, 0.0, 0.03, -0.01}, {0.5, 0.4, -0.02, 0.05}}};
  Section s;
  for (const auto& y : states) {
    std::array<double, 4> with{}, without{};
    s.kappa = 0.0;
    set_up(s);
    motion_rhs(4, 0.3, y.data(), without.data());
    const ForceTerms before = forces_at(case_parameters(), model().structure, y);
    case_parameters().kappa = kappa;
    motion_rhs(4, 0.3, y.data(), with.data());
    const ForceTerms after = forces_at(case_parameters(), model().structure, y);
    const double pull = kappa * (y[2] - y[3]);
    EXPECT_NEAR(with[0] - without[0], -pull, kForceTolerance);
    EXPECT_NEAR(with[1] - without[1], pull, kForceTolerance);
    EXPECT_EQ(with[2], without[2]);
    EXPECT_EQ(with[3], without[3]);
    EXPECT_NEAR(after.restoring_force_1 - before.restoring_force_1, -pull, kForceTolerance);
    EXPECT_NEAR(after.restoring_force_2 - before.restoring_force_2, pull, kForceTolerance);
  }
}

TEST(TimeHistory, WithOnePointStoresTheStateAtTheEndTimeOnly) {
  Section s;
  s.npoints = 1;
  s.t_E = s.t_A + 0.01;  // one integrating call over the whole span
  run(s);
  ExactResponse exact(s);
  const TimeHistory& h = time_history();
  EXPECT_EQ(h.t[0], s.t_E);
  const Vec y = exact.next();
  for (std::size_t r = 0; r < 4; ++r)
    EXPECT_NEAR(stored_state(0)[r], static_cast<double>(y[r]), kOneStepErrorPerTol * s.tolerance);
  EXPECT_EQ(h.SumP[0][0], 0.0);
  EXPECT_EQ(h.SumP[1][0], 0.0);
  // The release call stores nothing.
  EXPECT_EQ(h.t[1], 0.0);
  EXPECT_EQ(stored_state(1), (std::array<double, 4>{}));
}

TEST(TimeHistory, WithTwoPointsRepeatsTheEndStateOneSpanLater) {
  Section s;
  s.npoints = 2;
  s.t_E = s.t_A + 0.01;
  run(s);
  ExactResponse exact(s);
  const TimeHistory& h = time_history();
  EXPECT_EQ(h.t[0], s.t_E);
  EXPECT_NEAR(h.t[1], s.t_E + (s.t_E - s.t_A), kTimeTolerance);
  const Vec y = exact.next();
  for (std::size_t r = 0; r < 4; ++r)
    EXPECT_NEAR(stored_state(0)[r], static_cast<double>(y[r]), kOneStepErrorPerTol * s.tolerance);
  EXPECT_EQ(stored_state(1), stored_state(0));
  EXPECT_EQ(h.SumP[0][0], 0.0);
  EXPECT_NE(h.SumP[0][1], 0.0);  // the release sample's increment
  EXPECT_EQ(h.t[2], 0.0);
}

}  // namespace
}  // namespace zelvan::driver
