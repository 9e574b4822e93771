// The coupling analysis on constructed displacement histories: sums of
// cosines at chosen spectral lines, so that the peaks, amplitudes and
// phases are known in advance.  The console reports are compared in full.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "driver/spectrum.hpp"
#include "driver/tests/driver_test_support.hpp"
#include "driver/time_history.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

// The transform of a sum of cosines reproduces amplitudes and power
// fractions to a few roundings per sample.
constexpr double kSpectrumTolerance = 1e-12;

// One cosine of a history: amplitude*cos(2*pi*(line-1)*j/N + phase), j the
// sample counted from 0, so `line` is the spectral line it lands in.
struct Wave {
  int line;
  double amplitude;
  double phase_deg;
};

// A history of n samples as the sum of `waves` plus `mean`.
std::array<double, istore> history(int n, const std::vector<Wave>& waves, double mean = 0.0) {
  std::array<double, istore> y{};
  for (int j = 0; j < n; ++j) {
    double v = mean;
    for (const Wave& w : waves)
      v += w.amplitude *
           std::cos(2.0 * std::numbers::pi * (w.line - 1) * j / n + w.phase_deg * std::numbers::pi / 180.0);
    y[static_cast<std::size_t>(j)] = v;
  }
  return y;
}

// Fresh records with the two displacement histories of n samples over T
// seconds.
void set_histories(int n, double T, const std::array<double, istore>& y3, const std::array<double, istore>& y4,
                   int coupling_tolerance = 5) {
  reset_run_records();
  CaseParameters& cp = case_parameters();
  cp.npoints = n;
  cp.t_A = 1.0;
  cp.t_E = 1.0 + T;
  cp.coupling_tolerance = coupling_tolerance;
  time_history().Y3 = y3;
  time_history().Y4 = y4;
}

struct Analysis {
  bool strong = false;  // the analysis detected strong coupling
  std::string console;
};

// Analyses the run's history into spectrum(); `earlier` is the coupling
// frequency of an earlier analysis.
Analysis analyse(double earlier = 0.0) {
  Analysis a;
  const RunResult result = capture_run([&a, earlier] {
    spectrum() = analyse_response(case_parameters(), time_history(), earlier);
    a.strong = spectrum().strong_coupling;
  });
  EXPECT_EQ(result.status, 0);
  a.console = result.console;
  return a;
}

const std::string kNoCoupling = "    No strong coupling detected.         \n";

std::string coupling_report(const std::string& margin, const std::string& row) {
  return "*** Strong coupling detected:      \n"
         "    Frequency margin   " +
         margin +
         " Hz\n"
         "\n"
         "  f [Hz]  lambda   kappa    Y1_0    Y2_0\n" +
         row + "\n\n";
}

const std::string kSecondRun = "\nSecond run with the coupling frequency. \n\n";

// 64 samples over 8 s: line k lies at (k - 1)/8 Hz.
constexpr int kN = 64;
constexpr double kT = 8.0;

struct CouplingCase {
  const char* label;
  std::vector<Wave> y3, y4;
  std::string console;
  int k_peak_1, k_peak_2;
};

void PrintTo(const CouplingCase& c, std::ostream* os) { *os << c.label; }

class Coupling : public ::testing::TestWithParam<CouplingCase> {};

TEST_P(Coupling, IsReportedWhenThePeaksLieWithinTheToleranceOfEachOther) {
  const CouplingCase& c = GetParam();
  set_histories(kN, kT, history(kN, c.y3), history(kN, c.y4));
  const Analysis a = analyse();
  EXPECT_EQ(a.console, c.console);
  EXPECT_EQ(a.strong, c.console != kNoCoupling);
  EXPECT_EQ(spectrum().k_peak_1, c.k_peak_1);
  EXPECT_EQ(spectrum().k_peak_2, c.k_peak_2);
}

