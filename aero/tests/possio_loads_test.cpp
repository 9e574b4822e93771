// The Possio solver: validation against independent solutions and the
// reference assembly, the limits that hold exactly (thin plate, steady,
// piston theory), the switches, the listing, the domain and the linear
// solver.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "aero/aero_route.hpp"
#include "aero/detail/possio_linear.hpp"
#include "aero/possio_loads.hpp"
#include "aero/thin_plate_matrix.hpp"
#include "test_support/scratch_dir.hpp"
#include "textio/console.hpp"
#include "textio/stop.hpp"

namespace zelvan::aero {
namespace {

namespace fs = std::filesystem;
using Complex = std::complex<double>;

// Every test works in a fresh scratch folder (the solver writes its listing
// file into the working folder), removed afterwards.
class PossioSolverTest : public ::testing::Test {
 protected:
  void SetUp() override { scratch_.emplace("zelvan_possio_test"); }
  void TearDown() override { scratch_.reset(); }

  // The block as the driver sets it up, with the case's M, k and xr.
  static PossioBlock block(double mach, double k, double xr) {
    PossioBlock b;
    b.possio_switches = {1, 1, 0, 0};
    b.possio_listing = "possio_sub.out      ";
    b.mach = mach;
    b.omred = k;
    b.xr = xr;
    return b;
  }

  static std::string listing_text() {
    std::ostringstream text;
    text << std::ifstream("possio_sub.out", std::ios::binary).rdbuf();
    return text.str();
  }

  static Complex q(const PossioBlock& b, int row, int column) {
    return b.q[static_cast<std::size_t>(row - 1) + 3 * static_cast<std::size_t>(column - 1)];
  }

