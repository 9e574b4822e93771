// The files of the flutter solution: "zelvan_flutter.dat" (fixed-column
// text for people and for plotting) and "zelvan_flutter.json".
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/case_parameters.hpp"

namespace zelvan::driver {

struct FlutterSolution;

// Writes both files of an analysed solution through textio::OutputFile; a
// write failure ends the run naming the file (RunStop, output_error).
// `section`: the typical section of the input, whose terms the JSON file
// gives beside the SI values (its key "section" is null without one).
// Also "zelvan_lco.dat" when the solution has a limit-cycle sweep.
void write_flutter_solution_files(const FlutterSolution& solution, const std::optional<SectionInput>& section);

// The text of "zelvan_flutter.json" for `solution` and `section`, as
// write_flutter_solution_files writes it (ending in a line end).
std::string flutter_json_text(const FlutterSolution& solution, const std::optional<SectionInput>& section);

// The widths of the fields of a tracked-mode row of "zelvan_flutter.dat"
// (q, u, then for each mode f, d, g, k and its column), from its writer's
// layout.
std::vector<int> tracked_mode_row_widths();

inline constexpr std::string_view kFlutterSolutionFile = "zelvan_flutter.dat";
inline constexpr std::string_view kFlutterJsonFile = "zelvan_flutter.json";
// The limit-cycle sweep (with the nonlinear-spring group).
inline constexpr std::string_view kLcoDataFile = "zelvan_lco.dat";

// The widths of the fields of "zelvan_lco.dat": its sweep rows (V, u, q,
// start, state, A_h, A_theta, f, A_theta_hb) and the rows of its
// harmonic-balance curve (A_theta, V, stable 1 or 0), from its writer.
std::vector<int> lco_row_widths();
std::vector<int> lco_curve_widths();
// The first words of the title lines of the state-space blocks of
// "zelvan_flutter.dat", which the flutter figure selects them by.
inline constexpr std::string_view kStateSpaceBlockTitle = "# State-space model (p-method)";

// The flutter points of a "zelvan_flutter.json" file, as its readers (the
// study tool) take them up: each value empty where the file has none
// (null, or a key that is missing).
struct FlutterJsonPoint {
  std::optional<double> q, u, f, k;  // N/m^2, m/s, Hz, -
};
struct FlutterJsonSummary {
  FlutterJsonPoint critical;  // the sweep's critical crossing
  std::optional<double> divergence_q, divergence_u;
  FlutterJsonPoint pk;  // the p-k critical crossing
  std::optional<bool> matched_converged;
  FlutterJsonPoint matched;  // the matched point (the last iterate when not converged)
  std::optional<double> matched_Ma;
};

// Reads the summary of a "zelvan_flutter.json" that write_flutter_solution_files
// wrote, with the writer's own key names; empty when `in` holds no JSON
// object.
std::optional<FlutterJsonSummary> read_flutter_json_summary(std::istream& in);

}  // namespace zelvan::driver
