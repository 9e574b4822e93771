// The flutter analysis: every row of "zelvan_fl.dat" recomputed here with
// LAPACK's zgeev (same ordering; the oracle's own 2*pi and zero test of an
// eigenvector component) and compared to
// the printed digits; the dynamic-pressure steps, the console blocks of a
// sweep without steps, the purely structural case, and the closed-form
// structural modes with their guards and the reference frequency.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "driver/tests/driver_test_support.hpp"

extern "C" void zgeev_(const char* jobvl, const char* jobvr, const int* n, std::complex<double>* a, const int* lda,
                       std::complex<double>* w, std::complex<double>* vl, const int* ldvl, std::complex<double>* vr,
                       const int* ldvr, std::complex<double>* work, const int* lwork, double* rwork, int* info,
                       std::size_t jobvl_len, std::size_t jobvr_len);

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;
using zcomplex = std::complex<double>;

// The oracle's own 2*pi, to full double precision (the driver's is a
// truncated legacy value; the two differ by 1e-15 relative, far below the
// printed digits).
constexpr double kTwoPi = 2.0 * std::numbers::pi;
// LAPACK returns eigenvectors of unit length: a first component this small
// is zero up to the solver's rounding, and the ratio is then taken against 1.
constexpr double kZeroComponent = 64.0 * std::numeric_limits<double>::epsilon();
// Beyond half a unit in the last printed digit: the two eigen-solvers and
// the two mass inverses differ by rounding errors of about 1e-13.
constexpr double kPrintSlack = 1e-9;
// Two eigenvalue moduli this close (relative) may come in either order.
constexpr double kModulusTie = 1e-12;
// A ratio that prints as zero has a phase set by rounding noise alone.
constexpr double kNoPhaseBelow = 1e-6;
// Structural frequencies from the expanded and the compact form of the
// roots differ by rounding.
constexpr double kFrequencyTolerance = 1e-12;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// --- the oracle -----------------------------------------------------------

struct ModeValues {
  double f, d, g;
  zcomplex e2;
  double magnitude, phase;
};

// f, d, g and the eigenvector ratio of eigenvalue `lambda` with LAPACK's
// unit eigenvector (v1, v2): frequency and decay from sqrt(lambda), the
// ratio v2/v1 (against 1 where v1 is zero).
ModeValues mode_values(zcomplex lambda, zcomplex v1, zcomplex v2) {
  if (std::abs(v1) <= kZeroComponent) v1 = 1.0;
  ModeValues m{};
  const zcomplex w = std::sqrt(lambda);
  m.f = w.real() / kTwoPi;
  m.d = w.imag() / kTwoPi;
  m.g = m.f != 0.0 ? m.d / m.f * kTwoPi : kNaN;
  m.e2 = v2 / v1;
  m.magnitude = std::abs(m.e2);
  m.phase = std::atan2(m.e2.imag(), m.e2.real()) * 180.0 / std::numbers::pi;
  return m;
}

