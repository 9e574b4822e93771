#include "driver/run.hpp"

#include <exception>
#include <ostream>

#include "aero/aero.hpp"
#include "core/core.hpp"
#include "driver/case_parameters.hpp"
#include "driver/figures.hpp"
#include "driver/flutter.hpp"
#include "driver/flutter_solution.hpp"
#include "driver/getarg.hpp"
#include "driver/messages.hpp"
#include "driver/model.hpp"
#include "driver/result_files.hpp"
#include "driver/result_warnings.hpp"
#include "driver/run_context.hpp"
#include "driver/spectrum.hpp"
#include "driver/startup.hpp"
#include "driver/time_history.hpp"
#include "numlib/numlib.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {

// Exit status of an internal error (a fault of the program, not the case).
constexpr int kInternalErrorStatus = 70;

void reset_run_records() {
  // The numerical library's messages go to the console like every other
  // console line (and follow its redirection).
  core::set_message_sink(&textio::console_sink());
  run_context().reset();
  // A stop of the library ends with the program's stop line, after the
  // library's message.
  numlib::set_stop_text("\n" + std::string(msg::kStopLibraryError) + "\n");
}

int run_zelvan(std::span<const std::string> words) {
  reset_run_records();
  set_command_line(words);
  std::ostream& out = textio::console();
  try {
    start_up();
    // One run at a time writes into the folder, and it replaces the
    // results of an earlier run as a whole, at its end: every result file
    // is held until then, and a stop discards them all.
    const textio::FolderLock lock(".");
    textio::ResultSet results;
    build_model();
    flutter_analysis();
    do {
      run_time_history();
    } while (analyse_response());
    warn_about_meaningless_results();
    complete_analysis();
    write_result_files();
    // The figures are drawn from the new results before they are put in
    // place; their failures are reported and never change the exit status.
    draw_run_figures(figures_of_run(), results);
    results.commit();
  } catch (const textio::RunStop& stop) {
    out << stop.console_text() << textio::output_files_report();
    out.flush();
    return stop.exit_status();
  } catch (const std::exception& error) {
    out << '\n'
        << msg::kInternalError << error.what() << "\n\n"
        << msg::kStopInternalError << '\n'
        << textio::output_files_report();
    out.flush();
    return kInternalErrorStatus;
  }
  out.flush();
  return 0;
}

}  // namespace zelvan::driver
