// Integration with events: switching times and solutions against closed
// forms, on a problem whose right-hand side changes at each switch and on
// one passed through its events, and the argument errors.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "numlib/divpag_events.hpp"
#include "numlib/dset.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/tests/library_test_support.hpp"

namespace zelvan::numlib {
namespace {

using test_support::LibraryTest;
constexpr double kPi = std::numbers::pi;

// Global error allowed relative to TOL, as for DIVPAG's own solutions: local
// errors of size TOL per step add up; an event time is a solution value
// divided by a slope of order 1.
constexpr double kGlobalErrorPerTol = 200.0;
// The same on the switched oscillator over four periods: backward
// differentiation at TOL 1e-9 reaches 190 TOL on the smooth oscillator
// over that span and 270 TOL switched (its stiff phase oscillates twice
// as fast), Adams 6 and 24 TOL.
constexpr double kSwitchedErrorPerTol = 500.0;

std::array<double, 50> options(int meth) {
  std::array<double, 50> param{};
  DSET(50, 0.0, param.data(), 1);
  param[3] = 1.0e6;  // PARAM(4): most steps
  param[11] = meth;  // PARAM(12): METH
  param[12] = 2.0;   // PARAM(13): MITER, divided differences
  param[13] = 2.0;   // PARAM(14): MTYPE
  return param;
}

// y'' = -w^2 y with w = 1 for y >= 0 and w = 2 below: from y = 1 at rest,
// y = cos t to t = pi/2, then -(1/2) sin(2(t - pi/2)) to pi, sin(t - pi)
// to 2 pi, and so on with period 3 pi/2.  The stiffness is the switch.
struct Bilinear {
  double w2 = 1.0;
};
void bilinear(int, double, const double* y, double* f, void* user) {
  f[0] = y[1];
  f[1] = -static_cast<const Bilinear*>(user)->w2 * y[0];
}
double bilinear_exact(double t) {
  const double period = 1.5 * kPi;
  const double s = t - period * std::floor(t / period);  // from the peak
  if (s <= 0.5 * kPi) return std::cos(s);
  if (s <= kPi) return -0.5 * std::sin(2.0 * (s - 0.5 * kPi));
  return std::sin(s - kPi);
}

struct MethodAndTolerance {
  int meth;
  double tol;
};

class SwitchedOscillator : public LibraryTest, public ::testing::WithParamInterface<MethodAndTolerance> {};

// Each switch is found at its closed-form time with its direction, the
// stiffness changed there restarts the integration, and every output
// (some in each phase) lies on the closed-form solution.
TEST_P(SwitchedOscillator, FindsEachSwitchAtItsTimeAndRestartsWithTheNewRightHandSide) {
  const int meth = GetParam().meth;
  const double tol = GetParam().tol;
  Bilinear problem;
  std::vector<double> outputs;
  for (int i = 1; i <= 40; ++i) outputs.push_back(i * 0.3);
  std::vector<SwitchEvent> events;
  std::vector<double> given;
  const EventMarchResult r = march_with_events(
      2, bilinear, nullptr, &problem, tol, options(meth), 0.0, std::vector<double>{1.0, 0.0}, outputs, 1,
      [](double, const double* y, double* g) { g[0] = y[0]; },
      [&](std::size_t index, double x, const double* y) {
        EXPECT_EQ(x, outputs[index]);
        EXPECT_EQ(index, given.size());
        EXPECT_NEAR(y[0], bilinear_exact(x), kSwitchedErrorPerTol * tol) << x;
        given.push_back(x);
      },
      [&](const SwitchEvent& event, double*) {
        events.push_back(event);
        problem.w2 = event.direction < 0 ? 4.0 : 1.0;
        return EventAction::restart;
      });
  EXPECT_EQ(given.size(), outputs.size());
  // Switches at pi/2, pi, 2 pi, 5 pi/2, 7 pi/2 up to t = 12.
  std::vector<double> expected;
  for (int period = 0; period < 3; ++period) {
    for (double phase : {0.5 * kPi, kPi}) {
      if (period * 1.5 * kPi + phase < outputs.back()) expected.push_back(period * 1.5 * kPi + phase);
    }
  }
  ASSERT_EQ(events.size(), expected.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_NEAR(events[i].x, expected[i], kSwitchedErrorPerTol * tol) << i;
    EXPECT_EQ(events[i].direction, i % 2 == 0 ? -1 : 1) << i;
    EXPECT_EQ(events[i].which, 0);
  }
  EXPECT_EQ(r.events, 5);
  EXPECT_EQ(r.restarts, 5);
  EXPECT_GT(r.steps, 0);
  EXPECT_FALSE(divpag_diagnostics().active);
}

INSTANTIATE_TEST_SUITE_P(AdamsAndBdf, SwitchedOscillator,
                         ::testing::Values(MethodAndTolerance{1, 1e-6}, MethodAndTolerance{1, 1e-9},
                                           MethodAndTolerance{2, 1e-6}, MethodAndTolerance{2, 1e-9}));

void harmonic(int, double, const double* y, double* f, void*) {
  f[0] = y[1];
  f[1] = -y[0];
}

class Events : public LibraryTest {};

// Events the callback passes through leave the integration as it was: on
// y = cos t the levels 0.5 and -0.5 are crossed at their closed-form times,
// each function in its own order, and the outputs are those of a march
// without switching functions to the bit.
TEST_F(Events, PassedThroughLeaveTheSolutionAsWithoutThem) {
  constexpr double kTol = 1e-8;
  const std::vector<double> outputs{1.0, 2.5, 4.0, 7.0};
  const std::vector<double> start{1.0, 0.0};
  std::vector<std::array<double, 2>> plain, with_events;
  (void)march_with_events(
      2, harmonic, nullptr, nullptr, kTol, options(1), 0.0, start, outputs, 0, [](double, const double*, double*) {},
      [&](std::size_t, double, const double* y) {
        plain.push_back({y[0], y[1]});
      },
      [](const SwitchEvent&, double*) { return EventAction::pass; });
  std::vector<SwitchEvent> events;
  const EventMarchResult r = march_with_events(
      2, harmonic, nullptr, nullptr, kTol, options(1), 0.0, start, outputs, 2,
      [](double, const double* y, double* g) {
        g[0] = y[0] - 0.5;
        g[1] = y[0] + 0.5;
      },
      [&](std::size_t, double, const double* y) {
        with_events.push_back({y[0], y[1]});
      },
      [&](const SwitchEvent& event, double*) {
        events.push_back(event);
        return EventAction::pass;
      });
  EXPECT_EQ(with_events, plain);
  // cos t = 0.5 at pi/3, 5 pi/3; cos t = -0.5 at 2 pi/3, 4 pi/3 (t <= 7).
  const std::vector<SwitchEvent> expected{
      {0, -1, kPi / 3.0}, {1, -1, 2.0 * kPi / 3.0}, {1, 1, 4.0 * kPi / 3.0}, {0, 1, 5.0 * kPi / 3.0}};
  ASSERT_EQ(events.size(), expected.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].which, expected[i].which) << i;
    EXPECT_EQ(events[i].direction, expected[i].direction) << i;
    EXPECT_NEAR(events[i].x, expected[i].x, kGlobalErrorPerTol * kTol) << i;
  }
  EXPECT_EQ(r.restarts, 0);
}