// The 17 values of the row of dynamic pressure q: the eigenproblem of
// M^-1 (K + q Q) solved by zgeev, mode 1 the eigenvalue of larger modulus
// (`swapped` takes the other order).
std::array<double, 17> oracle_row(const CaseParameters& cp, double q, bool swapped, bool* tie) {
  const double det = cp.M_1 * cp.M_2 - cp.S_m * cp.S_m;
  const double inverse[2][2] = {{cp.M_2 / det, -cp.S_m / det}, {-cp.S_m / det, cp.M_1 / det}};
  const zcomplex system[2][2] = {{cp.K_1 + q * zcomplex(cp.QR11, cp.QS11), cp.K_m + q * zcomplex(cp.QR12, cp.QS12)},
                                 {cp.K_m + q * zcomplex(cp.QR21, cp.QS21), cp.K_2 + q * zcomplex(cp.QR22, cp.QS22)}};
  std::array<zcomplex, 4> a{};  // column-major
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j)
      a[static_cast<std::size_t>(i) + 2 * static_cast<std::size_t>(j)] =
          inverse[i][0] * system[0][j] + inverse[i][1] * system[1][j];

  const int n = 2, one = 1, lwork = 16;
  std::array<zcomplex, 2> w{};
  std::array<zcomplex, 4> vr{};
  std::array<zcomplex, 16> work{};
  std::array<double, 4> rwork{};
  zcomplex unused;
  int info = 0;
  zgeev_("N", "V", &n, a.data(), &n, w.data(), &unused, &one, vr.data(), &n, work.data(), &lwork, rwork.data(), &info,
         1, 1);
  EXPECT_EQ(info, 0);

  std::size_t first = std::abs(w[0]) >= std::abs(w[1]) ? 0 : 1;
  *tie = std::fabs(std::abs(w[0]) - std::abs(w[1])) <= kModulusTie * std::max(std::abs(w[0]), std::abs(w[1]));
  if (swapped) first = 1 - first;
  const std::size_t second = 1 - first;
  const ModeValues m1 = mode_values(w[first], vr[2 * first], vr[2 * first + 1]);
  const ModeValues m2 = mode_values(w[second], vr[2 * second], vr[2 * second + 1]);
  return {std::fabs(q), std::sqrt(2.0 * std::fabs(q) / cp.rho),
          m1.f,         m1.d,
          m1.g,         m2.f,
          m2.d,         m2.g,
          m1.e2.real(), m1.e2.imag(),
          m1.magnitude, m1.phase,
          m2.e2.real(), m2.e2.imag(),
          m2.magnitude, m2.phase,
          std::fabs(q)};
}

// --- the file ---------------------------------------------------------------

const std::vector<std::string> kHeader{
    "", "        ****** Flutter Limits  *******", "",
    " q0 [N/m**2]    u0 [m/s]     f1 [Hz]    d1 [1/s]     g1  [-]     f2 [Hz]    d2 [1/s]     g2  [-]"
    "  R-ev21 [-]  I-ev21 [-]  B-ev21 [-]  P-ev21 [-]  R-ev22 [-]  I-ev22 [-]  B-ev22 [-]  P-ev22 [-]"
    " q0 [N/m**2]"};

constexpr std::size_t kColumns = 17;
constexpr std::size_t kFieldWidth = 12;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The rows of "zelvan_fl.dat" after checking its four header lines.
std::vector<std::string> flutter_rows(const fs::path& file) {
  std::vector<std::string> lines = lines_of(read_file(file));
  if (lines.size() < kHeader.size()) {
    ADD_FAILURE() << "the flutter file has only " << lines.size() << " lines";
    return {};
  }
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4), kHeader);
  return {lines.begin() + 4, lines.end()};
}

std::string field(const std::string& row, std::size_t column) { return row.substr(column * kFieldWidth, kFieldWidth); }

bool is_asterisks(const std::string& text) { return text.find_first_not_of('*') == std::string::npos; }

double printed_value(const std::string& row, std::size_t column) {
  const std::string text = field(row, column);
  return is_asterisks(text) ? kNaN : std::stod(text);
}

// Distance of two angles in degrees.
double angle_distance(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return std::min(d, 360.0 - d);
}

// How far the printed row lies outside the oracle's values rounded to the
// printed digits ("" when it agrees).
std::string row_mismatch(const std::string& row, const std::array<double, 17>& expected) {
  std::ostringstream report;
  for (std::size_t c = 0; c < kColumns; ++c) {
    const double printed = printed_value(row, c);
    const double value = expected[c];
    const bool phase = c == 11 || c == 15;
    if (std::isnan(printed) || !std::isfinite(value)) {
      if (std::isnan(printed) != !std::isfinite(value)) report << " column " << c + 1 << ": " << value << ";";
      continue;
    }
    if (phase && expected[c - 1] < kNoPhaseBelow) continue;
    const double half_unit = (c == 0 || c == 16) ? 0.005 : 0.000005;
    double off = std::fabs(printed - value);
    // A phase in (-180, 180]; at the ends of that range rounding may put
    // the oracle's angle on the other one.
    if (phase && 180.0 - std::fabs(value) <= half_unit + kPrintSlack) off = angle_distance(printed, value);
    if (off > half_unit + kPrintSlack || (phase && !(printed > -180.0 && printed <= 180.0)))
      report << " column " << c + 1 << ": " << value << ";";
  }
  return report.str();
}

