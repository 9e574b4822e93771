#include "driver/startup.hpp"

#include <string>

#include "aero/possio_block.hpp"
#include "driver/case_parameters.hpp"
#include "driver/console_output.hpp"
#include "driver/getarg.hpp"
#include "driver/input_file.hpp"
#include "driver/messages.hpp"
#include "driver/result_names.hpp"
#include "textio/messages.hpp"
#include "textio/textio.hpp"

#ifndef ZELVAN_VERSION
#define ZELVAN_VERSION "unknown"
#endif

namespace zelvan::driver {
namespace {

// The operating-system option is read three characters wide.
constexpr std::size_t kOptionLength = 3;
const std::string kDefaultInputFile = "zelvan.inp";

[[noreturn]] void stop_run(std::string text, std::string_view stop_line) {
  text += stop_line;
  text += '\n';
  throw textio::RunStop(textio::StopReason::limit_violation, text);
}

[[noreturn]] void usage_error(const std::string& message) {
  std::string text = "\n";
  text += msg::kUsageErrorPrefix;
  text += message;
  text += '\n';
  text += msg::kUsageHint;
  text += "\n\n";
  text += msg::kStopUsageError;
  text += '\n';
  throw textio::RunStop(textio::StopReason::input_error, text);
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
  block.possio_listing = padded(std::string(kPossioListingFile), 20);
}

// The arguments that end the run before any work: the usage text, the
// version, an unknown option, too many arguments.
void check_arguments(const std::vector<std::string>& words) {
  const auto arguments = std::span(words).subspan(1);
  for (const std::string& word : arguments) {
    if (word == "--help" || word == "-h")
      throw textio::RunStop(textio::StopReason::normal_end, std::string(msg::kUsageText));
  }
  for (const std::string& word : arguments) {
    if (word == "--version") {
      throw textio::RunStop(textio::StopReason::normal_end, std::string(msg::kVersionPrefix) + ZELVAN_VERSION + "\n");
    }
  }
  for (const std::string& word : arguments) {
    if (word.starts_with('-')) usage_error(textio::msg::compose(msg::kUnknownArgument, {word}));
  }
  if (arguments.size() > 2)
    usage_error(textio::msg::compose(msg::kTooManyArguments, {std::to_string(arguments.size())}));
}

// The operating-system option, checked before anything is computed.
void check_option(const CaseParameters& cp) {
  if (cp.is_win || cp.is_sgi || cp.is_lnx) return;
  std::string text = message_text(msg::kNoValidOs, {});
  text += msg::kStopWrongOptionPrefix;
  text += cp.sys;
  text += '\n';
  throw textio::RunStop(textio::StopReason::limit_violation, text);
}

}  // namespace

void start_up() {
  CaseParameters& cp = case_parameters();
  const std::vector<std::string>& words = command_line();
  check_arguments(words);

  std::string buffer(kOptionLength, ' ');
  GETARG(1, buffer);
  if (is_blank(buffer)) {
    cp.is_win = true;
    cp.is_sgi = cp.is_lnx = cp.is_unix = false;
    cp.input_file = kDefaultInputFile;
  } else {
    cp.sys = buffer;
    cp.is_win = cp.sys == "WIN" || cp.sys == "win";
    cp.is_sgi = cp.sys == "SGI" || cp.sys == "sgi";
    cp.is_lnx = cp.sys == "LNX" || cp.sys == "lnx";
    cp.is_unix = cp.is_sgi || cp.is_lnx;
    check_option(cp);
    // The input file name is taken whole, however long.
    const std::string name = words.size() > 2 ? words[2] : std::string();
    cp.input_file = is_blank(name) ? kDefaultInputFile : name;
  }

  cp.deg2rad = kTwoPi / 360.0;
  set_possio_settings();
  cp.coupling_tolerance = kSweepDefaults.coupling_tolerance;

  const textio::ReadWarnings warnings = read_input_file(cp, cp.input_file_name());
  refuse_input_that_is_a_result(cp);
  refuse_listing_that_is_another_file(cp);

  // What the reader noticed but read as it stands, before the confirmation.
  for (const std::string& warning : warnings) {
    console_write(msg::kInputWarning, {textio::msg::kInputWarningPrefix, warning});
  }
  console_write(msg::kInputDataRead, {});

  cp.phi_rad = cp.phi * cp.deg2rad;

  if (cp.npoints > istore) stop_run(message_text(msg::kTooManyNodes, {cp.npoints, istore}), msg::kStopTooManyNodes);
  // Not limits of the record but of the analysis: no samples, or a time
  // interval of zero length (the spectral line spacing is 1/(t_E - t_A)).
  if (cp.npoints < 1) stop_run(message_text(msg::kTooFewNodes, {cp.npoints}), msg::kStopTooFewNodes);
  if (cp.t_E == cp.t_A) stop_run(message_text(msg::kEmptyTimeInterval, {cp.t_A}), msg::kStopEmptyTimeInterval);
  // The sweep's work (and the flutter table's size) grows with its steps.
  const long long sweep_steps = static_cast<long long>(cp.nstep) + cp.nextra + 1;
  if (sweep_steps > msg::kMaxSweepSteps) {
    std::string text = "\n";
    text += textio::msg::compose(msg::kTooManySweepSteps,
                                 {std::to_string(sweep_steps), std::to_string(msg::kMaxSweepSteps)});
    text += "\n\n";
    stop_run(text, msg::kStopTooManySweepSteps);
  }
}

}  // namespace zelvan::driver
