// The files of the flutter solution: "zelvan_flutter.dat" (fixed-column
// text for people and for plotting) and "zelvan_flutter.json".
#pragma once

namespace zelvan::driver {

struct FlutterSolution;

// Writes both files of an analysed solution through textio::OutputFile; a
// write failure ends the run naming the file (RunStop, output_error).
void write_flutter_solution_files(const FlutterSolution& solution);

}  // namespace zelvan::driver