INSTANTIATE_TEST_SUITE_P(
    Peaks, Coupling,
    ::testing::Values(
        // Lines 7 and 12: five apart, coupled.  The amplitudes at line 7 are
        // 0.02 and 0.01 with the phases 10 and 350 degrees: the difference
        // wraps to 20 degrees.
        CouplingCase{"FiveLinesApart",
                     {{7, 0.02, 10.0}},
                     {{12, 0.03, 0.0}, {7, 0.01, 350.0}},
                     coupling_report("0.625", "   0.750  2.0000   20.00    0.02    0.01"),
                     7,
                     12},
        CouplingCase{"SixLinesApart", {{7, 0.02, 10.0}}, {{13, 0.03, 0.0}, {7, 0.01, 350.0}}, kNoCoupling, 7, 13},
        CouplingCase{"PhaseDifferenceWithoutWrap",
                     {{7, 0.02, 350.0}},
                     {{12, 0.03, 0.0}, {7, 0.01, 10.0}},
                     coupling_report("0.625", "   0.750  2.0000  340.00    0.02    0.01"),
                     7,
                     12},
        // The peak of DOF 2 lies below that of DOF 1.
        CouplingCase{"DOF2PeakBelow",
                     {{20, 0.04, 0.0}, {16, 0.01, 0.0}},
                     {{16, 0.02, 0.0}, {20, 0.01, 180.0}},
                     coupling_report("0.500", "   2.375  4.0000  180.00    0.04    0.01"),
                     20,
                     16}),
    ByLabel{});

// A unit impulse at the first sample has the same power in every line.
// The peak is the lowest of them, line 2: five lines from the peak of DOF
// 2 at line 7, so the two are coupled (line 32, the highest, would not be).
TEST(Coupling, TakesTheLowestLineAmongEqualPeaks) {
  std::array<double, istore> impulse{};
  impulse[0] = 1.0;
  set_histories(kN, kT, impulse, history(kN, {{7, 0.03, 0.0}, {2, 0.01, 90.0}}));
  const Analysis a = analyse();
  for (int k = 3; k <= kN / 2; ++k) ASSERT_EQ(spectrum().FouPY3[static_cast<std::size_t>(k - 1)], spectrum().FouPY3[1]);
  EXPECT_EQ(spectrum().k_peak_1, 2);
  // A3 = 2/N, A4 = 0.01; the impulse has phase 0.
  EXPECT_EQ(a.console, coupling_report("0.625", "   0.125  3.1250  270.00    0.03    0.01"));
}

// DOF 2 moves at line 5 only (a period of four samples: 1, 0, -1, 0), so
// its coefficients at the peak line 2 of DOF 1 are exactly zero.
TEST(Coupling, PrintsAsterisksForTheAmplitudeRatioWhenDOF2HasNoAmplitudeAtTheCouplingLine) {
  constexpr int n = 16;
  std::array<double, istore> y4{};
  for (int j = 0; j < n; j += 4) y4[static_cast<std::size_t>(j)] = 0.05, y4[static_cast<std::size_t>(j) + 2] = -0.05;
  set_histories(n, 2.0, history(n, {{2, 0.02, 45.0}}), y4);
  const Analysis a = analyse();
  ASSERT_EQ(spectrum().FouCY4[1], 0.0);
  ASSERT_EQ(spectrum().FouCY4[2], 0.0);
  EXPECT_EQ(a.console, coupling_report("1.500", "   0.500********   45.00    0.02    0.00"));
}

struct NoPeakCase {
  const char* label;
  int n;
  std::array<double, istore> y3, y4;
};

void PrintTo(const NoPeakCase& c, std::ostream* os) { *os << c.label; }

class HistoryWithoutPeak : public ::testing::TestWithParam<NoPeakCase> {};

