#include "driver/flutter_input.hpp"

#include <array>
#include <string>

#include "driver/input_markers.hpp"
#include "driver/messages.hpp"
#include "textio/layout.hpp"
#include "textio/messages.hpp"
#include "textio/stop.hpp"

namespace zelvan::driver {
namespace {

constexpr double kDefaultTolerance = 1e-6;
constexpr int kDefaultIterations = 30;

[[noreturn]] void bad_value(const textio::RecordSource& in, std::size_t line, std::string_view what,
                            std::string_view problem) {
  throw textio::RunStop(textio::StopReason::input_error,
                        textio::input_error_text(textio::msg::compose(
                            msg::kGroupBadValue, {in.name(), std::to_string(line), what, problem})));
}

}  // namespace

void set_flutter_group_defaults(CaseParameters& cp) {
  cp.flutter_group = false;
  cp.flutter_method = 0;
  cp.sound_speed = 0.0;
  cp.match_tolerance = kDefaultTolerance;
  cp.match_iterations = kDefaultIterations;
}

textio::ReadWarnings read_flutter_group(textio::RecordSource& in, CaseParameters& cp) {
  static const textio::Layout kReal("(F10.0)");
  static const textio::Layout kInteger("(I10)");
  set_flutter_group_defaults(cp);
  MarkerLine marker = read_marker(in, "the third marker", kGroupMarkers, msg::kThirdMarkerNotRead);
  textio::ReadWarnings warnings;
  if (marker.warning) warnings.push_back(std::move(*marker.warning));
  if (!marker.opens) return warnings;
  cp.flutter_group = true;
  double tolerance = 0.0;
  int iterations = 0;
  // Reads one record and returns its line number.
  const auto read = [&](const textio::Layout& layout, textio::Target target, std::string_view what) {
    const textio::ReadWarnings more = in.read(layout, std::array<textio::Target, 1>{target}, what);
    warnings.insert(warnings.end(), more.begin(), more.end());
    return in.lines_read();
  };
  const std::size_t method_line = read(kInteger, &cp.flutter_method, msg::kFlutterRecordMethod);
  const std::size_t sound_line = read(kReal, &cp.sound_speed, msg::kFlutterRecordSoundSpeed);
  const std::size_t tolerance_line = read(kReal, &tolerance, msg::kFlutterRecordTolerance);
  const std::size_t iterations_line = read(kInteger, &iterations, msg::kFlutterRecordIterations);

  if (cp.flutter_method < 0 || cp.flutter_method > 2) {
    bad_value(in, method_line, msg::kFlutterRecordMethod, msg::kFlutterMethodOutside);
  }
  if (cp.flutter_method == 2 && !(cp.sound_speed > 0.0)) {
    bad_value(in, sound_line, msg::kFlutterRecordSoundSpeed, msg::kFlutterSoundSpeedNeeded);
  }
  if (tolerance < 0.0) bad_value(in, tolerance_line, msg::kFlutterRecordTolerance, msg::kFlutterNegative);
  if (iterations < 0) bad_value(in, iterations_line, msg::kFlutterRecordIterations, msg::kFlutterNegative);
  cp.match_tolerance = tolerance > 0.0 ? tolerance : kDefaultTolerance;
  cp.match_iterations = iterations > 0 ? iterations : kDefaultIterations;
  return warnings;
}

}  // namespace zelvan::driver
