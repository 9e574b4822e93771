// The Python extension module zelvan._zelvan: the analyses of the program
// as functions of values (the package zelvan wraps them in its classes).
//
// Every call resets the library's process-wide state first (the one reset
// of a run), sends the console and the library's messages to a buffer, and
// turns a stop into a Python exception with the program's message.  The
// GIL stays held throughout: the numerical library keeps its error, option
// and unit state process-wide, so no two calls may run at once.
#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <complex>
#include <sstream>
#include <string>
#include <vector>

#include "aero/aero_route.hpp"
#include "aero/possio_loads.hpp"
#include "aero/thin_plate_matrix.hpp"
#include "core/stop.hpp"
#include "driver/input_records.hpp"
#include "driver/run.hpp"
#include "driver/section_input.hpp"
#include "driver/structural_model.hpp"
#include "flutter/state_space.hpp"
#include "python/analyses.hpp"
#include "textio/console.hpp"

namespace py = pybind11;

namespace zelvan::python {
namespace {

using Complex = std::complex<double>;

// The Python exceptions of the module (set when it is imported).
PyObject* g_error = nullptr;
PyObject* g_input_error = nullptr;
PyObject* g_library_error = nullptr;

// The message of a stop: the console lines of the call and the stop's
// text, without blank lines at either end and without the program's
// termination line (nothing terminates in Python).
std::string stop_message(const std::string& console, const core::RunStop& stop) {
  std::istringstream in(console + stop.console_text());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with("*** ZELVAN terminated")) lines.push_back(line);
  }
  while (!lines.empty() && lines.back().find_first_not_of(' ') == std::string::npos) lines.pop_back();
  std::size_t first = 0;
  while (first < lines.size() && lines[first].find_first_not_of(' ') == std::string::npos) ++first;
  std::string text;
  for (std::size_t i = first; i < lines.size(); ++i) {
    if (!text.empty()) text += '\n';
    text += lines[i];
  }
  return text;
}

// `text` as a Python string, bytes that are not UTF-8 handled by `errors`.
py::object decoded(const std::string& text, const char* errors) {
  return py::reinterpret_steal<py::object>(
      PyUnicode_DecodeUTF8(text.data(), static_cast<py::ssize_t>(text.size()), errors));
}

// A stop of the call as a Python exception: InputError for a bad input or
// a value outside a domain, LibraryError for a failure of the numerical
// library, Error for any other.
[[noreturn]] void raise_stop(const std::string& console, const core::RunStop& stop) {
  PyObject* type = g_error;
  switch (stop.reason()) {
    case core::StopReason::input_error:
    case core::StopReason::limit_violation:
      type = g_input_error;
      break;
    case core::StopReason::library_error:
      type = g_library_error;
      break;
    default:
      break;
  }
  // The reader quotes fields of the input, which need not be UTF-8.
  const py::object error = py::reinterpret_borrow<py::object>(type)(decoded(stop_message(console, stop), "replace"));
  error.attr("status") = stop.exit_status();
  PyErr_SetObject(type, error.ptr());
  throw py::error_already_set();
}

// Runs `f` on fresh library state with the console captured.
template <class F>
auto call(F&& f) {
  driver::reset_run_records();
  std::ostringstream console;
  try {
    const textio::ConsoleRedirect redirect(console);
    return f();
  } catch (const core::RunStop& stop) {
    raise_stop(console.str(), stop);
  }
}

using RealArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

// An array of shape k.shape + (n, n) filled by `matrix(k_i)` (row-major
// rows of the n x n matrix).
template <std::size_t N, class F>
py::array_t<Complex> per_frequency(const RealArray& k, F&& matrix) {
  std::vector<py::ssize_t> shape(k.shape(), k.shape() + k.ndim());
  shape.push_back(N);
  shape.push_back(N);
  py::array_t<Complex> out(shape);
  Complex* data = out.mutable_data();
  const double* kk = k.data();
  for (py::ssize_t i = 0; i < k.size(); ++i) {
    const std::array<Complex, N* N> m = matrix(kk[i]);  // row-major
    std::copy(m.begin(), m.end(), data + i * static_cast<py::ssize_t>(N * N));
  }
  return out;
}