struct SweepCase {
  const char* label;
  CaseInput input;
  double first_q, step_q;  // the signed dynamic pressure of row 1 and the step
  std::size_t rows;
};

void PrintTo(const SweepCase& c, std::ostream* os) { *os << c.label; }

class FlutterSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(FlutterSweep, WritesEveryRowAsTheEigenproblemGivesItToThePrintedDigits) {
  const SweepCase& c = GetParam();
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  const RunResult result = run_analysis(case_records(c.input));
  ASSERT_EQ(result.status, 0) << result.console;
  const CaseParameters& cp = case_parameters();
  const std::vector<std::string> rows = flutter_rows(dir / "zelvan_fl.dat");
  ASSERT_EQ(rows.size(), c.rows);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    EXPECT_EQ(rows[r].size(), kColumns * kFieldWidth) << "row " << r + 1;
    const double q = c.first_q + static_cast<double>(r) * c.step_q;
    bool tie = false;
    std::string mismatch = row_mismatch(rows[r], oracle_row(cp, q, false, &tie));
    if (!mismatch.empty() && tie) mismatch = row_mismatch(rows[r], oracle_row(cp, q, true, &tie));
    EXPECT_EQ(mismatch, "") << "row " << r + 1 << " (q = " << q << "):\n" << rows[r];
  }
}

const std::array<double, 8> kExternal{0.3, 0.05, 0.1, -0.02, -0.04, 0.01, 0.05, 0.02};

CaseInput external(double f_s, double S_m, double K_m) {
  CaseInput c;
  c.marker = '.';
  c.coefficients = kExternal;
  c.f_s = f_s;
  c.S_m = S_m;
  c.K_m = K_m;
  return c;
}

CaseInput thin_plate(double f_s, double S_m, double K_m) {
  CaseInput c;
  c.M_1 = 5.0;
  c.M_2 = 0.08;
  c.S_m = S_m;
  c.K_1 = 4000.0;
  c.K_m = K_m;
  c.K_2 = 180.0;
  c.f_s = f_s;
  c.w_star = 0.3;
  c.x_p = 0.35;
  c.Ma = 0.05;
  return c;
}

// The Possio route: the thin-plate section at Ma 0.5.
CaseInput possio(double f_s, double S_m, double K_m) {
  CaseInput c = thin_plate(f_s, S_m, K_m);
  c.Ma = 0.5;
  return c;
}

// With the sweep block: rho, q_start, nstep, nextra.
CaseInput with_sweep(CaseInput c, double rho, double q_start, int nstep, int nextra) {
  c.sweep = true;
  c.rho = rho;
  c.q_start = q_start;
  c.nstep = nstep;
  c.nextra = nextra;
  return c;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlutterSweep,
    ::testing::Values(
        // The defaults: q_start 0, 20 steps of f_s/20 and 5 more.
        SweepCase{"ExternalUncoupledDefaultSweep", external(1000.0, 0.0, 0.0), 50.0, 50.0, 26},
        SweepCase{"ExternalCoupled", with_sweep(external(1000.0, 0.2, 30.0), 1.225, 0.0, 20, 5), 50.0, 50.0, 26},
        // The external route keeps the sign of f_s: q runs -150, -200, ...
        SweepCase{"ExternalNegativeFsFromQStart", with_sweep(external(-1000.0, 0.2, 30.0), 1.2, 100.0, 20, 5), -150.0,
                  -50.0, 26},
        SweepCase{"ExternalNegativeFsNegativeQStart", with_sweep(external(-600.0, 0.0, 0.0), 1.0, -60.0, 12, 0), -110.0,
                  -50.0, 13},
        SweepCase{"ThinPlateUncoupled", with_sweep(thin_plate(200.0, 0.0, 0.0), 1.2, 0.0, 10, 3), 20.0, 20.0, 14},
        SweepCase{"ThinPlateCoupled", thin_plate(100.0, 0.1, 25.0), 5.0, 5.0, 26},
        // f_s = -300 is made 300 on a computed route, so the sweep rises.
        SweepCase{"ThinPlateNegativeFs", with_sweep(thin_plate(-300.0, 0.1, 0.0), 1.1, 50.0, 20, 2), 65.0, 15.0, 23},
        SweepCase{"PossioCoupled", with_sweep(possio(400.0, 0.1, 25.0), 1.2, 0.0, 10, 4), 40.0, 40.0, 15}),
    ByLabel{});