 private:
  std::optional<test_support::ScratchWorkingDir> scratch_;
};

TEST_F(PossioSolverTest, AgreesWithAnIndependentLatticeSolution) {
  // Load coefficients of a doublet-lattice solution extrapolated to zero
  // panel size (it reproduces the Theodorsen function to 3e-6 at M = 0),
  // mid-chord axis, given to four decimals.
  constexpr double kLatticeTolerance = 1e-3;
  struct Case {
    double mach, k;
    Complex q11, q12, q21, q22;
  };
  for (const Case& c : {Case{0.5, 0.2, {0.1928, 0.9605}, {4.9829, -0.4941}, {-0.0903, -0.2350}, {-1.2287, 0.5190}},
                        Case{0.7, 0.5, {0.1674, 2.1434}, {5.0071, 0.4547}, {-0.3602, -0.3948}, {-0.9323, 1.1518}}}) {
    PossioBlock b = block(c.mach, c.k, 0.0);
    PossioSolver().solve(b);
    EXPECT_LE(std::abs(q(b, 1, 1) - c.q11), kLatticeTolerance) << "M = " << c.mach;
    EXPECT_LE(std::abs(q(b, 1, 2) - c.q12), kLatticeTolerance) << "M = " << c.mach;
    EXPECT_LE(std::abs(q(b, 2, 1) - c.q21), kLatticeTolerance) << "M = " << c.mach;
    EXPECT_LE(std::abs(q(b, 2, 2) - c.q22), kLatticeTolerance) << "M = " << c.mach;
  }
}

TEST(PossioFastSolve, GivesTheReferenceAssemblysLoadsWithItsFarFieldConstantAcrossMachFrequencyAndAxis) {
  // The reference's own quadratures set the difference: its C0 is
  // good to the Romberg tolerance (1e-8; 9e-9 relative at M = 0.5,
  // k = 0.5, which moves the loads there by 9e-10), its near-field
  // integrals to better, its E1 series to about 1e-11.
  constexpr double kAgreement = 1e-9;
  struct Case {
    double mach, k;
  };
  // A grid over the middle of the domain, then its corners where the
  // reference is still that accurate: small k, k = 5 at low M, M = 0.9
  // and 0.95 up to near the frequency limit.
  const Case cases[] = {{0.2, 0.05}, {0.2, 0.5}, {0.2, 2.0},     {0.5, 0.05},   {0.5, 0.5},   {0.5, 2.0}, {0.8, 0.05},
                        {0.8, 0.5},  {0.8, 2.0}, {0.1001, 0.01}, {0.1001, 5.0}, {0.95, 0.02}, {0.9, 2.0}, {0.95, 1.0}};
  const double axes[] = {-0.3, 0.2};
  PossioSolver by_quadrature;
  PossioSolver fast;
  for (const Case& c : cases) {
    by_quadrature.assemble_by_quadrature(c.mach, c.k);
    fast.assemble(c.mach, c.k, PossioFarField::leading_term_beyond_cut);
    for (double xr : axes) {
      const std::array<Complex, 4> reference = by_quadrature.plunge_pitch_loads(xr);
      const std::array<Complex, 4> loads = fast.plunge_pitch_loads(xr);
      double largest = 0.0;
      for (const Complex& q : reference) largest = std::max(largest, std::abs(q));
      for (std::size_t e = 0; e < loads.size(); ++e) {
        EXPECT_LE(std::abs(loads[e] - reference[e]), kAgreement * largest)
            << "M = " << c.mach << ", k = " << c.k << ", xr = " << xr << ", entry " << e;
      }
    }
  }
}

TEST(PossioFastSolve, GivesTheLoadsOfAnIndependentHighPrecisionSolveWhereTheReferenceAssemblyIsLeastAccurate) {
  // The mpmath loads (tools/gen_possio_matrix_reference.py: the same
  // collocation equations at 30 digits, with C0 itself) are exact for this
  // purpose, and the reference assembly is off by up to 2e-9 at these
  // points (its E1 series near the frequency limit, its Romberg
  // tolerance), more than the fast loads are.  Measured at most 6.2e-13
  // of the largest entry; the fast pieces are each good to 1e-12 or
  // better but for the real-argument Hankel functions near x = 15 (5e-11
  // relative, in part of C0's path), so 1e-10 leaves room for another
  // compiler's or library's rounding while catching any error of the
  // size the reference assembly could hide.
  constexpr double kAgainstHighPrecision = 1e-10;
  std::ifstream in(std::string(ZELVAN_SOURCE_DIR) + "/aero/tests/data/possio_matrix_reference.txt");
  ASSERT_TRUE(in.good()) << "reference data missing";
  int points = 0;
  PossioSolver fast;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string tag;
    double mach = 0.0;
    double k = 0.0;
    double xr = 0.0;
    if (!(fields >> tag >> mach >> k >> xr) || tag != "exact") continue;
    std::array<Complex, 4> reference;
    for (Complex& q : reference) {
      double re = 0.0;
      double im = 0.0;
      fields >> re >> im;
      q = {re, im};
    }
    ++points;
    fast.assemble(mach, k);
    const std::array<Complex, 4> loads = fast.plunge_pitch_loads(xr);
    double largest = 0.0;
    for (const Complex& q : reference) largest = std::max(largest, std::abs(q));
    for (std::size_t e = 0; e < loads.size(); ++e) {
      EXPECT_LE(std::abs(loads[e] - reference[e]), kAgainstHighPrecision * largest)
          << "M = " << mach << ", k = " << k << ", xr = " << xr << ", entry " << e;
    }
  }
  EXPECT_GT(points, 0) << "no reference loads";
}

// The limits that hold exactly, for the coefficients as a run takes them
// (the route evaluator, scaled as the model scales them), column-major
// [q11, q21, q12, q22] with x the chordwise position in half chords and
// the downwash w(x) of the solver (i k in plunge, -1 - i k (x - xr) in
// pitch):
//  * M -> 0.1: the thin-plate matrix of the same k, x_p and M;
//  * k -> 0: the steady flat plate, lift slope 2 pi/beta, acting at the
//    quarter chord, and no load in plunge;
//  * k M -> infinity: piston theory, the local pressure jump
//    dcp(x) = -4 w(x)/M, so q11 = 4ik/M, q21 = -2ik xr/M,
//    q12 = (4/M)(1 - ik xr), q22 = (1/M)(-2 xr + ik (2/3 + 2 xr^2)).
TEST(PossioLimits, AreThinPlateTheoryNearMachOneTenthTheSteadyPlateAtLowFrequencyAndPistonTheoryAtHighFrequency) {
  // Compressibility at M = 0.1001, which grows with k: measured 0.46 % of
  // the largest entry at k = 0.2, 1.33 % at k = 1.
  constexpr double kThinPlateAtLowFrequency = 0.008;
  constexpr double kThinPlateAtUnitFrequency = 0.02;
  // The first unsteady term of the loads is of order k ln k (the wake):
  // measured 1.1 k |ln k| = 1.5e-5 at k = 1e-6.
  constexpr double kSteadyAtMicroFrequency = 3e-5;
  // Near the edges, over about 1/(k M) half chords, the pressure is not
  // local; within the domain k M reaches only about 4.8: measured 4.6 %
  // (M = 0.5, k = 9) and 3.8 % (M = 0.6, k = 7.7) of the largest entry.
  constexpr double kPistonNearTheFrequencyLimit = 0.06;

  enum class Limit { thin_plate, steady, piston };
  struct Case {
    const char* label;
    Limit limit;
    double mach, k, xr, tolerance;
  };
  const Case cases[] = {
      {"thin plate, k = 0.2", Limit::thin_plate, 0.1001, 0.2, -0.5, kThinPlateAtLowFrequency},
      {"thin plate, k = 1", Limit::thin_plate, 0.1001, 1.0, -0.2, kThinPlateAtUnitFrequency},
      {"steady, M = 0.3", Limit::steady, 0.3, 1e-6, -0.2, kSteadyAtMicroFrequency},
      {"steady, M = 0.5", Limit::steady, 0.5, 1e-6, 0.4, kSteadyAtMicroFrequency},
      {"piston, M = 0.5", Limit::piston, 0.5, 9.0, -0.2, kPistonNearTheFrequencyLimit},
      {"piston, M = 0.6", Limit::piston, 0.6, 7.7, 0.4, kPistonNearTheFrequencyLimit},
  };
  const Complex i(0.0, 1.0);
  for (const Case& c : cases) {
    const double x_p = (c.xr + 1.0) / 2.0;
    const double beta = std::sqrt(1.0 - c.mach * c.mach);
    Matrix2 limit{};
    switch (c.limit) {
      case Limit::thin_plate:
        limit = thin_plate_matrix(c.k, x_p, c.mach, 1.0, "k");
        break;
      case Limit::steady:
        limit = {0.0, 0.0, 2.0 * std::numbers::pi / beta, -(c.xr + 0.5) * std::numbers::pi / beta};
        break;
      case Limit::piston:
        limit = {4.0 * i * c.k / c.mach, -2.0 * i * c.k * c.xr / c.mach, (4.0 / c.mach) * (1.0 - i * c.k * c.xr),
                 (-2.0 * c.xr + i * c.k * (2.0 / 3.0 + 2.0 * c.xr * c.xr)) / c.mach};
        break;
    }
    AeroRouteEvaluator possio(AeroRoute::possio, x_p, 1.0, "k");
    ASSERT_TRUE(possio.in_domain(c.k, c.mach)) << c.label;
    const Matrix2 q = possio.coefficients(c.k, c.mach);
    double largest = 0.0;
    for (const Complex& t : limit) largest = std::max(largest, std::abs(t));
    for (std::size_t e = 0; e < 4; ++e) {
      EXPECT_LE(std::abs(q[e] - limit[e]), c.tolerance * largest) << c.label << ", entry " << e;
    }
  }
}

TEST_F(PossioSolverTest, ChangesOnlyTheSwitchedColumnsAndCreatesAnEmptyListing) {
  const Complex untouched(123.0, -456.0);
  PossioBlock b = block(0.5, 0.2, -0.5);
  b.q.fill(untouched);
  std::ostringstream console;
  {
    textio::ConsoleRedirect redirect(console);
    PossioSolver().solve(b);
  }
  for (int row = 1; row <= 3; ++row) {
    EXPECT_NE(q(b, row, 1), untouched);
    EXPECT_NE(q(b, row, 2), untouched);
    EXPECT_EQ(q(b, row, 3), untouched);
  }
  EXPECT_TRUE(fs::exists("possio_sub.out"));
  EXPECT_EQ(listing_text(), "");
  EXPECT_EQ(console.str(), "");
}

TEST_F(PossioSolverTest, GivesAZeroAileronColumnWhenTheHingeLiesAftOfEveryCollocationPoint) {
  // cos(pi/43) = 0.99733: with the hinge aft of it every downwash is zero.
  PossioSolver solver;
  solver.assemble(0.5, 0.2);
  PossioBlock b = block(0.5, 0.2, 0.0);
  b.possio_switches = {0, 0, 1, 0};
  b.xrud = 0.998;
  b.q.fill(Complex(7.0, 7.0));
  solver.store_loads(b);
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(q(b, row, 3), Complex(0.0, 0.0));
    EXPECT_EQ(q(b, row, 1), Complex(7.0, 7.0));
  }
  // A hinge just forward of the last point gives a non-zero column.
  b.xrud = 0.997;
  solver.store_loads(b);
  EXPECT_NE(q(b, 1, 3), Complex(0.0, 0.0));
}