// With a tolerance that would couple any two lines, a history without a
// peak still gives the no-coupling report, and its spectrum stays finite.
TEST_P(HistoryWithoutPeak, GivesTheNoCouplingReportAndAZeroSpectrum) {
  const NoPeakCase& c = GetParam();
  set_histories(c.n, kT, c.y3, c.y4, 1000);
  const Analysis a = analyse();
  EXPECT_EQ(a.console, kNoCoupling);
  EXPECT_FALSE(a.strong);
  EXPECT_EQ(spectrum().k_peak_1, 1);
  EXPECT_EQ(spectrum().coupling_frequency, 0.0);
  for (int k = 1; k <= (c.n + 1) / 2; ++k)
    EXPECT_TRUE(std::isfinite(spectrum().FouPY3[static_cast<std::size_t>(k - 1)]));
}

INSTANTIATE_TEST_SUITE_P(
    Histories, HistoryWithoutPeak,
    ::testing::Values(NoPeakCase{"IdenticallyZero", kN, {}, history(kN, {{7, 0.03, 0.0}})},
                      NoPeakCase{"Constant", kN, history(kN, {}, 0.5), history(kN, {{7, 0.03, 0.0}})},
                      NoPeakCase{"TwoSamples", 2, history(2, {}, 0.1), history(2, {{2, 0.2, 0.0}})},
                      NoPeakCase{"OneSample", 1, history(1, {}, 0.1), history(1, {}, 0.2)}),
    ByLabel{});

TEST(Coupling, SecondRunRefersTheDampingToTheCouplingFrequencyAndItsAnalysisReportsAgain) {
  const auto y3 = history(kN, {{7, 0.02, 10.0}});
  const auto y4 = history(kN, {{12, 0.03, 0.0}, {7, 0.01, 350.0}});
  const std::string report = coupling_report("0.625", "   0.750  2.0000   20.00    0.02    0.01");
  set_histories(kN, kT, y3, y4, 5);
  const Analysis first = analyse();
  EXPECT_TRUE(first.strong);
  EXPECT_EQ(first.console, report);
  EXPECT_EQ(spectrum().coupling_frequency, 0.75);
  const RunResult second_run =
      capture_run([] { refer_damping_to_coupling_frequency(case_parameters(), spectrum().coupling_frequency); });
  EXPECT_EQ(second_run.console, kSecondRun);
  // The aerodynamic reference frequency is now the coupling frequency.
  EXPECT_EQ(case_parameters().inv_omega_1, 1.0 / (kTwoPi * 0.75));
  EXPECT_EQ(case_parameters().inv_omega_2, case_parameters().inv_omega_1);

  const Analysis second = analyse(0.75);
  EXPECT_TRUE(second.strong);
  EXPECT_EQ(second.console, report);
}

// An analysis without strong coupling keeps the coupling frequency of an
// earlier one (the operating point reports the most recent detection).
TEST(Coupling, WithoutADetectionKeepsTheEarlierCouplingFrequency) {
  set_histories(kN, kT, history(kN, {{7, 0.02, 0.0}}), history(kN, {{13, 0.03, 30.0}}));
  const Analysis a = analyse(0.75);
  EXPECT_FALSE(a.strong);
  EXPECT_EQ(spectrum().coupling_frequency, 0.75);
}

// The power spectrum is normalised to a sum of 1: a mean m with a cosine
// of amplitude A has the fractions m^2 and A^2/2 of m^2 + A^2/2.  The
// frequencies go on to line N with zero power above half the samples.
TEST(ResponseAnalysis, NormalisesThePowerAndFillsTheLinesAboveHalfTheSamples) {
  set_histories(kN, kT, history(kN, {{7, 0.02, 0.0}}, 0.01), history(kN, {{12, 0.03, 30.0}}));
  analyse();
  const Spectrum& s = spectrum();
  EXPECT_NEAR(s.FouPY3[0], 1.0 / 3.0, kSpectrumTolerance);
  EXPECT_NEAR(s.FouPY3[6], 2.0 / 3.0, kSpectrumTolerance);
  EXPECT_NEAR(s.FouPY4[11], 1.0, kSpectrumTolerance);
  for (int k = 1; k <= kN; ++k) {
    const auto i = static_cast<std::size_t>(k - 1);
    EXPECT_NEAR(s.FouF[i], (k - 1) / kT, kSpectrumTolerance) << "line " << k;
    if (k > kN / 2) {
      EXPECT_EQ(s.FouPY3[i], 0.0) << "line " << k;
      EXPECT_EQ(s.FouPY4[i], 0.0) << "line " << k;
    }
  }
}

