// Bessel functions J0, J1, Y0, Y1: accuracy against a high-precision
// reference table, exact values and symmetries, and their errors.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "core/core.hpp"
#include "numlib/bessel.hpp"
#include "numlib/detail/bessel_internal.hpp"
#include "numlib/numlib.hpp"
#include "numlib/tests/library_test_support.hpp"

namespace zelvan::numlib {
namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();

// The series, the argument x^2/8 - 1 and the phase x - pi/4 each round a
// few times; their errors act like a relative perturbation of x, so a
// result may be off by a few roundings of |f| + |x f'(x)|.
constexpr double kConditionedTolerance = 4.0;
// Absolute error at arguments within two doubles of the first six zeros
// (below 20): a few roundings of the O(1) terms that cancel there.
constexpr double kZeroAbsoluteTolerance = 4.0 * kEps;
// The quoted reference values at 1 carry 16 significant digits.
constexpr double kQuotedRelativeTolerance = 4.0 * kEps;

// Library state reset around each test, messages captured.
class BesselFunctions : public test_support::LibraryTest {};

// One row of numlib/tests/data/bessel_reference.txt (see
// tools/gen_bessel_reference.py): x and J0, J1, Y0, Y1 at x, the values kept
// in long double so that the measured error is not blurred by their own
// rounding.
struct ReferenceRow {
  double x;
  std::array<long double, 4> f;
};

std::vector<ReferenceRow> read_reference() {
  std::ifstream in(std::string(ZELVAN_SOURCE_DIR) + "/numlib/tests/data/bessel_reference.txt");
  std::vector<ReferenceRow> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string text;
    ReferenceRow row{};
    fields >> text;
    row.x = std::strtod(text.c_str(), nullptr);
    for (long double& value : row.f) {
      fields >> text;
      value = std::strtold(text.c_str(), nullptr);
    }
    rows.push_back(row);
  }
  return rows;
}

struct Function {
  const char* name;
  double (*compute)(double);
  // Index of the function in a reference row and x*f'(x) from the row:
  // J0' = -J1, J1' = J0 - J1/x, Y0' = -Y1, Y1' = Y0 - Y1/x.
  int column;
  long double (*x_derivative)(const ReferenceRow&);
};

const std::array<Function, 4> kFunctions = {{
    {"DBSJ0", DBSJ0, 0, [](const ReferenceRow& r) { return -r.x * r.f[1]; }},
    {"DBSJ1", DBSJ1, 1, [](const ReferenceRow& r) { return r.x * r.f[0] - r.f[1]; }},
    {"DBSY0", DBSY0, 2, [](const ReferenceRow& r) { return -r.x * r.f[3]; }},
    {"DBSY1", DBSY1, 3, [](const ReferenceRow& r) { return r.x * r.f[2] - r.f[3]; }},
}};

TEST_F(BesselFunctions, MatchTheHighPrecisionReferenceFrom1e8To1e5) {
  const std::vector<ReferenceRow> rows = read_reference();
  ASSERT_GT(rows.size(), 3000u) << "reference table missing or short";
  for (const Function& fn : kFunctions) {
    double worst = 0.0, worst_x = 0.0;
    for (const ReferenceRow& row : rows) {
      const long double exact = row.f[static_cast<std::size_t>(fn.column)];
      const double error = static_cast<double>(std::fabs(fn.compute(row.x) - exact));
      const double scale = static_cast<double>(std::fabs(exact) + std::fabs(fn.x_derivative(row)));
      if (error / (kEps * scale) > worst) {
        worst = error / (kEps * scale);
        worst_x = row.x;
      }
    }
    EXPECT_LE(worst, kConditionedTolerance) << fn.name << " worst at x = " << worst_x;
  }
  EXPECT_EQ(out.str(), "");
}

TEST_F(BesselFunctions, AreAccurateInAbsoluteTermsNextToTheirFirstZeros) {
  int checked = 0;
  for (const ReferenceRow& row : read_reference()) {
    if (row.x >= 20.0) continue;
    for (const Function& fn : kFunctions) {
      const long double exact = row.f[static_cast<std::size_t>(fn.column)];
      if (std::fabs(exact) > 1e-14L) continue;
      ++checked;
      EXPECT_LE(static_cast<double>(std::fabs(fn.compute(row.x) - exact)), kZeroAbsoluteTolerance)
          << fn.name << " at x = " << row.x;
    }
  }
  EXPECT_GE(checked, 4 * 6 * 5) << "the table should hold five arguments at each of the first six zeros";
}

TEST_F(BesselFunctions, GiveTheQuotedValuesAtOne) {
  const struct {
    double (*compute)(double);
    double expected;
  } cases[] = {
      {DBSJ0, 0.7651976865579666},
      {DBSJ1, 0.4400505857449335},
      {DBSY0, 0.08825696421567696},
      {DBSY1, -0.7812128213002887},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(c.compute(1.0), c.expected, kQuotedRelativeTolerance * std::fabs(c.expected));
  }
}

