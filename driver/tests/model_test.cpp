// The aeroelastic model: which aerodynamic route the input selects, the
// coefficients of each route (the thin-plate products checked against
// cnm3dk called here), the corrections of Ma, aero_scale and f_s, the
// inputs outside a route's domain, and the inversion of the mass matrix.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;
using zcomplex = std::complex<double>;

// The coefficients are a few products of cnm3dk's values; the test forms
// them in its own order.
constexpr double kCoefficientTolerance = 1e-14;
// The inverse of a well-conditioned 2x2 matrix: a few roundings.
constexpr double kInverseTolerance = 1e-15;

const std::string kExternalLine = "\n>>> Aerodynamic loads from external coefficients. \n\n";
const std::string kThinPlateLine = "\n>>> Aerodynamic loads from 2D thin plate theory. \n\n";
const std::string kSignLine = "\n!!! Sign of input fs changed from minus to plus.   \n\n";

const std::array<double, 8> kReadCoefficients{1.5, -0.25, 2.0, 0.5, -3.0, 0.75, 0.125, -4.0};

std::array<double, 8> coefficients_of(const CaseParameters& cp) {
  return {cp.QR11, cp.QS11, cp.QR12, cp.QS12, cp.QR21, cp.QS21, cp.QR22, cp.QS22};
}

// The thin-plate coefficients for the corrected Ma and aero_scale:
// F*(i k c1), F*(c1 + c3), -F*(i k c2), -F*(c2 + c4), F = 2 pi beta scale.
std::array<double, 8> thin_plate_coefficients(double w_star, double x_p, double Ma, double aero_scale) {
  zcomplex c1, c2, c3, c4;
  aero::cnm3dk(w_star, x_p, c1, c2, c3, c4);
  const double F = 6.28318530717958 / std::sqrt(1.0 - Ma * Ma) * aero_scale;
  const zcomplex ik(0.0, w_star);
  const zcomplex q11 = F * ik * c1, q12 = F * (c1 + c3), q21 = -F * ik * c2, q22 = -F * (c2 + c4);
  return {q11.real(), q11.imag(), q12.real(), q12.imag(), q21.real(), q21.imag(), q22.real(), q22.imag()};
}

struct RouteCase {
  const char* label;
  CaseInput input;
  AeroRoute route;
  std::string console_after_start_up;  // the route line, and the sign line if any
  double f_s, Ma, aero_scale;          // after the model
};

void PrintTo(const RouteCase& c, std::ostream* os) { *os << c.label; }

class Route : public ::testing::TestWithParam<RouteCase> {};

TEST_P(Route, IsChosenFromWStarAndMaWithItsCorrectionsAndCoefficients) {
  const RouteCase& c = GetParam();
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  const RunResult result = run_analysis(case_records(c.input), /*flutter=*/false);
  ASSERT_EQ(result.status, 0) << result.console;
  EXPECT_EQ(result.console, std::string(kInputDataReadText) + c.console_after_start_up);

  const CaseParameters& cp = case_parameters();
  EXPECT_EQ(model().route, c.route);
  EXPECT_EQ(cp.f_s, c.f_s);
  EXPECT_EQ(cp.Ma, c.Ma);
  EXPECT_EQ(cp.aero_scale, c.aero_scale);
  const std::array<double, 8> actual = coefficients_of(cp);
  if (c.route == AeroRoute::external) {
    const std::array<double, 8> as_read = c.input.marker == '.' ? c.input.coefficients : std::array<double, 8>{};
    EXPECT_EQ(actual, as_read);
  } else {
    const std::array<double, 8> expected = thin_plate_coefficients(cp.w_star, cp.x_p, c.Ma, c.aero_scale);
    for (std::size_t i = 0; i < 8; ++i)
      EXPECT_NEAR(actual[i], expected[i], kCoefficientTolerance * std::fabs(expected[i])) << "coefficient " << i;
  }
}

CaseInput external_with_i_marker() {
  CaseInput c;
  c.marker = 'i';
  c.w_star = 0.0;
  c.Ma = 0.3;
  return c;
}

CaseInput external_read(double f_s, double aero_scale) {
  CaseInput c;
  c.marker = '.';
  c.coefficients = kReadCoefficients;
  c.f_s = f_s;
  c.w_star = 0.0;
  c.Ma = 0.05;
  c.aero_scale = aero_scale;
  return c;
}

