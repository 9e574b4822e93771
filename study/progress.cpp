#include "study/progress.hpp"

#include <cmath>

namespace zelvan::study {

std::string clock_text(double seconds) {
  const long total = seconds > 0.0 ? std::lround(seconds) : 0;
  const long hours = total / 3600;
  const long minutes = total / 60 % 60;
  const long secs = total % 60;
  const auto two = [](long n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  if (hours > 0) return std::to_string(hours) + ":" + two(minutes) + ":" + two(secs);
  return std::to_string(minutes) + ":" + two(secs);
}

std::string progress_line(const ProgressState& state, int bar_width) {
  const int filled = state.total > 0 ? state.done * bar_width / state.total : bar_width;
  std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(bar_width - filled), '-') + "] ";
  const std::string total = std::to_string(state.total);
  const std::string done = std::to_string(state.done);
  line += std::string(total.size() - std::min(total.size(), done.size()), ' ') + done + "/" + total + " done, ";
  line += std::to_string(state.failed) + " failed, " + clock_text(state.elapsed) + " elapsed, ";
  const int left = state.total - state.done;
  if (left == 0) {
    line += "0:00 left";
  } else if (state.ran == 0) {
    line += "? left";
  } else {
    line += "~" + clock_text(state.elapsed / state.ran * left) + " left";
  }
  return line;
}

}  // namespace zelvan::study
