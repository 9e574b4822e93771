#include "plot/clock.hpp"

#include <ctime>

#include "plot/detail/messages.hpp"
#include "textio/record_writer.hpp"

namespace zelvan::plot {
namespace {

LocalClock current_clock = &system_local_time;

}  // namespace

LocalDateTime system_local_time() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#if defined(_WIN32)
  localtime_s(&parts, &now);
#else
  localtime_r(&now, &parts);
#endif
  LocalDateTime local;
  local.year = parts.tm_year + 1900;
  local.month = parts.tm_mon + 1;
  local.day = parts.tm_mday;
  local.hour = parts.tm_hour;
  local.minute = parts.tm_min;
  local.second = parts.tm_sec;
  return local;
}

LocalClock set_local_clock(LocalClock clock) {
  const LocalClock previous = current_clock;
  current_clock = clock != nullptr ? clock : &system_local_time;
  return previous;
}

TimeAndDate uhrdat() {
  static const textio::Layout kTime(msg::kClockTime);
  static const textio::Layout kYear(msg::kClockYear);
  static const textio::Layout kDate(msg::kClockDate);
  const LocalDateTime now = current_clock();
  TimeAndDate result;
  result.time = textio::write_text(8, kTime, {now.hour, now.minute, now.second});
  const std::string year = textio::write_text(4, kYear, {now.year});
  result.date = textio::write_text(8, kDate, {now.day, now.month, std::string_view(year).substr(2, 2)});
  return result;
}

}  // namespace zelvan::plot
