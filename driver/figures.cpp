#include "driver/figures.hpp"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <ostream>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "driver/case_parameters.hpp"
#include "driver/flutter.hpp"
#include "driver/flutter_solution.hpp"
#include "driver/flutter_solution_files.hpp"
#include "driver/messages.hpp"
#include "driver/model.hpp"
#include "driver/result_files.hpp"
#include "driver/result_names.hpp"
#include "driver/spectrum.hpp"
#include "plot/gnuplot_run.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {

namespace {

// The flutter-solution file, the route of its coefficients and the points
// the flutter diagram marks: the sweep's critical crossing (at the input's
// w_star), the p-k and the state-space critical points whenever there are
// any, the matched point
// when it converged, and the divergence speed.
void add_flutter_solution(plot::FigureScript& f, const FlutterSolution& solution) {
  const FlutterMarks marks = flutter_marks(solution);
  if (!marks.flutter_file_written) return;
  const auto mark = [](const auto& p) { return plot::FlutterMark{p.q, p.u, p.f, p.k}; };
  f.route = route_name(solution.route);
  if (solution.route != AeroRoute::external) f.route_mach = solution.Ma;
  f.flutter_solution = std::string(kFlutterSolutionFile);
  f.solution_widths = tracked_mode_row_widths();
  f.sweep_crossing_rows = !solution.crossings.empty();
  f.pk_rows = marks.pk_rows;
  if (marks.critical) f.critical = mark(*marks.critical);
  if (marks.pk_critical) f.pk_critical = mark(*marks.pk_critical);
  // gnuplot selects the block by the text of its title line after "# ".
  if (marks.state_space_rows) f.state_space_block = std::string(kStateSpaceBlockTitle.substr(2));
  if (marks.state_space_critical) f.state_space_critical = mark(*marks.state_space_critical);
  if (marks.matched && marks.matched->converged) f.matched = mark(*marks.matched);
  if (marks.divergence) f.divergence_speed = marks.divergence->u;
  if (solution.lco) {
    f.lco_file = std::string(kLcoDataFile);
    f.lco_row_widths = lco_row_widths();
    f.lco_curve_widths = lco_curve_widths();
    f.lco_linear_flutter_V = solution.lco->linear_flutter_V;
    f.lco_speeds = {solution.lco->springs.lco_V_start, solution.lco->springs.lco_V_end};
    f.lco_log_amplitude = solution.lco->springs.freeplay_h > 0.0 || solution.lco->springs.freeplay_theta > 0.0;
  }
}

}  // namespace

plot::FigureScript figures_of_run(const CaseParameters& cp, const AeroelasticModel& model, const Spectrum& s,
                                  const FlutterSolution& solution,
                                  const std::optional<StateSpaceHistory>& state_space) {
  plot::FigureScript f;
  f.data_file = std::string(kDataFile);
  if (state_space) {
    f.state_space_file = std::string(kStateSpaceDataFile);
    f.state_space_columns = state_space_file_columns();
  }
  f.data_columns = data_file_columns();
  f.records = cp.npoints;
  f.spectral_lines = (cp.npoints + 1) / 2;
  f.parameters = plot_case(cp, model.structure, cp.title);
  f.y0 = cp.y0;
  if (s.coupling_frequency > 0.0) f.coupling_frequency = s.coupling_frequency;
  if (cp.nstep > 0) {
    f.flutter_table = std::string(kFlutterTableFile);
    f.table_columns = flutter_table_columns();
    // One row per sweep step (see flutter_sweep).
    const long long steps = static_cast<long long>(cp.nstep) + cp.nextra + 1;
    f.flutter_rows = static_cast<int>(std::clamp(steps, 0LL, static_cast<long long>(INT_MAX)));
  }
  add_flutter_solution(f, solution);
  return f;
}

void write_figure_script(const plot::FigureScript& figures) {
  textio::OutputFile script(kFigureScriptName);
  plot::write_gnuplot_script(script.stream(), figures);
  script.close();
}

bool plotting_enabled() {
  const char* value = std::getenv("ZELVAN_PLOT");
  return value == nullptr || std::string_view(value) != "0";
}

namespace {

// The script's file variables, each set to the temporary that holds the
// new file, so that gnuplot draws the results that are not yet in place.
std::vector<plot::ScriptSetting> new_result_files(const plot::FigureScript& figures, const textio::ResultSet& results) {
  std::vector<plot::ScriptSetting> settings;
  const std::pair<const char*, const std::string*> files[] = {{"data_file", &figures.data_file},
                                                              {"table_file", &figures.flutter_table},
                                                              {"solution_file", &figures.flutter_solution},
                                                              {"state_space_file", &figures.state_space_file},
                                                              {"lco_file", &figures.lco_file}};
  for (const auto& [variable, name] : files) {
    const std::string temporary = name->empty() ? std::string() : results.temporary_of(*name);
    if (!temporary.empty()) settings.push_back({variable, temporary});
  }
  return settings;
}

// The figures gnuplot drew into temporaries, held by `results`; none when
// the figures are off or gnuplot failed.
std::vector<std::string> drawn_figures(const plot::FigureScript& figures, textio::ResultSet& results) {
  if (!plotting_enabled()) return {};
  try {
    const plot::FigureRequest request{results.temporary_of(kFigureScriptName), kFigureScriptName,
                                      plot::figure_files(figures), new_result_files(figures, results)};
    const plot::DrawnFigures drawn = plot::draw_figures(request);
    if (drawn.outcome != plot::FigureOutcome::written) return {};
    for (std::size_t i = 0; i < request.figures.size(); ++i) results.hold(request.figures[i], drawn.temporaries[i]);
    return request.figures;
  } catch (const std::exception& error) {
    // Out of memory or a failing file system call: still only this line.
    textio::console() << msg::kFiguresFailed << error.what() << '\n';
    return {};
  }
}

}  // namespace

void draw_run_figures(const plot::FigureScript& figures, textio::ResultSet& results) {
  const std::vector<std::string> drawn = drawn_figures(figures, results);
  std::string removed;
  for (const std::string_view figure : plot::kFigureFiles) {
    const std::string name(figure);
    std::error_code error;
    if (std::find(drawn.begin(), drawn.end(), name) != drawn.end() || !std::filesystem::is_regular_file(name, error))
      continue;
    results.remove_at_commit(name);
    removed += " " + name;
  }
  if (!removed.empty()) textio::console() << msg::kEarlierFiguresRemoved << removed << '\n';
}

}  // namespace zelvan::driver