// A stop ends the march at the event: no later output, the integrator
// released.
TEST_F(Events, EndTheMarchWhereTheCallbackStopsIt) {
  const std::vector<double> outputs{0.5, 1.0, 1.5, 2.0, 2.5};
  std::vector<double> given;
  const EventMarchResult r = march_with_events(
      2, harmonic, nullptr, nullptr, 1e-8, options(2), 0.0, std::vector<double>{1.0, 0.0}, outputs, 1,
      [](double, const double* y, double* g) { g[0] = y[0]; },
      [&](std::size_t, double x, const double*) { given.push_back(x); },
      [](const SwitchEvent&, double*) { return EventAction::stop; });
  EXPECT_TRUE(r.stopped);
  EXPECT_NEAR(r.x_end, kPi / 2.0, kGlobalErrorPerTol * 1e-8);
  EXPECT_EQ(given, (std::vector<double>{0.5, 1.0, 1.5}));
  EXPECT_FALSE(divpag_diagnostics().active);
}

// Each argument error stops the run with its message and integrates
// nothing.
TEST_F(Events, RefuseCountsAndOutputPointsOutsideTheirDomain) {
  struct Case {
    const char* name;
    int neq, count;
    std::vector<double> outputs;
    const char* message;
  };
  const std::vector<Case> cases{
      {"no equation", 0, 1, {1.0}, "NEQ = 0 and of switching functions COUNT = 1"},
      {"negative count", 2, -1, {1.0}, "COUNT = -1"},
      {"no output", 2, 1, {}, "The output points must be given"},
      {"an output at the start", 2, 1, {0.0, 1.0}, "beyond the start X"},
      {"decreasing outputs", 2, 1, {1.0, 0.5}, "increase"},
  };
  for (const Case& c : cases) {
    reset_error_handler();
    out.str("");
    bool integrated = false;
    const bool stopped = stops([&] {
      (void)march_with_events(
          c.neq, harmonic, nullptr, nullptr, 1e-6, options(1), 0.0, std::vector<double>{1.0, 0.0}, c.outputs, c.count,
          [](double, const double*, double*) {}, [&](std::size_t, double, const double*) { integrated = true; },
          [](const SwitchEvent&, double*) { return EventAction::pass; });
    });
    EXPECT_TRUE(stopped) << c.name;
    EXPECT_FALSE(integrated) << c.name;
    EXPECT_NE(unwrapped().find(c.message), std::string::npos) << c.name << ": " << unwrapped();
  }
}

}  // namespace
}  // namespace zelvan::numlib