struct OperatingPointCase {
  const char* label;
  double f_s, rho, x_ref, Ma, coupling_frequency;
  std::string console;
};

void PrintTo(const OperatingPointCase& c, std::ostream* os) { *os << c.label; }

class OperatingPoint : public ::testing::TestWithParam<OperatingPointCase> {};

TEST_P(OperatingPoint, IsPrintedWithTheMatricesAsAppliedOnlyUnderADynamicPressure) {
  const OperatingPointCase& c = GetParam();
  set_histories(kN, kT, history(kN, {{7, 0.02, 0.0}}), history(kN, {{7, 0.02, 0.0}}));
  CaseParameters& cp = case_parameters();
  cp.f_s = c.f_s, cp.rho = c.rho, cp.x_ref = c.x_ref, cp.Ma = c.Ma;
  cp.QR11 = 0.5, cp.QS11 = 0.25, cp.QR12 = -2.0, cp.QS12 = 1.5;
  cp.QR21 = 1250.0, cp.QS21 = -0.0625, cp.QR22 = 0.001, cp.QS22 = 0.005;
  cp.inv_omega_1 = 0.25, cp.inv_omega_2 = 0.5;
  spectrum().coupling_frequency = c.coupling_frequency;
  EXPECT_EQ(capture_run([] { report_operating_point(case_parameters(), spectrum()); }).console, c.console);
}

const std::string kOperatingPointHeader = "\n f [Hz] rho[kg/m3]  x_ref[m] u0[m/s] Ma[-] omred     q0 [N/m2]\n";

// The matrices block as the case's coefficients give it: QR, and QS/inv_omega.
const std::string kAppliedMatrices =
    "\n"
    "\n"
    " *** QR,QS matrices as eventually applied\n"
    "         QR11         QS11       QR12         QS12   \n"
    "        0.500        1.00       -2.00        3.00    \n"
    "         QR21         QS21       QR22         QS22   \n"
    "        1.250E+03  -0.250       1.000E-03   1.000E-02\n"
    "\n";

INSTANTIATE_TEST_SUITE_P(
    DynamicPressures, OperatingPoint,
    ::testing::Values(
        // No coupling found and no flow: speed and reduced frequency zero.
        OperatingPointCase{"NoFlowNoCoupling", 0.0, 1.2, 1.0, 0.0, 0.0,
                           kOperatingPointHeader + "   0.000      1.20      1.00    0.00 0.000 0.000      0.\n\n"},
        // u0 = sqrt(2*600/1.2) = 31.62 m/s; omred = 2*pi*0.75*0.5/31.62 =
        // 0.0745; QS/inv_omega: 1, 3, -0.25, 0.01.
        OperatingPointCase{
            "Flow", 600.0, 1.2, 1.0, 0.3, 0.75,
            kOperatingPointHeader + "   0.750      1.20      1.00   31.62 0.300 0.075    600.\n" + kAppliedMatrices},
        // A negative f_s (external coefficients keep their sign) counts by
        // its magnitude.
        OperatingPointCase{
            "NegativeDynamicPressure", -2.4, 1.2, 0.5, 0.0, 3.0,
            kOperatingPointHeader + "   3.000      1.20      0.50    2.00 0.000 2.356      2.\n" + kAppliedMatrices}),
    ByLabel{});

}  // namespace
}  // namespace zelvan::driver
