// The flutter solution of the run: computed from the sweep, the model and
// the case parameters (flutter/), then its files and its console summary,
// and the marks its figures need.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "aero/flow.hpp"
#include "driver/case_parameters.hpp"
#include "driver/lco_sweep.hpp"
#include "driver/model.hpp"
#include "flutter/flutter.hpp"

namespace zelvan::driver {

struct SweepResults;

// The solution's values under the driver's names (the files, the figures
// and the tests use them).
using aero::flow_speed;
using aero::reduced_frequency;
using flutter::Crossing;
using flutter::CrossingKind;
using flutter::Divergence;
using flutter::MatchedIteration;
using flutter::MatchedPoint;
using flutter::MatchStop;
using flutter::PkPoint;
using flutter::PkResult;
using flutter::TrackedSeries;

// Everything the flutter solution found (flutter::FlutterResult), with the
// run's values it was found for, in SI units.
struct FlutterSolution : flutter::FlutterResult {
  bool analysed = false;  // false: no sweep file, nothing is set
  std::string title;
  AeroRoute route = AeroRoute::external;
  double w_star = 0.0, Ma = 0.0, x_ref = 0.0, rho = 0.0;
  std::array<double, 2> structural_frequencies{};  // f_0_1, f_0_2 [Hz]
  int method = 0;                                  // flutter_method
  bool truncated = false;                          // only the first kMaxKeptSteps sweep steps were kept
  // The limit-cycle sweep of the nonlinear-spring group (with the
  // state-space model of the solution).
  std::optional<LcoSweep> lco;
};

// The solution of the case `cp` (with its structural frequencies f_0_1,
// f_0_2) and `model` from `sweep` when the sweep went to "zelvan_fl.dat"
// (otherwise nothing is analysed); writes "zelvan_flutter.dat" and
// "zelvan_flutter.json", and, when the input holds the flutter-solution
// group, the console summary.  The run's coefficients, the Possio listing
// and the case parameters are left as they are.
FlutterSolution flutter_solution(const CaseParameters& cp, const AeroelasticModel& model, const SweepResults& sweep);

// The same solution as a value, without files or console lines (and, for
// a nonlinear group without a state-space model, without the line that
// says so): what flutter_solution writes.
FlutterSolution solve_flutter_solution(const CaseParameters& cp, const AeroelasticModel& model,
                                       const SweepResults& sweep);

// The solution of the run (run_context().flutter_solution).
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
  bool flutter_file_written = false;          // "zelvan_flutter.dat" was written
  bool pk_rows = false;                       // its p-k blocks hold rows
  std::optional<Point> critical;              // the sweep's critical crossing
  std::optional<Point> pk_critical;           // the p-k critical crossing
  bool state_space_rows = false;              // the state-space tracked-mode block holds rows
  std::optional<Point> state_space_critical;  // the p-method's critical crossing
  std::optional<Matched> matched;             // the matched point (last iterate when not converged)
  std::optional<Divergence> divergence;
};

// The marks of `solution`.
FlutterMarks flutter_marks(const FlutterSolution& solution);

}  // namespace zelvan::driver
