// The standard atmosphere against the reference table of
// tools/gen_standard_atmosphere.py (mpmath from the standard's defining
// constants), at full precision and to the digits the standard's table
// prints.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>

#include "aero/atmosphere.hpp"

namespace zelvan::aero {
namespace {

// pow and exp of the closed forms, each within an ulp or two, and the
// quotients after them: 16 units of rounding.
constexpr double kAtmosphereTolerance = 16.0 * std::numeric_limits<double>::epsilon();

// x as the standard's table prints it: `decimals` places, or `digits`
// significant digits.
std::string fixed(double x, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, x);
  return text;
}
double significant(double x, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*e", digits - 1, x);
  return std::stod(text);
}

TEST(StandardAtmosphere, IsTheReferenceTableToRoundingAndToTheStandardsPrintedDigits) {
  std::ifstream in(std::filesystem::path(ZELVAN_SOURCE_DIR) / "aero/tests/data/standard_atmosphere.txt");
  ASSERT_TRUE(in);
  std::string line;
  int rows = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    double h, t, p, rho, a;
    std::string t_printed, a_printed;
    double p_printed, rho_printed;
    fields >> h >> t >> p >> rho >> a >> t_printed >> p_printed >> rho_printed >> a_printed;
    ASSERT_TRUE(fields) << line;
    const AirState s = standard_atmosphere(h);
    EXPECT_NEAR(s.temperature / t, 1.0, kAtmosphereTolerance) << "H " << h;
    EXPECT_NEAR(s.pressure / p, 1.0, kAtmosphereTolerance) << "H " << h;
    EXPECT_NEAR(s.density / rho, 1.0, kAtmosphereTolerance) << "H " << h;
    EXPECT_NEAR(s.sound_speed / a, 1.0, kAtmosphereTolerance) << "H " << h;
    EXPECT_EQ(fixed(s.temperature, 3), t_printed) << "H " << h;
    EXPECT_EQ(significant(s.pressure, 6), p_printed) << "H " << h;
    EXPECT_EQ(significant(s.density, 6), rho_printed) << "H " << h;
    EXPECT_EQ(fixed(s.sound_speed, 3), a_printed) << "H " << h;
    ++rows;
  }
  EXPECT_EQ(rows, 24);
}

TEST(StandardAtmosphere, RefusesAltitudesOutsideItsRange) {
  for (double h : {-1.0, 20000.5, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_THROW(standard_atmosphere(h), std::domain_error) << h;
  }
}

TEST(StandardAtmosphere, TakesGeometricAltitudeToGeopotentialOnTheStandardsRadius) {
  EXPECT_EQ(geopotential_altitude(0.0), 0.0);
  EXPECT_DOUBLE_EQ(geopotential_altitude(kEarthRadius), kEarthRadius / 2.0);
  // 11 km geometric is 19 m below the geopotential tropopause.
  EXPECT_NEAR(geopotential_altitude(11000.0), 11000.0 - 19.0, 0.1);
}

}  // namespace
}  // namespace zelvan::aero
