#include "driver/run.hpp"

#include <exception>
#include <optional>
#include <ostream>
#include <utility>

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
#include "driver/result_names.hpp"
#include "driver/result_warnings.hpp"
#include "driver/run_context.hpp"
#include "driver/spectrum.hpp"
#include "driver/startup.hpp"
#include "driver/state_space_history.hpp"
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
    RunContext& run = run_context();
    CaseParameters& cp = run.case_parameters;
    run.model = build_model(cp);
    FlutterAnalysis flutter = flutter_analysis(cp, run.model);
    run.sweep = std::move(flutter.sweep);
    run.flutter_solution = std::move(flutter.solution);
    run.time_history = run_time_history(cp, run.model);
    run.spectrum = analyse_response(cp, run.time_history);
    // Strong coupling: one second run, with the aerodynamic damping
    // referred to the coupling frequency instead of the structural one.
    if (run.spectrum.strong_coupling) {
      refer_damping_to_coupling_frequency(cp, run.spectrum.coupling_frequency);
      run.time_history = run_time_history(cp, run.model);
      run.spectrum = analyse_response(cp, run.time_history, run.spectrum.coupling_frequency);
    }
    // The same history with the state-space aerodynamics, where the
    // flutter solution has the model.
    std::optional<StateSpaceHistory> state_space;
    if (run.flutter_solution.state_space) {
      state_space = run_state_space_history(cp, run.model.structure, run.flutter_solution.state_space->model);
    }
    warn_about_meaningless_results(cp, run.time_history);
    report_operating_point(cp, run.spectrum);
    const plot::FigureScript figures = figures_of_run(cp, run.model, run.spectrum, run.flutter_solution, state_space);
    write_result_files(cp, run.model, run.time_history, state_space, run.spectrum, figures);
    // A state-space history or limit-cycle sweep of an earlier run would
    // pass for this one's.
    if (!state_space) results.remove_at_commit(std::string(kStateSpaceDataFile));
    if (!run.flutter_solution.lco) results.remove_at_commit(std::string(kLcoDataFile));
    // The figures are drawn from the new results before they are put in
    // place; their failures are reported and never change the exit status.
    draw_run_figures(figures, results);
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
