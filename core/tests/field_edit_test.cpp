// Output editing of single fields, with the examples the program's layouts
// depend on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/field_edit.hpp"

namespace zelvan::core {
namespace {

struct RealCase {
  double value;
  int width, digits;
  const char* expected;
};

TEST(FixedEditing, RoundsRightJustifiesAndSignsAsTheLayoutsExpect) {
  const RealCase cases[] = {
      {1234.4, 8, 0, "   1234."},   {0.5, 6, 3, " 0.500"},         {0.5, 4, 3, ".500"},
      {-0.5, 5, 3, "-.500"},        {-0.5, 4, 3, "****"},          {123.456, 5, 2, "*****"},
      {-0.001, 5, 2, "-0.00"},      {-0.0, 5, 2, " 0.00"},         {0.125, 5, 2, " 0.12"},
      {0.375, 5, 2, " 0.38"},       {2.5, 10, 0, "        2."},    {0.4, 4, 0, "  0."},
      {99.995, 8, 2, "  100.00"},   {1e10, 12, 2, "************"}, {-12.5, 12, 5, "   -12.50000"},
      {0.0, 12, 5, "     0.00000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(format_fixed(c.value, c.width, c.digits), c.expected) << c.value << " F" << c.width << "." << c.digits;
  }
}

TEST(GeneralEditing, ChoosesFixedFormFromTheValuePlusHalfAUnitOfTheLastDigit) {
  const RealCase cases[] = {
      {12.5, 14, 5, "    12.500    "},     {4.5, 10, 3, "  4.50    "},         {9.9996, 10, 3, "  10.0    "},
      {0.01, 14, 5, "   1.00000E-02"},     {0.0, 14, 5, "   0.00000E+00"},     {99999.4, 14, 5, "    99999.    "},
      {100000.0, 14, 5, "   1.00000E+05"}, {0.09999, 14, 5, "   9.99900E-02"}, {0.0999996, 14, 5, "   0.10000    "},
      {99999.6, 14, 5, "   100000.    "},  {9.99996, 14, 5, "   10.0000    "}, {0.0734, 10, 3, " 7.340E-02"},
      {1234.0, 10, 3, " 1.234E+03"},       {0.0, 10, 3, " 0.000E+00"},         {-1234.0, 10, 3, "-1.234E+03"},
      {-12345.0, 9, 2, "-1.23E+04"},       {1e100, 14, 5, "   1.00000+100"},   {-1e-100, 14, 5, "  -1.00000-100"},
      {0.5, 14, 5, "   0.50000    "},      {-0.5, 12, 3, "  -0.500    "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(format_general(c.value, c.width, c.digits), c.expected)
        << c.value << " 1PG" << c.width << "." << c.digits;
  }
}

TEST(DExponentEditing, WritesTheMantissaBelowOneOrWithOneLeadingDigit) {
  EXPECT_EQ(format_dexp(1.5, 12, 4, 0), "  0.1500D+01");
  EXPECT_EQ(format_dexp(1e100, 12, 4, 0), "  0.1000+101");
  EXPECT_EQ(format_dexp(-1.5, 10, 4, 0), "-.1500D+01");
  EXPECT_EQ(format_dexp(0.0, 24, 15, 0), "   0.000000000000000D+00");
  EXPECT_EQ(format_dexp(1.0, 24, 15, 1), "   1.000000000000000D+00");
  EXPECT_EQ(format_dexp(-2.5e-7, 24, 15, 1), "  -2.500000000000000D-07");
  EXPECT_EQ(format_dexp(0.1, 24, 15, 1), "   1.000000000000000D-01");
}

TEST(IntegerEditing, PadsToTheMinimumDigitsAndOverflowsToAsterisks) {
  EXPECT_EQ(format_integer(3, 2, 2), "03");
  EXPECT_EQ(format_integer(10002, 6, 1), " 10002");
  EXPECT_EQ(format_integer(-100, 3, 1), "***");
  EXPECT_EQ(format_integer(0, 4, 0), "    ");
  EXPECT_EQ(format_integer(-2147483648LL, 11, 1), "-2147483648");
  EXPECT_EQ(format_integer(2026, 4, 1), "2026");
}

TEST(TextEditing, RightJustifiesShortValuesAndCutsLongOnes) {
  EXPECT_EQ(format_text("abc", 5), "  abc");
  EXPECT_EQ(format_text("abcdef", 4), "abcd");
  EXPECT_EQ(format_text("ab  ", 0), "ab  ");
}

TEST(SpecialValues, FillTheFieldWithAsterisksInEveryNumericItem) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const double v : {nan, inf, -inf}) {
    EXPECT_EQ(format_fixed(v, 8, 3), "********");
    EXPECT_EQ(format_general(v, 14, 5), "**************");
    EXPECT_EQ(format_dexp(v, 12, 4, 0), "************");
    EXPECT_EQ(format_dexp(v, 24, 15, 1), std::string(24, '*'));
  }
}

}  // namespace
}  // namespace zelvan::core
