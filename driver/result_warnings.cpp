#include "driver/result_warnings.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "driver/case_parameters.hpp"
#include "driver/console_output.hpp"
#include "driver/messages.hpp"
#include "driver/time_history.hpp"

namespace zelvan::driver {

bool grows_unstably(std::span<const double> x) {
  if (x.empty()) return false;
  const std::size_t early = std::max<std::size_t>(1, x.size() / kEarlyFraction);
  double early_max = 0.0;
  for (std::size_t i = 0; i < early; ++i) early_max = std::max(early_max, std::fabs(x[i]));
  if (!(early_max > 0.0) || !std::isfinite(early_max)) return false;
  for (std::size_t i = early; i < x.size(); ++i) {
    if (!std::isfinite(x[i]) || std::fabs(x[i]) > kUnstableGrowth * early_max) return true;
  }
  return false;
}

void warn_about_meaningless_results(const CaseParameters& cp, const TimeHistory& h) {
  const auto real_and_positive = [](double f) { return std::isfinite(f) && f > 0.0; };
  const double none = std::numeric_limits<double>::quiet_NaN();
  double f_high = none, f_low = none;
  for (const double f : {cp.f_0_1, cp.f_0_2}) {
    if (!real_and_positive(f)) continue;
    f_high = std::isnan(f_high) ? f : std::max(f_high, f);
    f_low = std::isnan(f_low) ? f : std::min(f_low, f);
  }
  const double window = std::fabs(cp.t_E - cp.t_A);
  if (!std::isnan(f_high)) {
    const double rate = cp.npoints / window;
    if (rate < 2.0 * f_high) console_write(msg::kAliasedSpectrum, {rate, f_high});
  }
  if (!std::isnan(f_low) && window < 2.0 / f_low) console_write(msg::kShortTimeWindow, {window, f_low});

  // The displacements: the initial state, then the samples 1 .. npoints-1.
  const auto samples = static_cast<std::size_t>(std::max(cp.npoints - 1, 0));
  for (const auto& [initial, history] : {std::pair{cp.y0[2], &h.Y3}, std::pair{cp.y0[3], &h.Y4}}) {
    std::vector<double> x{initial};
    x.insert(x.end(), history->begin(), history->begin() + static_cast<std::ptrdiff_t>(samples));
    if (grows_unstably(x)) {
      console_write(msg::kGrowingResponse, {});
      break;
    }
  }
}

}  // namespace zelvan::driver
