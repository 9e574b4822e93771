// The study file (TOML): the base input file, the operating-system option,
// the combination mode and the parameters with their values.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "study/field_table.hpp"
#include "study/input_edit.hpp"

namespace zelvan::study {

// The name of the parameter that sets rho and sound_speed of each case
// from the standard atmosphere at a geopotential altitude [m].
inline constexpr std::string_view kAltitudeParameter = "altitude";

// One input field and the value a case writes into it.
struct FieldSetting {
  const FieldSpec* field = nullptr;
  FormattedValue value;  // as written into the field and as read back
};

// A parameter: an input field's values, or the altitude's.  values[i] is
// its i-th value as the tables show it (a field's value as read back; the
// altitude in m) and settings[i] the fields it sets: the field itself, or
// rho and sound_speed of the standard atmosphere there.
struct Parameter {
  std::string name;  // the field's name, or kAltitudeParameter
  std::vector<FieldValue> values;
  std::vector<std::vector<FieldSetting>> settings;
  int line = 0;  // the study file's line of the parameter

  // The fields the parameter sets (those of its first value: every value
  // sets the same ones).
  std::vector<const FieldSpec*> fields() const;
};

enum class Mode { grid, zip };

// The flight envelope of a study over altitude: its limit speed [m/s] at
// each altitude [m] (increasing), true or equivalent airspeed, linear in
// between.
struct Envelope {
  std::vector<double> altitude, speed;
  bool equivalent = false;

  // The limit speed at `h`, linear between the table's altitudes; empty
  // outside them.
  std::optional<double> limit_at(double h) const;
};

struct StudyDefinition {
  std::filesystem::path study_file;
  std::filesystem::path base_file;  // absolute
  std::string option;               // WIN, SGI or LNX
  Mode mode = Mode::grid;
  std::vector<Parameter> parameters;
  std::optional<Envelope> envelope;  // only with the altitude as a parameter
};

// Reads and checks `path`.  Every error (TOML syntax, an unknown key or
// field, a value that does not fit its field, an empty or inconsistent
// range, a zip of unequal lengths, a missing base file, two parameters
// that set one field, an altitude outside the standard atmosphere's 0 to
// 20000 m, an envelope without the altitude as a parameter or with
// unequal, unordered or non-positive entries) is a StudyError
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
