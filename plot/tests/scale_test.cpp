// Axis limits worked out from the text of the magnitude written with
// (1PG10.3).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plot/detail/scale.hpp"

namespace zelvan::plot {
namespace {

struct ScaleCase {
  double x;
  double limit;
};

TEST(Scale, RaisesTheDecidingDigitToTheNextEvenNumberInEveryWorkedExample) {
  const ScaleCase cases[] = {
      // exponent form of zero: the digit after the point decides
      {0.0, 0.2},
      // fixed form, 1 <= v < 10: the digit before the point decides
      {1.0, 2.0},
      {1.5, 2.0},
      {2.0, 4.0},
      {3.9, 4.0},
      {4.5, 6.0},
      {5.5, 6.0},
      {7.99, 8.0},
      {8.0, 10.0},
      {8.3, 10.0},
      // v just above 10: the blank tens position reads as 0
      {8.4, 20.0},
      {9.0, 20.0},
      {9.9996, 20.0},
      {12.3, 20.0},
      {45.0, 60.0},
      // v just above 100: the blank hundreds position reads as 0
      {85.0, 200.0},
      {123.4, 200.0},
      // v of 1000 or more is taken as it stands
      {850.0, 1020.0},
      {999.0, 1198.8},
      // fixed form below one
      {0.5, 0.6},
      {0.15, 0.2},
      {0.85, 1.0},
      {0.95, 2.0},
      // exponent form: mantissa cut after its first decimal, times the power of ten
      {0.0734, 0.08},
      {1234.0, 2000.0},
      {9.5e-5, 2.0e-4},
      {1.0e300, 2.0e300},
      {3.0e-200, 4.0e-200},
      // only the magnitude counts
      {-4.5, 6.0},
      {-0.0734, 0.08},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(scale(c.x), c.limit) << "x = " << c.x;
  }
}

TEST(Scale, ReturnsAMagnitudeThatIsNotFiniteAsItIs) {
  EXPECT_EQ(scale(-std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(scale(std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace
}  // namespace zelvan::plot
