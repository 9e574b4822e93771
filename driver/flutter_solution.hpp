// The flutter solution on top of the sweep: tracked modes, crossings and
// the critical point, divergence, and on request the p-k analysis and the
// matched flutter point; its files and its console summary.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "driver/flutter_crossings.hpp"
#include "driver/matched_point.hpp"
#include "driver/model.hpp"
#include "driver/pk_analysis.hpp"

namespace zelvan::driver {

struct SweepResults;

// Everything the flutter solution found, in SI units.
struct FlutterSolution {
  bool analysed = false;  // false: no sweep file, nothing below is set
  std::string title;
  AeroRoute route = AeroRoute::external;
  double w_star = 0.0, Ma = 0.0, x_ref = 0.0, rho = 0.0;
  std::array<double, 2> structural_frequencies{};  // f_0_1, f_0_2 [Hz]
  int method = 0;                                  // flutter_method
  bool truncated = false;                          // only the first kMaxKeptSteps sweep steps were kept
  // The sweep, tracked: series.modes[m][i] the solution of tracked mode m
  // at step i, column[m][i] its table column (1 or 2).
  TrackedSeries sweep;
  std::array<std::vector<int>, 2> column;
  std::vector<Crossing> crossings;
  std::optional<Crossing> critical;
  std::optional<Divergence> divergence;
  std::optional<PkResult> pk;           // methods 1 and 2, computed routes
  std::optional<MatchedPoint> matched;  // methods 1 and 2, computed routes
  bool matched_without_start = false;   // no p-k critical point to start from
  long possio_solves = 0;               // exact Possio solves of the solution
  std::size_t grid_points = 0;          // Possio grid size of the p-k analysis (0: none)
};

// Computes the solution from the sweep when it went to "zelvan_fl.dat",
// writes "zelvan_flutter.dat" and "zelvan_flutter.json", and, when the
// input holds the flutter-solution group, the console summary.  Needs the
// model, the sweep and the structural frequencies (f_0_1, f_0_2).  The
// run's coefficients, the Possio listing and the case parameters are left
// as they are.
void flutter_solution(const SweepResults& sweep);

// The last solution (for tests, and for the files).
const FlutterSolution& flutter_solution_result();

// What a figure of the flutter solution needs to draw.
struct FlutterMarks {
  struct Point {
    double q = 0.0, u = 0.0, f = 0.0, k = 0.0;
  };
  struct Matched {
    double q = 0.0, u = 0.0, f = 0.0, k = 0.0;
    bool converged = false;
  };
  bool flutter_file_written = false;  // "zelvan_flutter.dat" was written
  bool pk_rows = false;               // its p-k blocks hold rows
  std::optional<Point> critical;      // the sweep's critical crossing
  std::optional<Point> pk_critical;   // the p-k critical crossing
  std::optional<Matched> matched;     // the matched point (last iterate when not converged)
  std::optional<Divergence> divergence;
};

// The marks of the last solution.
FlutterMarks flutter_marks();

// Forgets the last solution (at the start of a run).
void reset_flutter_solution();

}  // namespace zelvan::driver
