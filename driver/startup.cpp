#include "driver/startup.hpp"

#include <string>

#include "aero/possio_block.hpp"
#include "driver/case_parameters.hpp"
#include "driver/console_output.hpp"
#include "driver/getarg.hpp"
#include "driver/input_file.hpp"
#include "driver/messages.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {

constexpr std::size_t kArgumentLength = 20;
const std::string kDefaultInputFile = "zelvan.inp";

[[noreturn]] void stop_run(std::string text, std::string_view stop_line) {
  text += stop_line;
  text += '\n';
  throw textio::RunStop(textio::StopReason::limit_violation, text);
}

bool is_blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

std::string padded(const std::string& s, std::size_t length) {
  std::string out = s.substr(0, length);
  out.resize(length, ' ');
  return out;
}

void set_possio_settings() {
  aero::PossioBlock& block = aero::possio_block();
  block.possio_switches = {1, 1, 0, 0};
  block.xrud = 0.0;
  block.possio_listing = padded("possio_sub.out", 20);
}

}  // namespace

void start_up() {
  CaseParameters& cp = case_parameters();

  std::string buffer(kArgumentLength, ' ');
  GETARG(1, buffer);
  if (is_blank(buffer)) {
    cp.is_win = true;
    cp.is_sgi = cp.is_lnx = cp.is_unix = false;
    cp.input_file = padded(kDefaultInputFile, kArgumentLength);
  } else {
    cp.sys = buffer.substr(0, 3);
    cp.is_win = cp.sys == "WIN" || cp.sys == "win";
    cp.is_sgi = cp.sys == "SGI" || cp.sys == "sgi";
    cp.is_lnx = cp.sys == "LNX" || cp.sys == "lnx";
    cp.is_unix = cp.is_sgi || cp.is_lnx;
    buffer.assign(kArgumentLength, ' ');
    GETARG(2, buffer);
    cp.input_file = is_blank(buffer) ? padded(kDefaultInputFile, kArgumentLength) : buffer;
  }

  cp.deg2rad = kTwoPi / 360.0;
  set_possio_settings();
  cp.coupling_tolerance = 5;

  // Tell the user when the name they gave was cut to 20 characters.
  const auto& words = command_line();
  const bool name_was_cut = words.size() > 2 && words[2].size() > kArgumentLength;
  read_input_file(cp, cp.input_file_name(), name_was_cut ? msg::kNameWasCut : std::string_view{});

  console_write(msg::kInputDataRead, {});

  cp.phi_rad = cp.phi * cp.deg2rad;

  if (cp.npoints > istore) stop_run(message_text(msg::kTooManyNodes, {cp.npoints, istore}), msg::kStopTooManyNodes);
  // Not limits of the record but of the analysis: no samples, or a time
  // interval of zero length (the spectral line spacing is 1/(t_E - t_A)).
  if (cp.npoints < 1) stop_run(message_text(msg::kTooFewNodes, {cp.npoints}), msg::kStopTooFewNodes);
  if (cp.t_E == cp.t_A) stop_run(message_text(msg::kEmptyTimeInterval, {cp.t_A}), msg::kStopEmptyTimeInterval);
}

}  // namespace zelvan::driver
