#include "driver/flutter_input.hpp"

#include <array>
#include <string>

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
  std::string text = "\n";
  text += textio::msg::kInputErrorPrefix;
  text += textio::msg::compose(msg::kFlutterGroupBadValue, {in.name(), std::to_string(line), what, problem});
  text += "\n\n";
  text += textio::msg::kInputStopLine;
  text += '\n';
  throw textio::RunStop(textio::StopReason::input_error, text);
}

}  // namespace

void set_flutter_group_defaults(CaseParameters& cp) {
  cp.flutter_group = false;
  cp.flutter_method = 0;
  cp.sound_speed = 0.0;
  cp.match_tolerance = kDefaultTolerance;
  cp.match_iterations = kDefaultIterations;
}

void read_flutter_group(textio::RecordSource& in, CaseParameters& cp) {
  static const textio::Layout kMarker("(A1)");
  static const textio::Layout kReal("(F10.0)");
  static const textio::Layout kInteger("(I10)");
  set_flutter_group_defaults(cp);
  std::string marker(1, ' ');
  if (!in.read_unless_end(kMarker, std::array<textio::Target, 1>{&marker}, "the third marker") || marker[0] != '.') {
    return;
  }
  cp.flutter_group = true;
  double tolerance = 0.0;
  int iterations = 0;
  in.read(kInteger, std::array<textio::Target, 1>{&cp.flutter_method}, msg::kFlutterRecordMethod);
  const std::size_t method_line = in.lines_read();
  in.read(kReal, std::array<textio::Target, 1>{&cp.sound_speed}, msg::kFlutterRecordSoundSpeed);
  const std::size_t sound_line = in.lines_read();
  in.read(kReal, std::array<textio::Target, 1>{&tolerance}, msg::kFlutterRecordTolerance);
  const std::size_t tolerance_line = in.lines_read();
  in.read(kInteger, std::array<textio::Target, 1>{&iterations}, msg::kFlutterRecordIterations);
  const std::size_t iterations_line = in.lines_read();

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
}

}  // namespace zelvan::driver
