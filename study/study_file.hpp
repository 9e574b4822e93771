// The study file (TOML): the base input file, the operating-system option,
// the combination mode and the parameters with their values.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "study/field_table.hpp"
#include "study/input_edit.hpp"

namespace zelvan::study {

struct Parameter {
  const FieldSpec* field = nullptr;
  std::vector<FormattedValue> values;  // each value as written into the field and as read back
  int line = 0;                        // the study file's line of the parameter
};

enum class Mode { grid, zip };

struct StudyDefinition {
  std::filesystem::path study_file;
  std::filesystem::path base_file;  // absolute
  std::string option;               // WIN, SGI or LNX
  Mode mode = Mode::grid;
  std::vector<Parameter> parameters;
};

// Reads and checks `path`.  Every error (TOML syntax, an unknown key or
// field, a value that does not fit its field, an empty or inconsistent
// range, a zip of unequal lengths, a missing base file) is a StudyError
// whose message begins "PATH, line N:".  The base file must exist; it is
// not read here.
StudyDefinition read_study_file(const std::filesystem::path& path);

// `count` values from `start` to `stop` (both included, exactly), equally
// spaced, or equally spaced in the logarithm when `log` is set
// (start, stop > 0).  count = 1 gives start.
std::vector<double> range_values(double start, double stop, int count, bool log);

// The cases of the study: for each case, the index of each parameter's
// value.  grid: every combination, the first parameter outermost (the last
// one varies fastest); zip: the i-th values together.
std::vector<std::vector<std::size_t>> expand_cases(const StudyDefinition& study);

}  // namespace zelvan::study