TEST_F(BesselFunctions, OfOrderZeroAndOneAreExactlyOneAndZeroAtZero) {
  EXPECT_EQ(DBSJ0(0.0), 1.0);
  EXPECT_EQ(DBSJ1(0.0), 0.0);
}

TEST_F(BesselFunctions, OfTheFirstKindAreEvenAndOddOnBothSidesOfTheSwitchPoints) {
  for (const double x : {1e-9, 0.5, 3.999, 4.0, 4.001, 7.5, 8.0, 8.5, 123.25, 1e12}) {
    EXPECT_EQ(DBSJ0(-x), DBSJ0(x)) << x;
    EXPECT_EQ(DBSJ1(-x), -DBSJ1(x)) << x;
  }
  EXPECT_EQ(out.str(), "");
}

TEST_F(BesselFunctions, OfTheFirstKindGiveASilentZeroWhenJ1Underflows) {
  EXPECT_EQ(DBSJ1(-3e-308), 0.0);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(N1RTY(1), 2);
  EXPECT_EQ(N1RCD(1), 1);
  EXPECT_EQ(pending_error_message(),
            "The function underflows because ABS(-3.000000000000000-308) is less than "
            "4.451180000000000-308. The result is set to zero.");
}

struct ErrorCase {
  const char* what;
  std::function<double()> call;
  std::string first_line;  // the printed header and message, unwrapped
};

TEST_F(BesselFunctions, StopTheRunOnArgumentsOutsideTheirDomains) {
  const ErrorCase cases[] = {
      {"Y0 at zero", [] { return DBSY0(0.0); },
       " *** TERMINAL ERROR 1 from DBSY0.  X = 0.000000000000000D+00 must be greater than 0.0."},
      {"Y0 below zero", [] { return DBSY0(-2.5); },
       " *** TERMINAL ERROR 1 from DBSY0.  X = -2.500000000000000D+00 must be greater than 0.0."},
      {"Y1 at zero", [] { return DBSY1(0.0); },
       " *** TERMINAL ERROR 1 from DBSY1.  X = 0.000000000000000D+00 must be greater than 0.0."},
      {"Y1 overflowing", [] { return DBSY1(3e-308); },
       " *** TERMINAL ERROR 4 from DBSY1.  The function overflows because X = 3.000000000000000-308 is "
       "less than 3.531"},
      {"J0 beyond the last phase digit", [] { return DBSJ0(-1e16); },
       " *** FATAL    ERROR 2 from DBSJ0.  All precision is lost. X = 1.000000000000000D+16 must be less "
       "than 4.502557"},
      {"Y1 beyond the last phase digit", [] { return DBSY1(1e16); },
       " *** FATAL    ERROR 2 from DBSY1.  All precision is lost. X = 1.000000000000000D+16 must be less "
       "than 4.502557"},
  };
  for (const ErrorCase& c : cases) {
    reset_error_handler();
    out.str("");
    EXPECT_TRUE(stops([&] { c.call(); })) << c.what;
    EXPECT_EQ(unwrapped().substr(0, 1 + c.first_line.size()), "\n" + c.first_line) << c.what;
  }
}

TEST_F(BesselFunctions, SeriesHelpersReportMisuseWithTheirOwnNames) {
  const double series[] = {1.0, 0.5, 1e-20, 1e-20};
  EXPECT_EQ(INITDS(series, 4, 1e-17f), 2) << "the two tiny terms are the tail that can go";
  EXPECT_DOUBLE_EQ(DCSEVL(0.5, series, 2), 0.75) << "1/2 + 0.5 T1(0.5)";
  EXPECT_EQ(out.str(), "");

  const ErrorCase cases[] = {
      {"no terms", [&] { return DCSEVL(0.0, series, 0); },
       " *** TERMINAL ERROR 1 from DCSEVL.  The number of terms in the series is not positive. N = 0."},
      {"too many terms", [&] { return DCSEVL(0.0, series, 1001); },
       " *** TERMINAL ERROR 2 from DCSEVL.  The number of terms in the series is greater than 1000. N = 1001."},
      {"outside the interval", [&] { return DCSEVL(1.25, series, 4); },
       " *** FATAL    ERROR 3 from DCSEVL.  The argument X = 1.250000000000000D+00 is outside the interval "
       "(-1.1,+1.1)."},
      {"no coefficients", [&] { return static_cast<double>(INITDS(series, 0, 1e-17f)); },
       " *** TERMINAL ERROR 5 from INITDS.  The number of coefficients is less than 1. NOS = 0."},
      {"accuracy beyond the series", [&] { return static_cast<double>(INITDS(series, 4, 1e-21f)); },
       " *** TERMINAL ERROR 6 from INITDS.  Too much accuracy may be requested. ETA should be increased."},
  };
  for (const ErrorCase& c : cases) {
    reset_error_handler();
    out.str("");
    EXPECT_TRUE(stops([&] { c.call(); })) << c.what;
    EXPECT_EQ(unwrapped().substr(0, 1 + c.first_line.size()), "\n" + c.first_line) << c.what;
  }
}

}  // namespace
}  // namespace zelvan::numlib
