#include "driver/run_context.hpp"

namespace zelvan::driver {

RunContext::RunContext() {
  numlib::bind_library_state(&library);
  aero::bind_aero_state(&aero);
  textio::bind_output_records(&output);
}

RunContext::~RunContext() {
  // Code that runs after the context (e.g. at the end of the process)
  // falls back to the libraries' default instances.
  if (&numlib::library_state() == &library) numlib::bind_library_state(nullptr);
  if (&aero::aero_state() == &aero) aero::bind_aero_state(nullptr);
  if (&textio::output_records() == &output) textio::bind_output_records(nullptr);
}

void RunContext::reset() {
  case_parameters = CaseParameters{};
  model = AeroelasticModel{};
  time_history = TimeHistory{};
  spectrum = Spectrum{};
  sweep = SweepResults{};
  flutter_solution = FlutterSolution{};
  command_line = {"zelvan"};
  library = numlib::LibraryState{};
  aero = aero::AeroState{};
  output = textio::OutputRecords{};
}

RunContext& run_context() {
  static RunContext context;
  return context;
}

}  // namespace zelvan::driver