TEST_F(PossioSolverTest, GivesTheLoadsOfEveryDegreeOfFreedomToTheBitsOfASolveWithoutWritingAListing) {
  PossioSolver solver;
  solver.assemble(0.7, 0.8);
  PossioBlock b = block(0.7, 0.8, -0.4);
  b.possio_switches = {1, 1, 1, 0};
  b.xrud = 0.5;
  const std::array<Complex, 9> loads = solver.loads(b.xr, b.xrud);
  EXPECT_FALSE(fs::exists("possio_sub.out"));
  solver.store_loads(b);
  for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(loads[i], b.q[i]) << i;
}

TEST_F(PossioSolverTest, ListsThePressureDistributionsOnTheConsoleAndInTheFile) {
  PossioSolver solver;
  solver.assemble(0.5, 0.2);
  PossioBlock b = block(0.5, 0.2, -0.5);
  b.possio_switches = {1, 1, 1, 1};
  b.xrud = 0.6;
  std::ostringstream console;
  {
    textio::ConsoleRedirect redirect(console);
    solver.store_loads(b);
  }
  const std::string text = listing_text();
  EXPECT_EQ(console.str(), text);

  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  const std::size_t block_lines = 2 + 2 + 2 + 3 + 2 + 21;
  ASSERT_EQ(lines.size(), 3 * block_lines);
  const std::vector<std::string> head = {
      "",
      "          Mach number        : 0.5000",
      "",
      "          Reduced frequency : 0.2000",
      "",
      "          DOF profile plunge",
      "",
      "          Pressure distribution ",
      "",
      "              x         Re(dcp)       Im(dcp)",
      "          --------------------------------------",
  };
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 11), head);
  EXPECT_EQ(lines[block_lines + 5], "          DOF profile pitch at xr = -0.500");
  EXPECT_EQ(lines[2 * block_lines + 5], "          DOF aileron pitch at xrud =  0.600");
  // 21 rows from the trailing edge forward, each 10X, F8.4, 2X, F12.8, 2X, F12.8.
  EXPECT_EQ(lines[11].substr(0, 18), "            0.9973");
  EXPECT_EQ(lines[31].substr(0, 18), "           -0.9893");
  for (std::size_t i = 11; i < block_lines; ++i) EXPECT_EQ(lines[i].size(), 10u + 8 + 2 + 12 + 2 + 12);
}

