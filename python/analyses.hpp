// What the Python module computes, as C++ values: an input file's case
// read from its text and edited through the record layouts, and the
// flutter solution of a case or a typical section with the options of a
// call.  Nothing here writes a file or a console line; every failure is a
// textio::RunStop (the module turns it into a Python exception).
#pragma once

#include <array>
#include <complex>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "aero/possio_loads.hpp"
#include "aero/thin_plate_matrix.hpp"
#include "driver/case_parameters.hpp"
#include "driver/structural_model.hpp"
#include "flutter/state_space.hpp"

namespace zelvan::python {

// An input file's case: its text, its name in messages and what the
// program's reader reads from it.
struct CaseRecord {
  std::string text;
  std::string name;
  driver::CaseParameters cp;
  std::vector<std::string> warnings;  // the reader's input warnings, without the prefix
};

// Reads the case of the input file text `text` (named `name` in messages)
// as the program reads a file.  An input error ends it as in the program.
CaseRecord read_case(std::string text, std::string name);

// A field's value: a number (also for integer fields) or a text.
using FieldValue = std::variant<double, std::string>;

// The value `record` holds for the field `name` (the program's value, e.g.
// M_1 after mass_scale); empty for a field of an absent group.  An unknown
// name is an input error.
std::optional<FieldValue> case_value(const CaseRecord& record, const std::string& name);

// `record` with the fields `values` written into its text with the
// reader's edit descriptors (a missing sweep block or group inserted with
// its defaults), then read again: a field the file cannot hold, a missing
// record the edit needs, or a case the reader refuses is an input error.
CaseRecord edit_case(const CaseRecord& record, const std::vector<std::pair<std::string, FieldValue>>& values);

// The first value of the section outside its domain, as an input error;
// nothing otherwise.
void check_section(const driver::SectionInput& section);

// The structural model of `section` (driver::section_model) at air
// density rho [kg/m^3]; a section value outside its domain or rho not
// positive and finite is an input error.
driver::StructuralModel section_structure(const driver::SectionInput& section, double rho);

// The options of a flutter call; empty: the case's own value (a Section's
// defaults: thin-plate route, Ma 0, method "pk", w_star 0.3).
struct FlutterOptions {
  std::optional<std::string> route;              // "thin_plate", "possio", or "external" (a Case's coefficients)
  std::optional<double> mach;                    // Ma
  std::optional<double> rho;                     // kg/m^3
  std::optional<std::vector<double>> speeds;     // m/s, the sweep's flow speeds (q = rho u^2/2)
  std::optional<std::vector<double>> pressures;  // N/m^2, or its dynamic pressures (not both)
  std::optional<std::string> method;             // "sweep", "pk", "matched" (both flutter_method 1), "matched_mach" (2)
  std::optional<double> sound_speed;             // m/s
  std::optional<double> w_star;                  // the reduced frequency of the sweep's coefficients
  std::optional<double> match_tolerance;
  std::optional<int> match_iterations;
};

// The flutter solution of a case: the text of its "zelvan_flutter.json"
// and its state-space model, when it has one.
struct FlutterAnswer {
  std::string json;
  std::optional<flutter::StateSpaceModel> state_space;
};

// The flutter solution of `model` (a case, or a typical section) with
// `options`, as the batch run computes it from the same input: the model,
// the sweep over the case's dynamic pressures (or over `speeds`), the
// structural modes and the solution with p-k, the matched point and the
// state-space model as the method asks.
FlutterAnswer flutter_answer(const std::variant<CaseRecord, driver::SectionInput>& model,
                             const FlutterOptions& options);

// The thin-plate matrix of aero::thin_plate_matrix (column-major) with
// its arguments checked: k, x_p and aero_scale finite and |mach| < 1 are
// input errors otherwise (a negative k is the library's error, as in a
// run).
aero::Matrix2 thin_plate_at(double k, double x_p, double mach, double aero_scale);

// The 3 x 3 Possio loads (aero::PossioSolver::loads, column-major) at
// (mach, k) for the axis xr and the hinge xrud, assembled by `solver`; a
// pitch axis that is not finite is an input error, the solver's domain
// errors are its own.
std::array<std::complex<double>, 9> possio_at(aero::PossioSolver& solver, double mach, double k, double xr,
                                              double xrud);

// The state matrix A(u) of `model` at flow speed u [m/s] (flutter::
// state_matrix, column-major, state_count square); u not positive and
// finite is an input error.
std::vector<double> state_matrix_at(const flutter::StateSpaceModel& model, double u);

}  // namespace zelvan::python