// --- the steps without a file ------------------------------------------------

std::string block(const std::string& frq1, const std::string& vec21, const std::string& frq2,
                  const std::string& vec22) {
  return "\n Eigenvalues and eigenvectors (full system):\n\n"
         " frq1 = " +
         frq1 +
         "\n"
         " vec11=     1.000000    0.000000\n"
         " vec21= " +
         vec21 +
         "\n"
         " frq2 = " +
         frq2 +
         "\n"
         " vec12=     1.000000    0.000000\n"
         " vec22= " +
         vec22 + "\n";
}

const std::string kExternalLine = "\n>>> Aerodynamic loads from external coefficients. \n\n";

// The structural block for M = I, S_m = K_m = 0 and the stiffnesses 400
// and 100 in either order: 20/2pi and 10/2pi, both shapes (0, 1).
// The uncoupled modes of stiffnesses 400 and 100 on unit masses: the pure
// plunge mode normalised on its plunge component, (1, 0), the pure pitch
// mode on its pitch component, (0, 1).
std::string structural_400_and_100(std::string_view vec1, std::string_view vec2) {
  return "\n Eigenvalues and eigenvectors (only structural part):\n\n"
         " frq1 =     3.183099\n"
         " vec1 = " +
         std::string(vec1) +
         "\n"
         " frq2 =     1.591549\n"
         " vec2 = " +
         std::string(vec2) +
         "\n"
         "\n Time history of the solution:\n\n";
}
constexpr std::string_view kPlungeShape = "    1.000000    0.000000";
constexpr std::string_view kPitchShape = "    0.000000    1.000000";

TEST(FlutterSweep, WithoutStepsPrintsNextraPlusOneBlocksAtQStartAndWritesNoFile) {
  // Q = diag(1, 0.6) at q = 500: the eigenvalues 400 + 500 and 100 + 300,
  // i.e. 30/2pi and 20/2pi Hz; the second eigenvector (0, 1) takes the guard.
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  CaseInput input = with_sweep(external(1000.0, 0.0, 0.0), 1.2, 500.0, 0, 2);
  input.coefficients = {1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.6, 0.0};
  const RunResult result = run_analysis(case_records(input));
  ASSERT_EQ(result.status, 0);
  const std::string one_step = block("    4.774648    0.000000", "    0.000000    0.000000", "    3.183099    0.000000",
                                     "    1.000000    0.000000");
  EXPECT_EQ(result.console, std::string(kInputDataReadText) + kExternalLine + one_step + one_step + one_step +
                                structural_400_and_100(kPlungeShape, kPitchShape));
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"case.inp"});
}