TEST_F(PossioSolverTest, EndsTheRunForInputsOutsideItsDomain) {
  struct Case {
    const char* label;
    double mach, k, xrud;
    const char* first_line;
  };
  const Case cases[] = {
      {"Mach below 0.1", 0.05, 0.2, 0.0, "!!! Possio integral equation: Mach number  5.00000E-02"},
      {"Mach 1", 1.0, 0.2, 0.0, "!!! Possio integral equation: Mach number   1.0000    "},
      {"zero frequency", 0.5, 0.0, 0.0, "!!! Possio integral equation: reduced frequency  0.00000E+00"},
      {"negative frequency", 0.5, -0.2, 0.0, "!!! Possio integral equation: reduced frequency -0.20000    "},
      {"NaN frequency", 0.5, std::nan(""), 0.0, "!!! Possio integral equation: reduced frequency ************"},
      {"frequency beyond the E1 series", 0.9, 2.5, 0.0,
       "!!! Possio integral equation: reduced frequency   2.5000     at Mach number  0.90000    "},
      {"hinge off the chord", 0.5, 0.2, 1.5, "!!! Possio integral equation: aileron hinge xrud =   1.5000    "},
  };
  for (const Case& c : cases) {
    PossioBlock b = block(c.mach, c.k, 0.0);
    b.xrud = c.xrud;
    b.q.fill(Complex(1.0, 2.0));
    std::string text;
    try {
      PossioSolver().solve(b);
      ADD_FAILURE() << c.label << ": no stop";
    } catch (const textio::RunStop& stop) {
      EXPECT_EQ(stop.reason(), textio::StopReason::limit_violation) << c.label;
      text = stop.console_text();
    }
    EXPECT_EQ(text.substr(0, text.find('\n', 1) + 1), std::string("\n") + c.first_line + "\n") << c.label;
    EXPECT_FALSE(fs::exists("possio_sub.out")) << c.label;
    EXPECT_EQ(q(b, 1, 1), Complex(1.0, 2.0)) << c.label;
  }
}

