#include "driver/nonlinear_input.hpp"

#include <cmath>
#include <string>

#include "driver/constants.hpp"
#include "driver/group_record.hpp"
#include "driver/input_markers.hpp"
#include "driver/input_records.hpp"
#include "driver/messages.hpp"
#include "textio/messages.hpp"

namespace zelvan::driver {
namespace {

// The record numbers of the group.
enum Record { kCubicH = 1, kFreeplayH, kCubicTheta, kFreeplayTheta, kVStart, kVEnd, kCount, kTheta0 };

}  // namespace

textio::ReadWarnings read_nonlinear_group(textio::RecordSource& in, CaseParameters& cp) {
  cp.nonlinear.reset();
  textio::ReadWarnings warnings;
  if (!cp.section) {
    // A nonlinear group written without the section group before it: its
    // marker is told of when the line after the fourth marker can be read,
    // nothing more is read.
    if (!cp.flutter_group) return warnings;
    const MarkerLine next = read_marker(in, "the line after the fourth marker", kGroupMarkers, {});
    if (next.opens) {
      warnings.push_back(
          textio::msg::compose(msg::kNonlinearWithoutSection, {in.name(), std::to_string(in.lines_read())}));
    }
    return warnings;
  }
  MarkerLine marker = read_marker(in, "the fifth marker", kGroupMarkers, msg::kFifthMarkerNotRead);
  if (marker.warning) warnings.push_back(std::move(*marker.warning));
  if (!marker.opens) return warnings;

  NonlinearSpringsInput springs;
  // Each record read and checked in turn, so that an error names the first
  // bad record.
  const auto value = [&](int record, const auto& problem_of) {
    const InputRecord& field = record_fields(InputBlock::nonlinear, record).front();
    const GroupRecord read = read_group_record(in, InputBlock::nonlinear, record, warnings);
    if (!read.value && field.required) group_value_error(in, read, msg::kSectionRequired);
    const double v = read.value.value_or(field.default_value);
    if (!std::isfinite(v)) group_value_error(in, read, msg::kSectionNotFinite);
    const std::string problem = problem_of(v);
    if (!problem.empty()) group_value_error(in, read, problem);
    return v;
  };
  const auto any = [](double) { return std::string(); };
  const auto width_of = [](double cubic, std::string_view cubic_name) {
    return [cubic, cubic_name](double width) {
      if (width < 0.0) return std::string(msg::kSectionNegative);
      if (width > 0.0 && cubic != 0.0) return textio::msg::compose(msg::kNonlinearCubicAndFreeplay, {cubic_name});
      return std::string();
    };
  };
  const auto positive = [](double v) { return v > 0.0 ? std::string() : std::string(msg::kSectionNotPositive); };
  springs.cubic_h = value(kCubicH, any);
  springs.freeplay_h = value(kFreeplayH, width_of(springs.cubic_h, "cubic_h"));
  springs.cubic_theta = value(kCubicTheta, any);
  springs.freeplay_theta = value(kFreeplayTheta, width_of(springs.cubic_theta, "cubic_theta"));
  // The sweep marches the state-space model of the p-k analysis: a
  // computed route and flutter_method 1 or 2.
  springs.lco_V_start = value(kVStart, [&](double v) {
    if (cp.flutter_method < 1) return std::string(msg::kNonlinearNeedsPk);
    if (std::fabs(cp.w_star) <= kNegligible) return std::string(msg::kNonlinearNeedsComputedRoute);
    return positive(v);
  });
  springs.lco_V_end = value(kVEnd, [&](double v) {
    return v > springs.lco_V_start ? std::string() : std::string(msg::kNonlinearSpeedsOrder);
  });
  springs.lco_count = static_cast<int>(value(kCount, [](double v) {
    return v >= kFewestLcoSpeeds && v <= kMostLcoSpeeds ? std::string() : std::string(msg::kNonlinearCountOutside);
  }));
  springs.lco_theta0 = value(kTheta0, positive);
  cp.nonlinear = springs;
  return warnings;
}

}  // namespace zelvan::driver