TEST(FlutterSweep, WithoutAerodynamicsHasNoDampingAndTheStructuralFrequencies) {
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  CaseInput input;  // "i" marker, w_star = 0: all eight coefficients are 0
  input.M_1 = 2.0;
  input.M_2 = 0.5;
  input.S_m = 0.3;
  input.K_1 = 900.0;
  input.K_m = 40.0;
  input.K_2 = 120.0;
  ASSERT_EQ(run_analysis(case_records(input)).status, 0);
  // The roots of det(K - lambda M) = 0 from the compact form of the
  // discriminant.
  const double delta = 2.0 * 0.5 - 0.3 * 0.3;
  const double b = 900.0 * 0.5 + 120.0 * 2.0 - 2.0 * 40.0 * 0.3;
  const double root = std::sqrt(b * b - 4.0 * delta * (900.0 * 120.0 - 40.0 * 40.0));
  const double f1 = std::sqrt((b + root) / (2.0 * delta)) / kTwoPi;
  const double f2 = std::sqrt((b - root) / (2.0 * delta)) / kTwoPi;

  const std::vector<std::string> rows = flutter_rows(dir / "zelvan_fl.dat");
  ASSERT_EQ(rows.size(), 26u);
  for (const std::string& row : rows) {
    EXPECT_NEAR(printed_value(row, 2), f1, 0.000005 + kPrintSlack) << row;
    EXPECT_NEAR(printed_value(row, 5), f2, 0.000005 + kPrintSlack) << row;
    for (const std::size_t c : {3, 4, 6, 7, 9, 13}) EXPECT_EQ(printed_value(row, c), 0.0) << "column " << c + 1;
    // Real eigenvectors: the phase of a ratio is 0 or 180 exactly.
    for (const std::size_t c : {8, 12}) {
      const double phase = printed_value(row, c + 3);
      EXPECT_EQ(phase, printed_value(row, c) < 0.0 ? 180.0 : 0.0) << row;
    }
  }
}

TEST(FlutterSweep, GivesAModeWithoutFrequencyNoDecrementButAsterisks) {
  // A negative plunge mass without aerodynamics: lambda_1 = -400 has
  // W = +-20i, so f1 = 0, |d1| = 20/2pi and g1 = d1/f1 does not exist.
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  CaseInput input;
  input.M_1 = -1.0;
  ASSERT_EQ(run_analysis(case_records(input)).status, 0);
  const std::vector<std::string> rows = flutter_rows(dir / "zelvan_fl.dat");
  ASSERT_EQ(rows.size(), 26u);
  for (const std::string& row : rows) {
    EXPECT_EQ(printed_value(row, 2), 0.0) << row;
    EXPECT_NEAR(std::fabs(printed_value(row, 3)), 20.0 / kTwoPi, 0.000005 + kPrintSlack) << row;
    EXPECT_EQ(field(row, 4), "************") << row;
    EXPECT_NEAR(printed_value(row, 5), 10.0 / kTwoPi, 0.000005 + kPrintSlack) << row;
  }
}

// --- structural modes --------------------------------------------------------

struct StructuralCase {
  const char* label;
  double M_1, M_2, S_m, K_1, K_m, K_2;
  std::string console;             // from the structural block on
  double f_0_1, f_0_2, inv_omega;  // NaN: none
};

void PrintTo(const StructuralCase& c, std::ostream* os) { *os << c.label; }

// A case without aerodynamics with the masses and stiffnesses of `c`.
template <typename Case>
CaseInput structural_input(const Case& c) {
  CaseInput input;
  input.M_1 = c.M_1;
  input.M_2 = c.M_2;
  input.S_m = c.S_m;
  input.K_1 = c.K_1;
  input.K_m = c.K_m;
  input.K_2 = c.K_2;
  return input;
}

class StructuralModes : public ::testing::TestWithParam<StructuralCase> {};

TEST_P(StructuralModes, PrintTheBlockAndSetTheFrequenciesOfBothDegreesOfFreedom) {
  const StructuralCase& c = GetParam();
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  CaseInput input = structural_input(c);
  input.sweep = true;
  input.nstep = -1;  // nstep + nextra + 1 = 0: no sweep step at all
  input.nextra = 0;
  const RunResult result = run_analysis(case_records(input));
  ASSERT_EQ(result.status, 0) << result.console;
  EXPECT_EQ(result.console, std::string(kInputDataReadText) + kExternalLine + c.console);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"case.inp"});

  const CaseParameters& cp = case_parameters();
  const auto same = [](double a, double b) {
    return std::isnan(a) ? std::isnan(b) : std::fabs(a - b) <= kFrequencyTolerance;
  };
  EXPECT_PRED2(same, c.f_0_1, cp.f_0_1);
  EXPECT_PRED2(same, c.f_0_2, cp.f_0_2);
  EXPECT_PRED2(same, c.inv_omega, cp.inv_omega_1);
  EXPECT_PRED2(same, c.inv_omega, cp.inv_omega_2);
}

