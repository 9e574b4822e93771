// The files of the flutter solution: "zelvan_flutter.dat" (fixed-column
// text for people and for plotting) and "zelvan_flutter.json".
#pragma once

#include <optional>

#include "driver/case_parameters.hpp"

namespace zelvan::driver {

struct FlutterSolution;

// Writes both files of an analysed solution through textio::OutputFile; a
// write failure ends the run naming the file (RunStop, output_error).
// `section`: the typical section of the input, whose terms the JSON file
// gives beside the SI values (its key "section" is null without one).
void write_flutter_solution_files(const FlutterSolution& solution, const std::optional<SectionInput>& section);

}  // namespace zelvan::driver
