// The local date and time of the run, from a clock that tests can replace.
#pragma once

#include <string>

namespace zelvan::plot {

struct LocalDateTime {
  int year = 0;    // four digits, e.g. 2024
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..60
};

// A clock: returns the current local date and time.
using LocalClock = LocalDateTime (*)();

// The operating system's local date and time.
LocalDateTime system_local_time();

// Makes `clock` the clock of uhrdat (nullptr restores the system clock)
// and returns the clock used before.  Meant for tests.
LocalClock set_local_clock(LocalClock clock);

struct TimeAndDate {
  std::string time;  // "hh:mm:ss", 8 characters
  std::string date;  // "dd.mm.yy", 8 characters
};

// The current local time as hour, minute and second and the current date
// as day, month and the last two digits of the year, each field two digits
// with a leading zero, e.g. "07:05:09" and "03.11.24".
TimeAndDate uhrdat();

}  // namespace zelvan::plot