py::array_t<Complex> possio_matrix(double mach, const RealArray& k, double xr, double xrud) {
  return call([&] {
    aero::PossioSolver solver;
    return per_frequency<3>(k, [&](double ki) {
      const std::array<Complex, 9> q = possio_at(solver, mach, ki, xr, xrud);  // column-major
      std::array<Complex, 9> rows{};
      for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j) rows[3 * i + j] = q[i + 3 * j];
      return rows;
    });
  });
}

py::array_t<Complex> thin_plate_matrix(const RealArray& k, double x_p, double mach, double aero_scale) {
  return call([&] {
    return per_frequency<2>(k, [&](double ki) {
      const aero::Matrix2 q = thin_plate_at(ki, x_p, mach, aero_scale);  // column-major
      return std::array<Complex, 4>{q[0], q[2], q[1], q[3]};
    });
  });
}

// A column-major 2x2 matrix as a numpy array of rows.
py::array_t<double> rows_of(const std::array<double, 4>& m) {
  py::array_t<double> out({2, 2});
  auto r = out.mutable_unchecked<2>();
  for (py::ssize_t i = 0; i < 2; ++i)
    for (py::ssize_t j = 0; j < 2; ++j) r(i, j) = m[static_cast<std::size_t>(i + 2 * j)];
  return out;
}

// The name of section record `record` (the names of the package's Section).
std::string_view section_name(int record) {
  return driver::record_fields(driver::InputBlock::section, record).front().name;
}

driver::SectionInput section_of(const py::dict& d) {
  driver::SectionInput s;
  for (int record = 1; record <= driver::kSectionRecordCount; ++record) {
    driver::section_record_value(s, record) = d[py::str(section_name(record))].cast<double>();
  }
  return s;
}

py::dict section_dict(driver::SectionInput s) {
  py::dict d;
  for (int record = 1; record <= driver::kSectionRecordCount; ++record) {
    d[py::str(section_name(record))] = driver::section_record_value(s, record);
  }
  return d;
}

template <class T>
std::optional<T> option(const py::dict& d, const char* key) {
  if (!d.contains(key) || d[key].is_none()) return std::nullopt;
  return d[key].cast<T>();
}

FlutterOptions options_of(const py::dict& d) {
  FlutterOptions o;
  o.route = option<std::string>(d, "route");
  o.mach = option<double>(d, "mach");
  o.rho = option<double>(d, "rho");
  o.speeds = option<std::vector<double>>(d, "speeds");
  o.pressures = option<std::vector<double>>(d, "pressures");
  o.method = option<std::string>(d, "method");
  o.sound_speed = option<double>(d, "sound_speed");
  o.w_star = option<double>(d, "w_star");
  o.match_tolerance = option<double>(d, "match_tolerance");
  o.match_iterations = option<int>(d, "match_iterations");
  return o;
}

}  // namespace
}  // namespace zelvan::python