TEST_F(PossioSolverTest, EndsTheRunWhenTheCollocationSystemIsSingular) {
  PossioSolver solver;
  solver.assemble(0.5, 0.2);
  for (int i = 0; i < kPossioModes; ++i)
    solver.matrix()[static_cast<std::size_t>(i) + std::size_t{kPossioModes} * 4] = 0.0;
  PossioBlock b = block(0.5, 0.2, 0.0);
  b.q.fill(Complex(1.0, 2.0));
  std::string text;
  try {
    solver.store_loads(b);
  } catch (const textio::RunStop& stop) {
    EXPECT_EQ(stop.reason(), textio::StopReason::limit_violation);
    text = stop.console_text();
  }
  EXPECT_EQ(text,
            "\n!!! Possio integral equation: the collocation system is singular\n"
            "    (zero pivot in column  5, degree of freedom 1).\n\n"
            "*** ZELVAN terminated due to an error in the Possio solver\n");
  EXPECT_EQ(q(b, 1, 1), Complex(1.0, 2.0));
}

TEST(PossioGaussJordan, GivesTheDeterminantWithTheSignOfTheRowPermutation) {
  const Complex i(0.0, 1.0);
  struct Case {
    const char* label;
    int n;
    std::vector<Complex> a;  // column-major
    Complex det;
  };
  const Case cases[] = {
      {"no exchange: product of the pivots", 3, {4.0, 1.0, 0.5, 0.0, 3.0 * i, 1.0, 0.0, 0.0, -2.0}, -24.0 * i},
      {"one exchange", 2, {0.0, 1.0, 1.0, 0.0}, -1.0},
      {"cyclic permutation, two exchanges", 3, {0.0, 1.0, 0.0, 0.0, 0.0, 2.0 * i, 3.0, 0.0, 0.0}, 6.0 * i},
  };
  for (const Case& c : cases) {
    const std::vector<Complex> w(static_cast<std::size_t>(c.n), Complex(1.0, -1.0));
    std::vector<Complex> x(static_cast<std::size_t>(c.n));
    const GaussJordanResult r = possio_gauss_jordan(c.n, c.a.data(), c.n, w.data(), x.data());
    ASSERT_TRUE(r.solved) << c.label;
    EXPECT_LE(std::abs(r.determinant - c.det), 1e-14 * std::abs(c.det)) << c.label;
  }
}

TEST(PossioGaussJordan, StopsAtAZeroPivotWithoutWritingTheSolution) {
  const std::vector<Complex> a = {1.0, 2.0, 2.0, 4.0};  // second column twice the first
  const std::vector<Complex> w = {1.0, 1.0};
  std::vector<Complex> x = {Complex(9.0, 9.0), Complex(9.0, 9.0)};
  const GaussJordanResult r = possio_gauss_jordan(2, a.data(), 2, w.data(), x.data());
  EXPECT_FALSE(r.solved);
  EXPECT_EQ(r.zero_pivot_column, 2);
  EXPECT_EQ(r.determinant, Complex(0.0, 0.0));
  EXPECT_EQ(x[0], Complex(9.0, 9.0));
}

}  // namespace
}  // namespace zelvan::aero
