// The run context: the one object that owns every record of a run.
#pragma once

#include <string>
#include <vector>

#include "aero/aero_state.hpp"
#include "driver/case_parameters.hpp"
#include "driver/flutter.hpp"
#include "driver/flutter_solution.hpp"
#include "driver/model.hpp"
#include "driver/spectrum.hpp"
#include "driver/time_history.hpp"
#include "numlib/library_state.hpp"
#include "textio/output_file.hpp"

namespace zelvan::driver {

// The records of the program's run, and the state of the libraries below
// the driver that must live for a run.  The driver's accessors
// (case_parameters(), model(), time_history(), ...) read the members of
// run_context(); the lower libraries reach their parts through the
// bindings that the constructor sets (numlib::bind_library_state,
// aero::bind_aero_state, textio::bind_output_records) and the destructor
// clears.  Not copyable: the bindings point at the members.
class RunContext {
 public:
  RunContext();
  ~RunContext();
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;
  RunContext(RunContext&&) = delete;
  RunContext& operator=(RunContext&&) = delete;

  // Restores every record to its initial state; the bindings stay.
  void reset();

  CaseParameters case_parameters;
  AeroelasticModel model;
  TimeHistory time_history;
  Spectrum spectrum;
  SweepResults sweep;
  FlutterSolution flutter_solution;
  std::vector<std::string> command_line{"zelvan"};  // the program's name first

  numlib::LibraryState library;
  aero::AeroState aero;
  textio::OutputRecords output;
};

// The run context of the program, created (and bound) on first use.
RunContext& run_context();

}  // namespace zelvan::driver
