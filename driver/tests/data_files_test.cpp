// Complete input files of different shapes, kept in driver/tests/data:
// every block present, files ending early where that is allowed, lines cut
// short, and CRLF line ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

const fs::path kDataDir = fs::path(ZELVAN_SOURCE_DIR) / "driver" / "tests" / "data";

std::string padded40(const std::string& s) {
  std::string out = s;
  out.resize(40, ' ');
  return out;
}

// The case written in all_blocks.inp, ends_after_coefficients.inp and
// ends_after_record_21.inp (up to where each file ends).
CaseParameters plate_case(bool aero, bool sweep) {
  CaseParameters cp;
  cp.t_A = 0.0;
  cp.title = padded40("Bending-torsion plate, all blocks");
  cp.t_E = 2.5;
  cp.npoints = 4001;
  cp.y0 = {0.0, 0.0, 0.02, -0.01};
  cp.mass_scale = 2.0;
  cp.M_1 = 3.0 * 2.0;
  cp.M_2 = 0.04 * 2.0;
  cp.S_m = 0.05 * 2.0;
  cp.D_1 = 0.3;
  cp.D_2 = 0.01;
  cp.K_1 = 2500.0;
  cp.K_m = 12.5;
  cp.K_2 = 90.0;
  cp.kappa = 1.5;
  cp.a_0 = 2.0;
  cp.f_0 = 3.25;
  cp.phi = 45.0;
  cp.tolerance = 1.0e-7;
  cp.integ_method = 1;
  cp.listing_unit = 0;
  if (aero) {
    cp.f_s = 650.0;
    cp.w_star = 0.0;
    cp.x_p = 0.25;
    cp.Ma = 0.3;
    cp.aero_scale = 1.0;
    cp.QR11 = 0.125, cp.QS11 = -0.5;
    cp.QR12 = 1.25, cp.QS12 = 2.5;
    cp.QR21 = -0.75, cp.QS21 = 0.0625;
    cp.QR22 = 0.3, cp.QS22 = -4.0;
  }
  if (sweep) {
    cp.x_ref = 0.25;
    cp.rho = 1.225;
    cp.q_start = 50.0;
    cp.nstep = 10;
    cp.nextra = 8;
    cp.coupling_tolerance = 4;
  }
  return cp;
}

// short_lines.inp: every value left-aligned with nothing after it, blank
// lines for zeros, an "i" block with only f_s and w_star given.
CaseParameters short_case() {
  CaseParameters cp;
  cp.t_A = 1.5;
  cp.t_E = 9.5;
  cp.npoints = 512;
  cp.y0 = {0.1, 0.0, 0.3, 0.0};
  cp.M_1 = 6.0;
  cp.M_2 = 0.07;
  cp.S_m = 0.2;
  cp.D_1 = 0.4;
  cp.D_2 = 0.0;
  cp.K_1 = 3000.0;
  cp.K_2 = 150.0;
  cp.kappa = 0.0;
  cp.a_0 = 5.0;
  cp.f_0 = 2.0;
  cp.phi = -30.0;
  cp.tolerance = 1.0e-5;
  cp.integ_method = 2;
  cp.listing_unit = 6;
  cp.f_s = 900.0;
  cp.w_star = 0.2;
  return cp;
}

// crlf_line_ends.inp: CRLF after every line, short lines, an "I" block
// and the sweep records.
CaseParameters crlf_case() {
  CaseParameters cp;
  cp.title = padded40("CRLF case");
  cp.t_E = 4.0;
  cp.npoints = 1001;
  cp.y0 = {0.0, 0.0, 0.01, 0.0};
  cp.mass_scale = 0.5;
  cp.M_1 = 2.0 * 0.5;
  cp.M_2 = 0.05 * 0.5;
  cp.S_m = 0.1 * 0.5;
  cp.D_1 = 0.2;
  cp.D_2 = 0.01;
  cp.K_1 = 1000.0;
  cp.K_m = -5.0;
  cp.K_2 = 80.0;
  cp.a_0 = 1.0;
  cp.f_0 = 2.0;
  cp.phi = 90.0;
  cp.tolerance = 1.0e-6;
  cp.integ_method = 1;
  cp.listing_unit = 0;
  cp.f_s = 400.0;
  cp.w_star = 0.1;
  cp.x_p = 0.4;
  cp.Ma = 0.2;
  cp.aero_scale = 2.0;
  cp.x_ref = 2.0;
  cp.rho = 1.1;
  cp.q_start = 10.0;
  cp.nstep = 30;
  cp.nextra = 2;
  cp.coupling_tolerance = 6;
  return cp;
}

