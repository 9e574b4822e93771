// The layout notation and the writer's layout control: repeat counts,
// groups, slashes, exhaustion of the values and format reversion.
#include <gtest/gtest.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "textio/textio.hpp"

namespace zelvan::textio {
namespace {

std::vector<std::string> lines(std::string_view layout, std::initializer_list<Value> values) {
  return format_lines(Layout(layout), std::span<const Value>(values.begin(), values.size()));
}

std::vector<Value> reals(int n, double first = 1.0) {
  std::vector<Value> v;
  v.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) v.emplace_back(first + i);
  return v;
}

TEST(LayoutNotation, AcceptsEveryItemKindInTheNotationOfTheProgramsLayouts) {
  const Layout layout(
      R"(( / 8X, "****** Results *******", 2/, 'it''s', 4(2X,F10.0), 17(1PG14.5), 1PD24.15, D12.4, I2.2, I6, A40, A))");
  const auto& items = layout.items();
  ASSERT_EQ(items.size(), 13u);
  EXPECT_EQ(items[0].kind, ItemKind::slash);
  EXPECT_EQ(items[1].kind, ItemKind::skip);
  EXPECT_EQ(items[1].width, 8);
  EXPECT_EQ(items[2].literal, "****** Results *******");
  EXPECT_EQ(items[3].kind, ItemKind::slash);
  EXPECT_EQ(items[3].repeat, 2);
  EXPECT_EQ(items[4].literal, "it's");
  EXPECT_EQ(items[5].kind, ItemKind::group);
  EXPECT_EQ(items[5].repeat, 4);
  EXPECT_EQ(items[6].group[0].kind, ItemKind::general);
  EXPECT_EQ(items[6].group[0].scale, 1);
  EXPECT_EQ(items[7].kind, ItemKind::dexp);
  EXPECT_EQ(items[7].scale, 1);
  EXPECT_EQ(items[8].scale, 0);
  EXPECT_EQ(items[9].digits, 2);
  EXPECT_EQ(items[10].width, 6);
  EXPECT_EQ(items[11].width, 40);
  EXPECT_EQ(items[12].width, 0);
  EXPECT_EQ(layout.reversion_index(), 6u);
}

TEST(LayoutNotation, RejectsMalformedLayoutsWithThePosition) {
  for (const char* bad : {"F10.0", "(F10.0", "(F10)", "(G14.5)", "(2PG14.5)", "(1PF10.3)", "(F0.3)", "(I3.4)", "(Q5)",
                          "(\"open)", "(F10.0,,I5)", "(F10.0 I5)", "(D12.0)", "()x", "(3())", "(0F10.2)"}) {
    EXPECT_THROW(Layout{bad}, std::invalid_argument) << bad;
  }
}

TEST(LayoutNotation, NeedsNoCommasAroundSlashes) {
  EXPECT_EQ(lines(R"(("a"/"b"2/"c"))", {}), (std::vector<std::string>{"a", "b", "", "c"}));
}

TEST(LayoutControl, WritesOneLineWhenTheValuesRunOutBeforeTheRepeatEnds) {
  const auto out = lines("(12F12.5)", {1.0, 2.0, 3.0});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].size(), 36u);
  EXPECT_EQ(out[0], "     1.00000     2.00000     3.00000");
}

TEST(LayoutControl, RevertsToTheLastGroupSoSeventeenValuesGoOnEachLine) {
  const std::vector<Value> values = reals(34);
  const auto out = format_lines(Layout("(17(1PG14.5))"), values);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].size(), 17u * 14u);
  EXPECT_EQ(out[1].size(), 17u * 14u);
  EXPECT_EQ(out[1].substr(0, 14), "    18.000    ");
}