PYBIND11_MODULE(_zelvan, m) {
  using namespace zelvan;
  using namespace zelvan::python;
  m.doc() = "The analyses of ZELVAN as functions of values (wrapped by the package zelvan).";

  static py::exception<core::RunStop> error(m, "Error", PyExc_RuntimeError);
  static py::exception<core::RunStop> input_error(m, "InputError", error.ptr());
  static py::exception<core::RunStop> library_error(m, "LibraryError", error.ptr());
  g_error = error.ptr();
  g_input_error = input_error.ptr();
  g_library_error = library_error.ptr();

  m.def("possio", &possio_matrix, py::arg("mach"), py::arg("k"), py::arg("xr"), py::arg("xrud"));
  m.def("thin_plate", &thin_plate_matrix, py::arg("k"), py::arg("x_p"), py::arg("mach"), py::arg("aero_scale"));

  m.def("check_section", [](const py::dict& d) { call([&] { check_section(section_of(d)); }); });
  m.def("section_model", [](const py::dict& d, double rho) {
    return call([&] {
      const driver::StructuralModel model = section_structure(section_of(d), rho);
      return py::make_tuple(rows_of(model.mass), rows_of(model.damping), rows_of(model.stiffness));
    });
  });

  // The text and the name are bytes: an input file need not be UTF-8 (the
  // package decodes them with surrogateescape, the warnings with replace).
  py::class_<CaseRecord>(m, "CaseRecord")
      .def_property_readonly("text", [](const CaseRecord& r) { return py::bytes(r.text); })
      .def_property_readonly("name", [](const CaseRecord& r) { return py::bytes(r.name); })
      .def_property_readonly("warnings",
                             [](const CaseRecord& r) {
                               py::list out;
                               for (const std::string& w : r.warnings) out.append(decoded(w, "replace"));
                               return out;
                             })
      .def("section", [](const CaseRecord& r) -> py::object {
        return r.cp.section ? py::object(section_dict(*r.cp.section)) : py::none();
      });
  m.def("read_case", [](const py::bytes& text, const py::bytes& name) {
    return call([&] { return read_case(std::string(text), std::string(name)); });
  });
  m.def("case_value", [](const CaseRecord& r, const std::string& name) -> py::object {
    const std::optional<FieldValue> v = call([&] { return case_value(r, name); });
    if (!v) return py::none();
    if (const auto* text = std::get_if<std::string>(&*v)) return decoded(*text, "surrogateescape");
    return py::float_(std::get<double>(*v));
  });
  m.def("edit_case", [](const CaseRecord& r, const std::vector<std::pair<std::string, FieldValue>>& values) {
    return call([&] { return edit_case(r, values); });
  });

  py::class_<flutter::StateSpaceModel>(m, "StateSpaceModel")
      .def_property_readonly("mass", [](const flutter::StateSpaceModel& s) { return rows_of(s.mass); })
      .def_property_readonly("damping", [](const flutter::StateSpaceModel& s) { return rows_of(s.damping); })
      .def_property_readonly("stiffness", [](const flutter::StateSpaceModel& s) { return rows_of(s.stiffness); })
      .def_readonly("rho", &flutter::StateSpaceModel::rho)
      .def_readonly("half_chord", &flutter::StateSpaceModel::half_chord)
      .def("state_count", [](const flutter::StateSpaceModel& s) { return flutter::state_count(s); })
      .def("state_matrix", [](const flutter::StateSpaceModel& s, double u) {
        return call([&] {
          const int n = flutter::state_count(s);
          const std::vector<double> a = state_matrix_at(s, u);  // column-major
          py::array_t<double> out({n, n});
          auto r = out.mutable_unchecked<2>();
          const auto size = static_cast<std::size_t>(n);
          for (std::size_t i = 0; i < size; ++i)
            for (std::size_t j = 0; j < size; ++j)
              r(static_cast<py::ssize_t>(i), static_cast<py::ssize_t>(j)) = a[i + size * j];
          return out;
        });
      });

  m.def("flutter", [](const py::object& model, const py::dict& options) {
    const FlutterOptions o = options_of(options);
    FlutterAnswer answer = py::isinstance<CaseRecord>(model)
                               ? call([&] { return flutter_answer(model.cast<CaseRecord>(), o); })
                               : call([&] { return flutter_answer(section_of(model.cast<py::dict>()), o); });
    py::object ss = answer.state_space ? py::cast(*answer.state_space) : py::none();
    return py::make_tuple(answer.json, ss);
  });

  m.def("main", [](const std::vector<std::string>& words) { return driver::run_zelvan(words); });
}