void expect_same_case(const CaseParameters& a, const CaseParameters& e) {
  EXPECT_EQ(a.t_A, e.t_A);
  EXPECT_EQ(a.title, e.title);
  EXPECT_EQ(a.t_E, e.t_E);
  EXPECT_EQ(a.npoints, e.npoints);
  EXPECT_EQ(a.y0, e.y0);
  EXPECT_EQ(a.mass_scale, e.mass_scale);
  EXPECT_EQ(a.M_1, e.M_1);
  EXPECT_EQ(a.M_2, e.M_2);
  EXPECT_EQ(a.S_m, e.S_m);
  EXPECT_EQ(a.D_1, e.D_1);
  EXPECT_EQ(a.D_2, e.D_2);
  EXPECT_EQ(a.K_1, e.K_1);
  EXPECT_EQ(a.K_m, e.K_m);
  EXPECT_EQ(a.K_2, e.K_2);
  EXPECT_EQ(a.kappa, e.kappa);
  EXPECT_EQ(a.a_0, e.a_0);
  EXPECT_EQ(a.f_0, e.f_0);
  EXPECT_EQ(a.phi, e.phi);
  EXPECT_EQ(a.tolerance, e.tolerance);
  EXPECT_EQ(a.integ_method, e.integ_method);
  EXPECT_EQ(a.listing_unit, e.listing_unit);
  EXPECT_EQ(a.f_s, e.f_s);
  EXPECT_EQ(a.w_star, e.w_star);
  EXPECT_EQ(a.x_p, e.x_p);
  EXPECT_EQ(a.Ma, e.Ma);
  EXPECT_EQ(a.aero_scale, e.aero_scale);
  EXPECT_EQ(a.QR11, e.QR11);
  EXPECT_EQ(a.QS11, e.QS11);
  EXPECT_EQ(a.QR12, e.QR12);
  EXPECT_EQ(a.QS12, e.QS12);
  EXPECT_EQ(a.QR21, e.QR21);
  EXPECT_EQ(a.QS21, e.QS21);
  EXPECT_EQ(a.QR22, e.QR22);
  EXPECT_EQ(a.QS22, e.QS22);
  EXPECT_EQ(a.x_ref, e.x_ref);
  EXPECT_EQ(a.rho, e.rho);
  EXPECT_EQ(a.q_start, e.q_start);
  EXPECT_EQ(a.nstep, e.nstep);
  EXPECT_EQ(a.nextra, e.nextra);
  EXPECT_EQ(a.coupling_tolerance, e.coupling_tolerance);
}

struct DataFileCase {
  const char* label;
  std::string file;
  CaseParameters expected;
};

void PrintTo(const DataFileCase& c, std::ostream* os) { *os << c.label; }

class DataFile : public ::testing::TestWithParam<DataFileCase> {};

TEST_P(DataFile, ReadsTheWholeCase) {
  const DataFileCase& c = GetParam();
  CaseParameters cp;
  read_input_file(cp, (kDataDir / c.file).string());
  expect_same_case(cp, c.expected);
}

// The start-up reads the same file when it is named on the command line.
TEST_P(DataFile, RunsTheStartUpOnTheFile) {
  const DataFileCase& c = GetParam();
  ScratchDir dir;
  fs::copy_file(kDataDir / c.file, dir / "case.inp");
  RunResult result;
  {
    WorkingDirectory cwd(dir.path());
    result = run_start_up({"lnx", "case.inp"});
  }
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.console, kInputDataReadText);
  expect_same_case(case_parameters(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, DataFile,
    ::testing::Values(DataFileCase{"AllBlocks", "all_blocks.inp", plate_case(true, true)},
                      DataFileCase{"EndsAfterRecord21", "ends_after_record_21.inp", plate_case(false, false)},
                      DataFileCase{"EndsAfterTheCoefficients", "ends_after_coefficients.inp", plate_case(true, false)},
                      DataFileCase{"ShortLines", "short_lines.inp", short_case()},
                      DataFileCase{"CrlfLineEnds", "crlf_line_ends.inp", crlf_case()}),
    ByLabel{});

// Guards the CRLF case against a checkout that rewrites line ends.
TEST(DataFile, CrlfFileReallyHasCarriageReturnsOnEveryLine) {
  const std::string text = read_file(kDataDir / "crlf_line_ends.inp");
  std::size_t lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++lines;
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "line " << lines << " ends without CR";
    }
  }
  EXPECT_EQ(lines, 30u);
}

}  // namespace
}  // namespace zelvan::driver