CaseInput thin_plate(double f_s, double Ma, double aero_scale) {
  CaseInput c;
  c.marker = 'i';
  c.f_s = f_s;
  c.w_star = 0.2;
  c.x_p = 0.35;
  c.Ma = Ma;
  c.aero_scale = aero_scale;
  return c;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Route,
    ::testing::Values(RouteCase{"ZeroWStarWithoutCoefficientsIsExternalWithZeros", external_with_i_marker(),
                                AeroRoute::external, kExternalLine, 1000.0, 0.3, 1.0},
                      RouteCase{"ExternalRouteKeepsANegativeFs", external_read(-500.0, 1.0), AeroRoute::external,
                                kExternalLine, -500.0, 0.05, 1.0},
                      RouteCase{"ExternalRouteIgnoresTheScale", external_read(800.0, 2.0), AeroRoute::external,
                                kExternalLine, 800.0, 0.05, 2.0},
                      RouteCase{"MachOneTenthIsStillThinPlate", thin_plate(800.0, 0.1, 1.0), AeroRoute::thin_plate,
                                kThinPlateLine, 800.0, 0.1, 1.0},
                      RouteCase{"NegativeMachIsThinPlateWithItsMagnitude", thin_plate(800.0, -0.5, 1.0),
                                AeroRoute::thin_plate, kThinPlateLine, 800.0, 0.5, 1.0},
                      RouteCase{"ZeroScaleOnAComputedRouteMeansOne", thin_plate(800.0, 0.05, 0.0),
                                AeroRoute::thin_plate, kThinPlateLine, 800.0, 0.05, 1.0},
                      RouteCase{"ScaleMultipliesComputedCoefficients", thin_plate(800.0, 0.05, 2.0),
                                AeroRoute::thin_plate, kThinPlateLine, 800.0, 0.05, 2.0},
                      RouteCase{"NegativeFsOnAComputedRouteIsMadePositiveAfterTheRouteLine",
                                thin_plate(-300.0, 0.05, 1.0), AeroRoute::thin_plate, kThinPlateLine + kSignLine, 300.0,
                                0.05, 1.0}),
    ByLabel{});

TEST(Route, UsesThePrandtlGlauertFactorOfTheCorrectedMach) {
  // Ma = -0.5 must give beta = 1/sqrt(0.75) = 1.1547...: the coefficients
  // are those of Ma = 0 times that factor.
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  ASSERT_EQ(run_analysis(case_records(thin_plate(800.0, 0.0, 1.0)), false).status, 0);
  const std::array<double, 8> incompressible = coefficients_of(case_parameters());
  ASSERT_EQ(run_analysis(case_records(thin_plate(800.0, -0.5, 1.0)), false).status, 0);
  const std::array<double, 8> compressible = coefficients_of(case_parameters());
  const double beta = 1.0 / std::sqrt(0.75);
  for (std::size_t i = 0; i < 8; ++i)
    EXPECT_NEAR(compressible[i], beta * incompressible[i], kCoefficientTolerance * std::fabs(compressible[i]));
}

// Inputs outside a route's domain stop the run before any coefficient is
// computed and before the route line.
struct DomainCase {
  const char* label;
  double w_star, Ma;
  std::string message;
};

void PrintTo(const DomainCase& c, std::ostream* os) { *os << c.label; }

class RouteDomain : public ::testing::TestWithParam<DomainCase> {};

TEST_P(RouteDomain, StopsWithStatus1AndTheMessage) {
  const DomainCase& c = GetParam();
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  CaseInput input = thin_plate(800.0, c.Ma, 1.0);
  input.w_star = c.w_star;
  const RunResult result = run_analysis(case_records(input));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.console, std::string(kInputDataReadText) + c.message);
  EXPECT_EQ(coefficients_of(case_parameters()), (std::array<double, 8>{}));
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"case.inp"});
}

const std::string kStopMach = "\n*** ZELVAN terminated due to Mach number >= 1\n";