TEST(LayoutControl, RevertsToTheLastTopLevelGroupWithItsRepeatCount) {
  const auto out = lines(R"(("head", I2, 2(" g", I2), " tail"))", {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(out, (std::vector<std::string>{"head 1 g 2 g 3 tail", " g 4 g 5 tail", " g 6 g"}));
}

TEST(LayoutControl, RevertsToTheStartWhenTheLayoutHoldsNoGroup) {
  EXPECT_EQ(lines(R"(("x=", I3))", {1, 2}), (std::vector<std::string>{"x=  1", "x=  2"}));
}

TEST(LayoutControl, WritesTheLiteralsBeforeTheFirstValueItemWhenThereAreNoValues) {
  EXPECT_EQ(lines(R"(("value: ", F6.3, " m"))", {}), (std::vector<std::string>{"value: "}));
}

TEST(LayoutControl, WritesTrailingLiteralsAndSlashesAfterTheLastValue) {
  EXPECT_EQ(lines("(F8.3, F8.4, /)", {1.0, 2.0}), (std::vector<std::string>{"   1.000  2.0000", ""}));
  EXPECT_EQ(lines(R"((I3, " kg"))", {7}), (std::vector<std::string>{"  7 kg"}));
}

TEST(LayoutControl, SlashesEndLinesAndALeadingSlashGivesAnEmptyLineFirst) {
  EXPECT_EQ(lines(R"(( / 8X, "****** Results *******", 2/, "  t"))", {}),
            (std::vector<std::string>{"", "        ****** Results *******", "", "  t"}));
}

TEST(LayoutControl, WritesGroupsOfLiteralsAsRepeatedText) {
  EXPECT_EQ(lines(R"((" *** GETARG ", 38("*")))", {}),
            (std::vector<std::string>{" *** GETARG " + std::string(38, '*')}));
}

TEST(LayoutControl, WritesNXAsBlanksAlsoAtTheEndOfALine) {
  EXPECT_EQ(lines(R"(("ab", 5X))", {}), (std::vector<std::string>{"ab     "}));
}

TEST(LayoutControl, RejectsValuesOfTheWrongKindAndLayoutsThatCannotTakeThem) {
  EXPECT_THROW(lines("(F8.3)", {1}), std::invalid_argument);
  EXPECT_THROW(lines("(I8)", {1.0}), std::invalid_argument);
  EXPECT_THROW(lines("(A8)", {1.0}), std::invalid_argument);
  EXPECT_THROW(lines(R"(("no values"))", {1.0}), std::invalid_argument);
  EXPECT_THROW(lines(R"((F8.3, 2("x")))", {1.0, 2.0}), std::invalid_argument);
}

// Repeat counts that multiply to billions of lines or characters (found by
// fuzzing: 666 x 66662 x 62 empty lines) are refused, not written.
TEST(LayoutControl, RefusesALayoutWhoseRepeatCountsWriteMoreThanAMegabyte) {
  EXPECT_THROW(lines("(666(66662/)62/)", {}), std::invalid_argument);
  EXPECT_THROW(lines(R"((9999(9999("abc"))))", {}), std::invalid_argument);
  EXPECT_THROW(lines("(9999(9999(30000X)))", {}), std::invalid_argument);
  EXPECT_EQ(lines("(3(2/))", {}).size(), 7U);
}

TEST(InternalWrite, PadsTheLineToTheLengthOfTheText) {
  EXPECT_EQ(write_text(12, Layout("(1PG10.3)"), {4.5}), "  4.50      ");
  EXPECT_EQ(write_text(8, Layout("(I2.2,\":\",I2.2)"), {7, 5}), "07:05   ");
}

TEST(InternalWrite, RefusesTextThatDoesNotFit) {
  EXPECT_THROW(write_text(5, Layout("(F8.3)"), {1.0}), std::length_error);
  EXPECT_THROW(write_text(20, Layout("(F8.3,/,F8.3)"), {1.0, 2.0}), std::length_error);
}

TEST(StreamWrite, EndsEveryLineWithALineFeed) {
  std::ostringstream out;
  write(out, Layout(R"(( / "*** Input data read -", /, "    Computation has started. ", /))"), {});
  EXPECT_EQ(out.str(), "\n*** Input data read -\n    Computation has started. \n\n");
}

}  // namespace
}  // namespace zelvan::textio
