#include "driver/run.hpp"

#include <exception>
#include <ostream>

#include "aero/possio_block.hpp"
#include "driver/case_parameters.hpp"
#include "driver/getarg.hpp"
#include "driver/messages.hpp"
#include "driver/startup.hpp"
#include "numlib/numlib.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {

// Exit status of an internal error (a fault of the program, not the case).
constexpr int kInternalErrorStatus = 70;

int run_zelvan(std::span<const std::string> words) {
  reset_case_parameters();
  aero::reset_possio_block();
  numlib::reset_error_handler();
  numlib::reset_units();
  numlib::reset_option_store();
  set_command_line(words);
  std::ostream& out = textio::console();
  try {
    start_up();
  } catch (const textio::RunStop& stop) {
    out << stop.console_text();
    out.flush();
    return stop.exit_status();
  } catch (const std::exception& error) {
    out << '\n' << msg::kInternalError << error.what() << "\n\n" << msg::kStopInternalError << '\n';
    out.flush();
    return kInternalErrorStatus;
  }
  out.flush();
  return 0;
}

}  // namespace zelvan::driver
