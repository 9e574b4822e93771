// The date and time texts of the style file's title line.
#include <gtest/gtest.h>

#include "plot/clock.hpp"
#include "plot_test_support.hpp"

namespace zelvan::plot {
namespace {

struct ClockCase {
  LocalDateTime now;
  const char* time;
  const char* date;
};

TEST(Uhrdat, WritesEveryFieldWithTwoDigitsAndTheYearWithItsLastTwo) {
  const ClockCase cases[] = {
      {{2024, 3, 7, 9, 5, 3}, "09:05:03", "07.03.24"},
      {{1999, 12, 31, 23, 59, 59}, "23:59:59", "31.12.99"},
      {{2000, 1, 1, 0, 0, 0}, "00:00:00", "01.01.00"},
      {{2107, 10, 20, 12, 30, 45}, "12:30:45", "20.10.07"},
  };
  for (const auto& c : cases) {
    test_support::FixedClock clock(c.now);
    const TimeAndDate stamp = uhrdat();
    EXPECT_EQ(stamp.time, c.time);
    EXPECT_EQ(stamp.date, c.date);
  }
}

LocalDateTime end_of_1999() { return {1999, 12, 31, 23, 59, 59}; }

TEST(Uhrdat, FollowsTheSystemClockAgainWhenTheClockIsReset) {
  const LocalClock original = set_local_clock(&end_of_1999);
  EXPECT_EQ(uhrdat().date, "31.12.99");
  EXPECT_EQ(set_local_clock(nullptr), &end_of_1999);
  const LocalDateTime before = system_local_time();
  const std::string date = uhrdat().date;
  const LocalDateTime after = system_local_time();
  set_local_clock(original);
  // The day can only change between the calls if the test runs across midnight.
  const auto two_digits = [](int n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
  EXPECT_TRUE(date.substr(0, 2) == two_digits(before.day) || date.substr(0, 2) == two_digits(after.day)) << date;
  EXPECT_EQ(date.substr(6, 2), two_digits(after.year % 100)) << date;
}

}  // namespace
}  // namespace zelvan::plot