INSTANTIATE_TEST_SUITE_P(
    Limits, RouteDomain,
    ::testing::Values(DomainCase{"ThinPlateAtMachMinusOne", 0.2, -1.0,
                                 "\n!!! Thin plate theory needs |Ma| < 1, but |Ma| =   1.0000    \n" + kStopMach},
                      DomainCase{"ThinPlateBeyondMachMinusOne", 0.2, -1.5,
                                 "\n!!! Thin plate theory needs |Ma| < 1, but |Ma| =   1.5000    \n" + kStopMach},
                      DomainCase{
                          "PossioAtMachOne", 0.2, 1.0,
                          "\n!!! The Possio integral equation needs Ma < 1, but Ma =   1.0000    \n" + kStopMach},
                      DomainCase{"PossioWithANegativeWStar", -0.2, 0.5,
                                 "\n!!! The Possio integral equation needs w_star > 0, but w_star = -0.20000    \n"
                                 "\n*** ZELVAN terminated due to w_star < 0\n"},
                      DomainCase{"ThinPlateWithANegativeWStar", -0.3, 0.05,
                                 "\n!!! Thin plate theory needs w_star > 0, but w_star = -0.30000    \n"
                                 "\n*** ZELVAN terminated due to w_star < 0\n"}),
    ByLabel{});

// The mass matrix is inverted by DLINRG: a singular one is the library's
// fatal error and the run ends before the flutter analysis, the library's
// message between the note naming the masses and the stop line; one that
// is only ill-conditioned draws the warning alone and the run goes on.
TEST(MassMatrix, ThatIsSingularEndsTheRunInTheLibraryBeforeAnyFlutterOutput) {
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  CaseInput input;
  input.M_1 = 1.0;
  input.M_2 = 4.0;
  input.S_m = 2.0;
  const RunResult result = run_analysis(case_records(input));
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.console,
            std::string(kInputDataReadText) + kExternalLine +
                "\n"
                "!!! While inverting the mass matrix [[M_1, S_m], [S_m, M_2]] of the input\n"
                "    (M_1 =  1.0000    , M_2 =  4.0000    , S_m =  2.0000    ; singular when M_1*M_2 = S_m**2):\n"
                "\n"
                " *** FATAL    ERROR 2 from DLINRG.  The input matrix is singular.  Some of\n"
                " ***          the diagonal elements of the upper triangular matrix U of the\n"
                " ***          LU factorization are close to zero.\n"
                "\n"
                "*** ZELVAN terminated due to an error in the numerical library\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"case.inp"});
}

TEST(MassMatrix, ThatIsIllConditionedDrawsTheWarningAndTheRunGoesOn) {
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  CaseInput input;
  input.M_2 = 1e-17;  // condition number 1e17: beyond double precision, but not singular
  const RunResult result = run_analysis(case_records(input));
  EXPECT_EQ(result.status, 0) << result.console;
  const std::size_t warning = result.console.find("*** WARNING  ERROR 1 from DLINRG.");
  const std::size_t modes = result.console.find(" Eigenvalues and eigenvectors (only structural part):");
  EXPECT_NE(warning, std::string::npos) << result.console;
  EXPECT_NE(modes, std::string::npos) << result.console;
  EXPECT_LT(warning, modes);
  EXPECT_DOUBLE_EQ(model().mass_inverse[3], 1e17);
  EXPECT_TRUE(fs::exists(dir / "zelvan_fl.dat"));
}

TEST(MassMatrix, AndTheStiffnessMatrixAreBuiltFromTheCaseWithTheInverse) {
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  CaseInput input;
  input.M_1 = 2.0;
  input.M_2 = 0.5;
  input.S_m = 0.25;
  input.K_1 = 300.0;
  input.K_m = -20.0;
  input.K_2 = 50.0;
  ASSERT_EQ(run_analysis(case_records(input), false).status, 0);
  const AeroelasticModel& m = model();
  EXPECT_EQ(m.structure.mass, (std::array<double, 4>{2.0, 0.25, 0.25, 0.5}));
  EXPECT_EQ(m.structure.stiffness, (std::array<double, 4>{300.0, -20.0, -20.0, 50.0}));
  // The inverse of [[2, 0.25], [0.25, 0.5]] is [[0.5, -0.25], [-0.25, 2]] / 0.9375.
  const std::array<double, 4> inverse{0.5 / 0.9375, -0.25 / 0.9375, -0.25 / 0.9375, 2.0 / 0.9375};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(m.mass_inverse[i], inverse[i], kInverseTolerance) << i;
  std::array<double, 16> state{};
  for (std::size_t i = 0; i < 4; ++i) state[i * 5] = 1.0;
  state[0] = 2.0;
  state[1] = state[4] = 0.25;
  state[5] = 0.5;
  EXPECT_EQ(m.state_mass_matrix, state);
}

}  // namespace
}  // namespace zelvan::driver