constexpr double kHz20 = 20.0 / kTwoPi;
constexpr double kHz10 = 10.0 / kTwoPi;
// 1 / (2 pi f_ref) for f_ref = 20/2pi Hz.
constexpr double kInvOmega20 = 1.0 / (kTwoPi * kHz20);

const std::string kUndefinedLine =
    "\n!!! The structural frequencies are not real and positive: check the masses and stiffnesses.\n\n";

const double kZeroMassFrequency = std::sqrt((200.0 - std::sqrt(200000.0) / 2.0) / -0.25) / kTwoPi;

INSTANTIATE_TEST_SUITE_P(
    Cases, StructuralModes,
    ::testing::Values(
        // Mode 1 has den = 0 (no pitch component: normalised on its
        // plunge), mode 2 num = 0; the higher frequency belongs to the
        // stiffer plunge.
        StructuralCase{"StifferPlunge", 1.0, 1.0, 0.0, 400.0, 0.0, 100.0,
                       structural_400_and_100(kPlungeShape, kPitchShape), kHz20, kHz10, kInvOmega20},
        // Mode 1 has num = 0, mode 2 den = 0 (normalised on its plunge); the printed order
        // stays, but the higher frequency now belongs to the pitch.
        StructuralCase{"StifferPitch", 1.0, 1.0, 0.0, 100.0, 0.0, 400.0,
                       structural_400_and_100(kPitchShape, kPlungeShape), kHz10, kHz20, kInvOmega20},
        // A negative mass: lambda_s1 = -400 has no frequency.
        StructuralCase{"NegativePlungeMass", -1.0, 1.0, 0.0, 400.0, 0.0, 100.0,
                       kUndefinedLine + "\n Eigenvalues and eigenvectors (only structural part):\n\n"
                                        " frq1 = ************\n"
                                        " vec1 =     1.000000    0.000000\n"
                                        " frq2 =     1.591549\n"
                                        " vec2 =     0.000000    1.000000\n"
                                        "\n Time history of the solution:\n\n",
                       // The frequency without a value does not count for the reference.
                       kHz10, kNaN, 1.0 / (kTwoPi * kHz10)},
        // A pitch without stiffness: lambda_s2 = 0, a frequency that is
        // real but not positive.
        StructuralCase{"ZeroPitchStiffness", 1.0, 1.0, 0.0, 400.0, 0.0, 0.0,
                       kUndefinedLine + "\n Eigenvalues and eigenvectors (only structural part):\n\n"
                                        " frq1 =     3.183099\n"
                                        " vec1 =     1.000000    0.000000\n"
                                        " frq2 =     0.000000\n"
                                        " vec2 =     0.000000    1.000000\n"
                                        "\n Time history of the solution:\n\n",
                       kHz20, 0.0, kInvOmega20},
        // A zero plunge mass (the mass matrix stays invertible through S_m):
        // no uncoupled plunge frequency, lambda_s1 < 0.
        StructuralCase{"ZeroPlungeMass", 0.0, 1.0, 0.5, 400.0, 0.0, 100.0,
                       kUndefinedLine + "\n Eigenvalues and eigenvectors (only structural part):\n\n"
                                        " frq1 = ************\n"
                                        " vec1 =    -2.118034    1.000000\n"
                                        " frq2 =     1.546567\n"
                                        " vec2 =     0.118034    1.000000\n"
                                        "\n Time history of the solution:\n\n",
                       kZeroMassFrequency, kNaN, 1.0 / (kTwoPi * kZeroMassFrequency)}),
    ByLabel{});

