// The figure script of a run: a gnuplot script that reads the run's result
// files and draws its figures (time histories, spectra, phase plane,
// flutter diagram, parameter page) as PNG files and one PDF.
#pragma once

#include <array>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plot/plot_files.hpp"

namespace zelvan::plot {

// A point of the flutter analysis to mark: dynamic pressure q [N/m2],
// flow speed u [m/s], frequency f [Hz] and reduced frequency k [-].
struct FlutterMark {
  double q = 0.0, u = 0.0, f = 0.0, k = 0.0;
};

// How a fixed-column result file is laid out, as its writer defines it:
// header lines, then records of fields of these widths [characters].
struct FixedColumns {
  int header_lines = 0;
  std::vector<int> widths;
};

// What the figures show.  File names are those the run wrote in the
// working folder; an empty name means the file was not written.
struct FigureScript {
  // zelvan.dat: laid out as `data_columns` (17 fields of one width), with
  // `records` records; the spectra use its first `spectral_lines` records.
  std::string data_file;
  FixedColumns data_columns;
  // zelvan_ss.dat, the history with the state-space aerodynamics, laid out
  // as `state_space_columns` (7 fields of one width: t, Y1..Y4, GenF1,
  // GenF2); empty: not written.  With it the time figure draws both
  // histories.
  std::string state_space_file;
  FixedColumns state_space_columns;
  int records = 0;
  int spectral_lines = 0;

  // The case parameters as the plot files carry them (title, times,
  // masses, damping, stiffness, harmonic force, aerodynamic data, the
  // structural frequencies f_0_1 and f_0_2), and the initial state:
  // velocities of DOF 1 and 2 [m/s], then their displacements [m].
  PlotCase parameters;
  std::array<double, 4> y0{};

  // The coupling frequency [Hz] when strong coupling was detected.
  std::optional<double> coupling_frequency;

  // zelvan_fl.dat (rows of 17 fields of one width, as `table_columns`),
  // and the number of its rows; no flutter figure without rows.
  std::string flutter_table;
  FixedColumns table_columns;
  int flutter_rows = 0;

  // The aerodynamic route of the flutter analysis, named in the title of
  // the flutter diagram ("thin plate", "Possio", "external"; empty: none
  // named), and the Mach number of its coefficients (none for external
  // coefficients, which are the same at every Mach number).
  std::string route;
  std::optional<double> route_mach;

  // zelvan_flutter.dat, the flutter-solution results; empty: not written,
  // and the flutter figure draws the two modes of zelvan_fl.dat.  The
  // widths of the fields of its tracked-mode rows: q, u, then for each mode
  // f, d, g, k and its column number.
  std::string flutter_solution;
  std::vector<int> solution_widths;
  bool sweep_crossing_rows = false;        // its sweep crossing block holds rows
  bool pk_rows = false;                    // its p-k tracked-mode block holds rows
  std::optional<FlutterMark> critical;     // the sweep's critical crossing: coefficients at the input's w_star
  std::optional<FlutterMark> pk_critical;  // the p-k critical point
  // The text that selects the state-space model's tracked-mode block of
  // the flutter-solution file (gnuplot's index by name) when it holds
  // rows; empty: none.  Its layout is that of the other mode blocks.
  std::string state_space_block;
  std::optional<FlutterMark> state_space_critical;  // its critical point
  std::optional<FlutterMark> matched;               // matched point
  std::optional<double> divergence_speed;           // m/s

  // zelvan_lco.dat, the limit-cycle sweep; empty: not written (no
  // limit-cycle figure).  The widths of the fields of its sweep rows (V,
  // u, q, start, state, A_h, A_theta, f, A_theta_hb) and of its
  // harmonic-balance curve (A_theta, V, stable), and the linear flutter
  // speed V to mark.
  std::string lco_file;
  std::vector<int> lco_row_widths;
  std::vector<int> lco_curve_widths;
  std::optional<double> lco_linear_flutter_V;
  std::array<double, 2> lco_speeds{};  // the sweep's first and last V: the speed axis
  // Amplitudes on a logarithmic axis: with freeplay the cycles scale with
  // its width and span decades up to the flutter speed.
  bool lco_log_amplitude = false;
};

// Every figure file a script may write with the default output format
// (PNG), in the order it writes them.
inline constexpr std::string_view kFigureFiles[] = {"zelvan-time.png",    "zelvan-spectrum.png", "zelvan-phase.png",
                                                    "zelvan-flutter.png", "zelvan-lco.png",      "zelvan.pdf"};

// The figure files the script of `figures` writes, in the order of
// kFigureFiles: zelvan-flutter.png only with rows in the flutter table,
// zelvan-lco.png only with the limit-cycle file.
std::vector<std::string> figure_files(const FigureScript& figures);

// The number of pages of zelvan.pdf: one per figure, and the parameter page.
int pdf_pages(const FigureScript& figures);

// Writes the gnuplot script that draws `figures`.  It reads the result
// files named in `figures` from gnuplot's working folder.  Variables set
// before the script (gnuplot -e "...") change its output:
//   format      "png" (default) or "svg": the type of the figure files;
//   out_prefix  put before every output file name (default none);
//   width, height  the size of the PNG and SVG figures (1200 x 800).
// Values without a numeric value (NaN, infinity) are left out of the
// figures.
void write_gnuplot_script(std::ostream& out, const FigureScript& figures);

}  // namespace zelvan::plot