// Coupled structures: the frequencies and mode shapes of the expanded
// closed form against the roots of det(K - lambda M) = 0 in the compact
// form and the shapes (-(K_m - lambda S_m)/(K_1 - lambda M_1), 1).
struct CoupledCase {
  const char* label;
  double M_1, M_2, S_m, K_1, K_m, K_2;
  bool plunge_gets_the_higher;
};

void PrintTo(const CoupledCase& c, std::ostream* os) { *os << c.label; }

class CoupledStructuralModes : public ::testing::TestWithParam<CoupledCase> {};

TEST_P(CoupledStructuralModes, AgreeWithTheGeneralisedEigenproblem) {
  const CoupledCase& c = GetParam();
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  const CaseInput input = structural_input(c);
  const RunResult result = run_analysis(case_records(input));
  ASSERT_EQ(result.status, 0) << result.console;

  const double delta = c.M_1 * c.M_2 - c.S_m * c.S_m;
  const double b = c.K_1 * c.M_2 + c.K_2 * c.M_1 - 2.0 * c.K_m * c.S_m;
  const double root = std::sqrt(b * b - 4.0 * delta * (c.K_1 * c.K_2 - c.K_m * c.K_m));
  const std::array<double, 2> lambda{(b + root) / (2.0 * delta), (b - root) / (2.0 * delta)};
  std::array<double, 2> f{}, r{};
  for (std::size_t k = 0; k < 2; ++k) {
    f[k] = std::sqrt(lambda[k]) / kTwoPi;
    r[k] = -(c.K_m - lambda[k] * c.S_m) / (c.K_1 - lambda[k] * c.M_1);
  }
  const std::vector<std::string> lines = lines_of(result.console);
  const auto at = std::find(lines.begin(), lines.end(), " Eigenvalues and eigenvectors (only structural part):");
  ASSERT_LT(at + 6, lines.end());
  const auto number = [](const std::string& line, std::size_t index) {
    return std::stod(line.substr(8 + 12 * index, 12));
  };
  constexpr double kHalfUnit = 0.0000005;  // F12.6
  EXPECT_NEAR(number(at[2], 0), f[0], kHalfUnit + kPrintSlack);
  EXPECT_NEAR(number(at[3], 0), r[0], kHalfUnit + kPrintSlack);
  EXPECT_EQ(number(at[3], 1), 1.0);
  EXPECT_NEAR(number(at[4], 0), f[1], kHalfUnit + kPrintSlack);
  EXPECT_NEAR(number(at[5], 0), r[1], kHalfUnit + kPrintSlack);
  EXPECT_EQ(number(at[5], 1), 1.0);

  const CaseParameters& cp = case_parameters();
  EXPECT_NEAR(cp.f_0_1, c.plunge_gets_the_higher ? f[0] : f[1], kFrequencyTolerance);
  EXPECT_NEAR(cp.f_0_2, c.plunge_gets_the_higher ? f[1] : f[0], kFrequencyTolerance);
  EXPECT_NEAR(cp.inv_omega_1, 1.0 / (kTwoPi * f[0]), kFrequencyTolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoupledStructuralModes,
    ::testing::Values(CoupledCase{"MassCouplingStifferPitch", 5.0, 0.08, 0.1, 4000.0, 0.0, 180.0, false},
                      CoupledCase{"BothCouplingsStifferPitch", 2.0, 0.5, 0.3, 100.0, 40.0, 900.0, false},
                      CoupledCase{"NegativeStiffnessCoupling", 1.5, 1.0, -0.2, 600.0, -50.0, 250.0, true},
                      // Equal uncoupled frequencies: not "higher", so DOF 1
                      // gets the lower coupled frequency.
                      CoupledCase{"EqualUncoupledFrequencies", 1.0, 1.0, 0.2, 400.0, 0.0, 400.0, false}),
    ByLabel{});

}  // namespace
}  // namespace zelvan::driver
