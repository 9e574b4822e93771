#include "plot/gnuplot_script.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "plot/detail/messages.hpp"
#include "plot/detail/scale.hpp"
#include "textio/record_writer.hpp"

namespace zelvan::plot {
namespace {

// The fields the script reads: of zelvan.dat and zelvan_fl.dat, 17 fields
// each; of a tracked-mode row of zelvan_flutter.dat, 12.
constexpr std::size_t kDataFields = 17;
constexpr std::size_t kTableFields = 17;
constexpr std::size_t kStateSpaceFields = 7;
constexpr std::size_t kSolutionFields = 12;

// The one width of a file's fields; the script cuts its records from the
// end, so every field must have it.
int uniform_width(const FixedColumns& columns, std::size_t fields, std::string_view file) {
  if (columns.widths.size() != fields ||
      std::adjacent_find(columns.widths.begin(), columns.widths.end(), std::not_equal_to<>()) != columns.widths.end()) {
    throw std::logic_error("the figure script needs " + std::to_string(fields) + " fields of one width in " +
                           std::string(file));
  }
  return columns.widths.front();
}

// The harmonic force is drawn when |a_0| exceeds this (the test the layout
// file uses for the frequency axis).
constexpr double kForceThreshold = 1.0E-10;
// Samples of the harmonic force: this many per period, within the bounds.
constexpr double kSamplesPerPeriod = 24.0;
constexpr double kMinSamples = 500.0;
constexpr double kMaxSamples = 20000.0;

// Positions of the text on the parameter page, in screen fractions.
constexpr double kPageTop = 0.84;
constexpr double kPageLineStep = 0.04;
constexpr double kPageLeft = 0.06;
constexpr double kPageRight = 0.53;
// Appended to every plot of data: one point that is always valid, drawn
// invisibly, so that a panel whose data are all left out (asterisks) still
// has axes instead of stopping gnuplot.  It puts 0 inside the axis ranges.
constexpr std::string_view kAnchor = ", \\\n       $anchor using 1:2 with dots lc bgnd notitle";
constexpr std::string_view kTimeAnchor = ", \\\n       $time_anchor using 1:2 with dots lc bgnd notitle";

// The panels of a figure share their left and right margins, in screen
// fractions, and leave room for the title above them.
constexpr std::string_view kPanels = "margins 0.1, 0.97, 0.09, 0.88 spacing 0, 0.025";
// The flutter diagram with the flutter-solution results: room for the legend below.
constexpr std::string_view kFlutterPanels = "margins 0.1, 0.97, 0.27, 0.88 spacing 0, 0.025";
// With the state-space curves the legend holds up to 11 lines, in one
// column (two columns of the marks' long titles are wider than the page).
constexpr std::string_view kStateSpacePanels = "margins 0.1, 0.97, 0.33, 0.88 spacing 0, 0.025";

std::string trimmed(const std::string& s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A number the script computes with; gnuplot's undefined value 1/0 when it
// has no value (the words nan and inf never appear in a result file).
std::string number(double x) {
  static const textio::Layout kNumber(msg::kScriptNumber);
  if (!std::isfinite(x)) return "1/0";
  return trimmed(textio::write_text(16, kNumber, {x}));
}

// A value as the figure texts show it (asterisks when it has no value).
std::string value(double x) {
  static const textio::Layout kValue(msg::kFigureValue);
  if (x == 0.0) return "0";
  return trimmed(textio::write_text(12, kValue, {x}));
}

// A reduced frequency as the figure texts show it.
std::string reduced(double k) {
  static const textio::Layout kReduced(msg::kFigureReduced);
  return trimmed(textio::write_text(10, kReduced, {k}));
}

// A Mach number as the figure texts show it.
std::string mach_number(double ma) {
  static const textio::Layout kMach(msg::kFigureMach);
  return trimmed(textio::write_text(10, kMach, {ma}));
}

// "name = value unit".
std::string quantity(std::string_view name, double x, std::string_view unit = {}) {
  std::string text(name);
  text += " = ";
  text += value(x);
  if (!unit.empty()) {
    text += ' ';
    text += unit;
  }
  return text;
}

// A gnuplot string holding `text` exactly: single quotes, in which only a
// single quote is special (written twice).
std::string quoted(std::string_view text) {
  std::string s = "'";
  for (const char c : text) {
    if (c == '\'') s += '\'';
    s += c;
  }
  s += '\'';
  return s;
}

// The name of the sweep's critical crossing: the coefficients stay those
// of the input's w_star while the crossing's own reduced frequency differs.
std::string critical_name(const FigureScript& f) {
  if (!f.route_mach) return "sweep estimate with the input's coefficients (k frozen)";
  return "sweep estimate at w_star = " + reduced(f.parameters.w_star) + " (k frozen)";
}

// The first line of the flutter diagram's title: the route and the Mach
// number of the coefficients.
std::string flutter_title(const FigureScript& f) {
  std::string title = "Flutter diagram";
  if (f.route.empty()) return title;
  title += ": " + f.route;
  if (!f.route_mach) return title + " coefficients";
  return title + " route, Ma = " + mach_number(*f.route_mach);
}

bool has_force(const FigureScript& f) { return std::fabs(f.parameters.a_0) > kForceThreshold; }
bool has_flutter_figure(const FigureScript& f) { return !f.flutter_table.empty() && f.flutter_rows > 0; }
bool has_lco_figure(const FigureScript& f) { return !f.lco_file.empty(); }
bool has_value(const std::optional<double>& x) { return x.has_value() && std::isfinite(*x); }
bool has_value(const std::optional<FlutterMark>& m) {
  return m.has_value() && std::isfinite(m->u) && std::isfinite(m->f);
}

// The upper end of the frequency axis of the spectra: a tidy value above
// the frequencies of interest, at most the highest analysed line; NaN
// (gnuplot chooses) when none has a value.
double spectrum_axis_end(const FigureScript& f) {
  double fmax = 0.0;
  for (const double x : {f.parameters.f_0_1, f.parameters.f_0_2, has_force(f) ? f.parameters.f_0 : 0.0,
                         f.coupling_frequency.value_or(0.0)}) {
    if (std::isfinite(x)) fmax = std::max(fmax, std::fabs(x));
  }
  const double duration = std::fabs(f.parameters.t_E - f.parameters.t_A);
  const double highest_line = duration > 0.0 ? (f.spectral_lines - 1) / duration : 0.0;
  if (fmax <= 0.0 || highest_line <= 0.0) return std::nan("");
  return std::min(scale(fmax), highest_line);
}

void write_header(std::ostream& out, const FigureScript& f) {
  std::string outputs;
  for (const std::string& name : figure_files(f)) outputs += " " + name;
  out << "# zelvan.gp: the figures of a ZELVAN run, drawn by gnuplot (5.2 or later).\n"
         "# The program runs it at the end of the run unless ZELVAN_PLOT=0.  To draw the\n"
         "# figures again, run in the folder of the run:\n"
         "#     gnuplot zelvan.gp                          PNG figures and zelvan.pdf\n"
         "#     gnuplot -e \"format='svg'\" zelvan.gp        SVG figures instead of PNG\n"
         "#     gnuplot -e \"width=1600; height=1000\" zelvan.gp   another figure size\n"
         "# It reads "
      << f.data_file;
  if (!f.flutter_table.empty()) out << " " << f.flutter_table;
  if (!f.flutter_solution.empty()) out << " " << f.flutter_solution;
  if (has_lco_figure(f)) out << " " << f.lco_file;
  out << " and writes\n#    " << outputs << "\n\n";
  out << "if (!exists(\"format\")) format = \"png\"\n"
         "if (!exists(\"out_prefix\")) out_prefix = \"\"\n"
         "if (!exists(\"width\")) width = 1200\n"
         "if (!exists(\"height\")) height = 800\n\n";
}

// The case values the figures are labelled with: title, file names, the
// time axis and the harmonic force.
void write_case_values(std::ostream& out, const FigureScript& f) {
  const PlotCase& c = f.parameters;
  // The program draws the figures before it puts the new result files in
  // place, and then names their temporaries on gnuplot's command line.
  out << "case_title = " << quoted(trimmed(std::string(c.title))) << "\n"
      << "if (!exists(\"data_file\")) data_file = " << quoted(f.data_file) << "\n";
  if (!f.state_space_file.empty())
    out << "if (!exists(\"state_space_file\")) state_space_file = " << quoted(f.state_space_file) << "\n";
  if (!f.flutter_table.empty()) out << "if (!exists(\"table_file\")) table_file = " << quoted(f.flutter_table) << "\n";
  if (!f.flutter_solution.empty())
    out << "if (!exists(\"solution_file\")) solution_file = " << quoted(f.flutter_solution) << "\n";
  if (has_lco_figure(f)) out << "if (!exists(\"lco_file\")) lco_file = " << quoted(f.lco_file) << "\n";
  out << "t_A = " << number(std::min(c.t_A, c.t_E)) << "   # s, the time axis\n"
      << "t_E = " << number(std::max(c.t_A, c.t_E)) << "\n"
      << "a_0 = " << number(c.a_0) << "   # N, harmonic force a_0 cos(2 pi f_0 t + phi)\n"
      << "f_0 = " << number(c.f_0) << "   # Hz\n"
      << "phi = " << number(c.phi) << "   # deg\n\n";
}

// The arrays NAME_after (the characters after each field of a record) and
// NAME_width of a record of fields of `widths`.
void field_arrays(std::ostream& out, std::string_view name, const std::vector<int>& widths) {
  std::vector<int> after(widths.size());
  int sum = 0;
  for (std::size_t i = widths.size(); i-- > 0;) {
    after[i] = sum;
    sum += widths[i];
  }
  out << "array " << name << "_after[" << after.size() << "] = [";
  for (std::size_t i = 0; i < after.size(); ++i) out << (i == 0 ? "" : ", ") << after[i];
  out << "]\narray " << name << "_width[" << widths.size() << "] = [";
  for (std::size_t i = 0; i < widths.size(); ++i) out << (i == 0 ? "" : ", ") << widths[i];
  out << "]\n";
}

// The gnuplot functions that cut the fixed-column fields out of the
// result files' records.
void write_field_readers(std::ostream& out, const FigureScript& f) {
  out << "# The result files are fixed-column records.  A line is read whole (no line\n"
         "# holds \"|\") and cut into its fields at fixed columns, counted from the end\n"
         "# of the line because gnuplot drops the blanks at its start.  A field of\n"
         "# asterisks (a value without a numeric value, or too wide for its field)\n"
         "# is undefined (1/0): the point is left out, never drawn as zero.\n"
         "set datafile separator \"|\"\n"
         "field_value(t) = (strstrt(t, \"*\") > 0 || words(t) == 0) ? 1/0 : real(with_e(word(t, 1)))\n"
         "# An exponent of three digits stands without its E (1.00000+100).\n"
         "with_e(w) = (strstrt(w, \"E\") > 0 || sign_at(w) == 0) ? w : w[1:sign_at(w) - 1] . \"E\" . w[sign_at(w):]\n"
         "sign_at(w) = strstrt(w[2:], \"+\") > 0 ? strstrt(w[2:], \"+\") + 1 : "
         "(strstrt(w[2:], \"-\") > 0 ? strstrt(w[2:], \"-\") + 1 : 0)\n"
         "# The field of line s that starts a and ends b characters before its end.\n"
         "cut(s, a, b) = strlen(s) <= b ? 1/0 : field_value(s[(strlen(s) > a ? strlen(s) - a + 1 : 1):strlen(s) - "
         "b])\n";
  const int data_lines = f.data_columns.header_lines;
  const int data_width = uniform_width(f.data_columns, kDataFields, f.data_file);
  out << "# " << f.data_file << ": " << data_lines << " header lines, then records of " << kDataFields << " fields of "
      << data_width << " characters.\n"
      << "dat(n) = cut(strcol(1), " << data_width << " * (" << kDataFields + 1 << " - n), " << data_width << " * ("
      << kDataFields << " - n))\n";
  if (!f.state_space_file.empty()) {
    const int width = uniform_width(f.state_space_columns, kStateSpaceFields, f.state_space_file);
    out << "# " << f.state_space_file << ": " << f.state_space_columns.header_lines << " header lines, then records of "
        << kStateSpaceFields << " fields of " << width << " characters.\n"
        << "ssd(n) = cut(strcol(1), " << width << " * (" << kStateSpaceFields + 1 << " - n), " << width << " * ("
        << kStateSpaceFields << " - n))\n";
  }
  if (!f.flutter_table.empty()) {
    const int table_width = uniform_width(f.table_columns, kTableFields, f.flutter_table);
    out << "# " << f.flutter_table << ": " << f.table_columns.header_lines << " header lines, then rows of "
        << kTableFields << " fields of " << table_width << " characters.\n"
        << "tab(n) = cut(strcol(1), " << table_width << " * (" << kTableFields + 1 << " - n), " << table_width << " * ("
        << kTableFields << " - n))\n";
  }
  if (!f.flutter_solution.empty()) {
    const std::vector<int>& widths = f.solution_widths;
    if (widths.size() != kSolutionFields) {
      throw std::logic_error("the figure script needs the 12 fields of a tracked-mode row of " + f.flutter_solution);
    }
    out << "# " << f.flutter_solution
        << ", the tracked-mode blocks: q, u, then for each mode f, d, g, k and its\n"
           "# column number; the characters after each field and its width.\n";
    field_arrays(out, "solution", widths);
    out << "sol(n) = cut(strcol(1), solution_after[n] + solution_width[n], solution_after[n])\n";
  }
  if (has_lco_figure(f)) {
    out << "# " << f.lco_file
        << ": the sweep rows (V, u, q, start, state, A_h, A_theta, f, A_theta_hb) and the\n"
           "# harmonic-balance curve (A_theta, V, stable); the characters after each field\n"
           "# and its width.\n";
    field_arrays(out, "lco", f.lco_row_widths);
    field_arrays(out, "lco_curve", f.lco_curve_widths);
    out << "lco(n) = cut(strcol(1), lco_after[n] + lco_width[n], lco_after[n])\n"
           "# The state of a sweep row (field 5): a cycle, or the last amplitude of a march that did not settle\n"
           "# (rest and divergence have no amplitude).\n"
           "lco_state(s) = s[strlen(s) - lco_after[5] - lco_width[5] + 1:strlen(s) - lco_after[5]]\n"
           "is_cycle(s) = strstrt(lco_state(s), 'cycle') > 0\n"
           "lcc(n) = cut(strcol(1), lco_curve_after[n] + lco_curve_width[n], lco_curve_after[n])\n";
  }
  out << "\n";
}

// The marks of the flutter figure, as one-point data blocks: u, g, f,
// separated like the fields of the data files are.
void write_marks(std::ostream& out, const FigureScript& f) {
  const PlotCase& c = f.parameters;
  const auto block = [&](std::string_view name, double u, double g, double y) {
    out << "$" << name << " << EOD\n" << number(u) << "|" << number(g) << "|" << number(y) << "\nEOD\n";
  };
  out << "$anchor << EOD\n0|0\nEOD\n$time_anchor << EOD\n" << number(std::min(c.t_A, c.t_E)) << "|0\nEOD\n";
  if (has_value(f.critical)) block("critical", f.critical->u, 0.0, f.critical->f);
  if (has_value(f.pk_critical)) block("pk_critical", f.pk_critical->u, 0.0, f.pk_critical->f);
  if (has_value(f.state_space_critical)) {
    block("state_space_critical", f.state_space_critical->u, 0.0, f.state_space_critical->f);
  }
  if (has_value(f.matched)) block("matched", f.matched->u, 0.0, f.matched->f);
  if (has_value(f.divergence_speed)) block("divergence", *f.divergence_speed, 0.0, 0.0);
}

// The line colours and the settings every figure starts from.
void write_styles(std::ostream& out) {
  out << "\n# Colours: plunge or the first mode, pitch or the second mode, the force,\n"
         "# the structural frequencies, the coupling line, flutter marks, divergence.\n"
         "set linetype 1 lc rgb '#0060ad' lw 1.5\n"
         "set linetype 2 lc rgb '#dd181f' lw 1.5\n"
         "set linetype 3 lc rgb '#2f8a2f' lw 1.5\n"
         "set linetype 4 lc rgb '#707070' lw 1.2\n"
         "set linetype 5 lc rgb '#e08000' lw 1.5\n"
         "set linetype 6 lc rgb '#000000' lw 1.5\n"
         "set linetype 7 lc rgb '#8a2be2' lw 1.5\n"
         "# Settings every figure starts from.\n"
         "common = \"set encoding utf8; set datafile separator '|'; set grid lc rgb '#d8d8d8'; \" . \\\n"
         "         \"set key top right opaque box lc rgb '#b0b0b0' samplen 3 spacing 1.1; set tics nomirror; \" . \\\n"
         "         \"set border 3; set offsets 0, 0, graph 0.3, 0\"\n"
         "\n";
}

void write_values(std::ostream& out, const FigureScript& f) {
  write_case_values(out, f);
  write_field_readers(out, f);
  write_marks(out, f);
  write_styles(out);
}

void write_time_figure(std::ostream& out, const FigureScript& f) {
  const bool force = has_force(f);
  const int rows = force ? 4 : 3;
  const double duration = std::fabs(f.parameters.t_E - f.parameters.t_A);
  const double periods = duration * std::fabs(f.parameters.f_0);
  const double samples =
      std::isfinite(periods) ? std::clamp(periods * kSamplesPerPeriod, kMinSamples, kMaxSamples) : kMinSamples;
  const std::string skip = " skip " + std::to_string(f.data_columns.header_lines);
  // One curve of `column` from zelvan.dat, and with the state-space
  // history the same from zelvan_ss.dat: the state-space one solid, the
  // frozen one dashed and drawn over it (where the two agree both stay
  // visible), each title saying which it is.
  const bool both = !f.state_space_file.empty();
  const auto curves = [&](const char* file, int column, int lt, const std::string& title) {
    const std::string frozen = std::string(file) + skip + " using (dat(1)):(dat(" + std::to_string(column) +
                               ")) with lines lt " + std::to_string(lt);
    if (!both) return frozen + " title '" + title + "'";
    return "state_space_file skip " + std::to_string(f.state_space_columns.header_lines) + " using (ssd(1)):(ssd(" +
           std::to_string(column) + ")) with lines lt " + std::to_string(lt) + " title '" + title +
           ", state space', \\\n       " + frozen + " dt 2 title '" + title + ", coefficients frozen at w_star'";
  };
  out << "  # ---- Time histories\n"
         "  if (pass == 1) { set output out_prefix . 'zelvan-time.' . format }\n"
         "  reset\n"
         "  eval common\n"
         "  set multiplot layout "
      << rows << ", 1 " << kPanels
      << " title \"Time histories\\n\" . case_title\n"
         "  set xrange [t_A:t_E]\n"
         "  set format x ''\n"
         "  set ylabel 'plunge Y3 [m]'\n"
      << "  plot " << curves("data_file", 4, 1, "plunge displacement") << kTimeAnchor << "\n"
      << "  set ylabel 'pitch Y4 [m]'\n"
      << "  plot " << curves("data_file", 5, 2, "pitch displacement") << kTimeAnchor << "\n"
      << "  set ylabel 'velocity [m/s]'\n";
  if (!force) out << "  set format x '% h'\n  set xlabel 't [s]'\n";
  out << "  plot " << curves("data_file", 2, 1, "plunge velocity Y1") << ", \\\n       "
      << curves(both ? "data_file" : "''", 3, 2, "pitch velocity Y2") << kTimeAnchor << "\n";
  if (force) {
    out << "  set format x '% h'\n"
           "  set xlabel 't [s]'\n"
           "  set ylabel 'force [N]'\n"
           "  set samples "
        << static_cast<int>(samples)
        << "\n"
           "  plot a_0 * cos(2 * pi * f_0 * x + phi * pi / 180) with lines lt 3 "
           "title 'harmonic force on plunge: a_0 cos(2π f_0 t + φ)'\n";
  }
  out << "  unset multiplot\n\n";
}

void write_spectrum_figure(std::ostream& out, const FigureScript& f) {
  const PlotCase& c = f.parameters;
  const double axis_end = spectrum_axis_end(f);
  const std::string source = "plot data_file skip " + std::to_string(f.data_columns.header_lines) +
                             " every ::0::" + std::to_string(std::max(f.spectral_lines - 1, 0)) + " using (dat(6)):";
  out << "  # ---- Spectra of the displacements\n"
         "  if (pass == 1) { set output out_prefix . 'zelvan-spectrum.' . format }\n"
         "  reset\n"
         "  eval common\n"
         "  set multiplot layout 2, 1 "
      << kPanels << " title \"Spectra of the displacements\\n\" . case_title\n";
  if (std::isfinite(axis_end)) out << "  set xrange [0:" << number(axis_end) << "]\n";
  // Marks: vertical lines across each panel, explained in the key of the
  // upper one.
  std::string marks;
  int arrow = 0;
  std::string structural;
  for (const double x : {c.f_0_1, c.f_0_2}) {
    if (!std::isfinite(x)) continue;
    out << "  set arrow " << ++arrow << " from first " << number(x) << ", graph 0 to first " << number(x)
        << ", graph 1 nohead lt 4 dt 2\n";
    structural += (structural.empty() ? "" : ", ") + value(x) + " Hz";
  }
  if (!structural.empty()) {
    marks += ", \\\n       1/0 with lines lt 4 dt 2 title " + quoted("structural frequencies " + structural);
  }
  if (has_value(f.coupling_frequency)) {
    out << "  set arrow " << ++arrow << " from first " << number(*f.coupling_frequency) << ", graph 0 to first "
        << number(*f.coupling_frequency) << ", graph 1 nohead lt 5 dt 4 lw 2\n";
    marks += ", \\\n       1/0 with lines lt 5 dt 4 lw 2 title " +
             quoted("strong coupling at " + value(*f.coupling_frequency) + " Hz");
  }
  out << "  set format x ''\n"
         "  set ylabel 'normalised power [-]'\n"
      << "  " << source << "(dat(8)) with lines lt 1 title 'plunge displacement Y3'" << marks << kAnchor << "\n"
      << "  set format x '% h'\n"
         "  set xlabel 'f [Hz]'\n"
      << "  " << source << "(dat(10)) with lines lt 2 title 'pitch displacement Y4'" << kAnchor << "\n"
      << "  unset multiplot\n\n";
}

void write_phase_figure(std::ostream& out, const FigureScript& f) {
  out << "  # ---- Phase plane\n"
         "  if (pass == 1) { set output out_prefix . 'zelvan-phase.' . format }\n"
         "  reset\n"
         "  eval common\n"
         "  set title \"Phase plane\\n\" . case_title\n"
         "  set xlabel 'plunge displacement Y3 [m]'\n"
         "  set ylabel 'pitch displacement Y4 [m]'\n"
         "  set xzeroaxis lt 4 lw 1\n"
         "  set yzeroaxis lt 4 lw 1\n"
         "  plot data_file skip "
      << f.data_columns.header_lines
      << " using (dat(4)):(dat(5)) with lines lt 1 title 'pitch against plunge', \\\n"
         "       '' skip "
      << f.data_columns.header_lines << " every ::0::0 using (dat(4)):(dat(5)) with points lt 6 pt 7 ps 1.5 title "
      << quoted("start, " + quantity("t", f.parameters.t_A, "s")) << kAnchor << "\n\n";
}

// The curves of one panel of the flutter figure: `column` names the
// column of the first mode's value in each file (g or f).
std::string flutter_curves(const FigureScript& f, bool damping) {
  std::string plot = "plot ";
  const std::string skip = " skip " + std::to_string(f.table_columns.header_lines);
  if (f.flutter_solution.empty()) {
    const char* first = damping ? "(tab(5))" : "(tab(3))";
    const char* second = damping ? "(tab(8))" : "(tab(6))";
    const char* what = damping ? "g" : "f";
    plot += "table_file" + skip + " using (tab(2)):" + first + " with linespoints lt 1 pt 7 ps 0.5 title 'mode 1 (" +
            what + "1)', \\\n       ''" + skip + " using (tab(2)):" + second +
            " with linespoints lt 2 pt 7 ps 0.5 title 'mode 2 (" + what + "2)'";
  } else {
    const char* first = damping ? "(sol(5))" : "(sol(3))";
    const char* second = damping ? "(sol(10))" : "(sol(8))";
    plot += "solution_file index 0 using (sol(2)):" + std::string(first) +
            " with lines lt 1 dt 2 title 'mode from f_0_1, sweep', \\\n"
            "       '' index 0 using (sol(2)):" +
            second + " with lines lt 2 dt 2 title 'mode from f_0_2, sweep'";
    if (f.pk_rows) {
      // gnuplot does not count a block without rows: the p-k block is the
      // second or the third.
      const std::string index = std::to_string(f.sweep_crossing_rows ? 2 : 1);
      plot += ", \\\n       '' index " + index + " using (sol(2)):" + first +
              " with linespoints lt 1 pt 7 ps 0.5 title 'mode from f_0_1, p-k', \\\n       '' index " + index +
              " using (sol(2)):" + second + " with linespoints lt 2 pt 7 ps 0.5 title 'mode from f_0_2, p-k'";
    }
    if (!f.state_space_block.empty()) {
      const std::string index = " index " + quoted(f.state_space_block);
      plot += ", \\\n       ''" + index + " using (sol(2)):" + first +
              " with lines lt 1 lw 2.5 title 'mode from f_0_1, state space', \\\n       ''" + index +
              " using (sol(2)):" + second + " with lines lt 2 lw 2.5 title 'mode from f_0_2, state space'";
    }
  }
  const std::string y = damping ? "2" : "3";
  const auto mark_title = [](std::string_view name, const FlutterMark& m) {
    return quoted(std::string(name) + ": " + quantity("q", m.q, "N/m²") + ", " + quantity("u", m.u, "m/s") + ", " +
                  quantity("f", m.f, "Hz") + ", k = " + reduced(m.k));
  };
  if (has_value(f.critical)) {
    plot += ", \\\n       $critical using 1:" + y + " with points lt 6 pt 7 ps 2 title " +
            (damping ? mark_title(critical_name(f), *f.critical) : std::string("''"));
  }
  if (has_value(f.pk_critical)) {
    plot += ", \\\n       $pk_critical using 1:" + y + " with points lt 6 pt 6 ps 2.5 lw 2 title " +
            (damping ? mark_title("p-k critical point", *f.pk_critical) : std::string("''"));
  }
  if (has_value(f.state_space_critical)) {
    plot += ", \\\n       $state_space_critical using 1:" + y + " with points lt 6 pt 4 ps 2.5 lw 2 title " +
            (damping ? mark_title("state-space critical point", *f.state_space_critical) : std::string("''"));
  }
  if (has_value(f.matched)) {
    plot += ", \\\n       $matched using 1:" + y + " with points lt 6 pt 8 ps 2.5 lw 2 title " +
            (damping ? mark_title("matched point", *f.matched) : std::string("''"));
  }
  if (has_value(f.divergence_speed)) {
    // The invisible point keeps the line inside the axis range.
    plot += ", \\\n       $divergence using 1:" + y + " with dots lc bgnd notitle";
    if (damping) {
      plot += ", \\\n       1/0 with lines lt 7 dt 3 lw 2 title " +
              quoted("divergence: " + quantity("u", *f.divergence_speed, "m/s"));
    }
  }
  plot += kAnchor;
  return plot;
}

void write_flutter_figure(std::ostream& out, const FigureScript& f) {
  const bool solution = !f.flutter_solution.empty();
  const bool state_space = solution && !f.state_space_block.empty();
  out << "  # ---- Flutter diagram: damping and frequency against the flow speed\n"
         "  if (pass == 1) { set output out_prefix . 'zelvan-flutter.' . format }\n"
         "  reset\n"
         "  eval common\n"
         "  set multiplot layout 2, 1 "
      << (state_space ? kStateSpacePanels
          : solution  ? kFlutterPanels
                      : kPanels)
      << " title " << quoted(flutter_title(f)) << " . \"\\n\" . case_title\n";
  // The legend of the flutter-solution curves and marks is long: it stands
  // below the panels, where it covers no curve.
  if (solution) {
    out << "  set key at screen 0.5, screen 0.012 center bottom vertical maxrows "
        << (state_space ? "11 font ',9'" : "8")
        << " opaque box\n"
           "  set offsets 0, 0, 0, 0\n";
  }
  if (has_value(f.divergence_speed)) {
    out << "  set arrow 1 from first " << number(*f.divergence_speed) << ", graph 0 to first "
        << number(*f.divergence_speed) << ", graph 1 nohead lt 7 dt 3 lw 2\n";
  }
  out << "  set format x ''\n"
         "  set xzeroaxis lt 6 lw 1\n"
         "  set ylabel 'damping g = 2π·d/f [-]'\n"
         "  set label 1 'd: decay rate [1/s], f: frequency [Hz]; g < 0: the mode grows' at graph 0.01, graph 0.93 left "
         "font ',9'\n"
      << "  " << flutter_curves(f, true) << "\n"
      << "  unset xzeroaxis\n"
         "  unset label 1\n"
      << (solution ? "  unset key\n" : "")
      << "  set format x '% h'\n"
         "  set xlabel 'flow speed u [m/s]'\n"
         "  set ylabel 'frequency f [Hz]'\n"
      << "  " << flutter_curves(f, false) << "\n"
      << "  unset multiplot\n\n";
}

void write_lco_figure(std::ostream& out, const FigureScript& f) {
  out << "  # ---- Limit cycles: the pitch amplitude against the speed\n"
         "  if (pass == 1) { set output out_prefix . 'zelvan-lco.' . format }\n"
         "  reset\n"
         "  eval common\n"
         "  set title \"Limit cycles: pitch amplitude against the speed\\n\" . case_title\n"
         "  set xlabel 'speed V = U/(b ω_θ) [-]'\n"
         "  set ylabel 'pitch amplitude, half the peak-to-peak [rad]'\n"
         "  set key top left\n"
         "  set offsets 0, 0, graph 0.05, 0\n"
      << (f.lco_log_amplitude ? "  set logscale y\n  set format y '%.0e'\n" : "  set yrange [0:*]\n");
  // The speeds of the sweep (and the flutter speed), a twentieth of the
  // span beyond each end: the curve of harmonic balance goes on to large
  // amplitudes far outside them.
  double low = std::min(f.lco_speeds[0], f.lco_speeds[1]), high = std::max(f.lco_speeds[0], f.lco_speeds[1]);
  if (has_value(f.lco_linear_flutter_V)) {
    low = std::min(low, *f.lco_linear_flutter_V);
    high = std::max(high, *f.lco_linear_flutter_V);
  }
  const double margin = 0.05 * (high - low);
  if (margin > 0.0) out << "  set xrange [" << number(low - margin) << ":" << number(high + margin) << "]\n";
  std::string flutter_mark;
  if (has_value(f.lco_linear_flutter_V)) {
    out << "  set arrow 1 from first " << number(*f.lco_linear_flutter_V) << ", graph 0 to first "
        << number(*f.lco_linear_flutter_V) << ", graph 1 nohead lt 7 dt 3 lw 2\n";
    flutter_mark = ", \\\n       1/0 with lines lt 7 dt 3 lw 2 title " +
                   quoted("linear flutter speed V = " + value(*f.lco_linear_flutter_V));
  }
  out << "  plot lco_file index 1 using (lcc(2)):(lcc(3) > 0.5 ? lcc(1) : 1/0) with lines lt 6 title "
         "'harmonic balance, stable', \\\n"
         "       '' index 1 using (lcc(2)):(lcc(3) > 0.5 ? 1/0 : lcc(1)) with lines lt 6 dt 2 title "
         "'harmonic balance, unstable', \\\n"
         "       '' index 0 every 2::0 using (lco(1)):(is_cycle(strcol(1)) ? lco(7) : 1/0) with points lt 2 pt 7 ps "
         "1.3 title "
         "'cycle, time marching from lco_theta0', \\\n"
         "       '' index 0 every 2::1 using (lco(1)):(is_cycle(strcol(1)) ? lco(7) : 1/0) with points lt 1 pt 6 ps 2 "
         "title "
         "'cycle, time marching from 10 lco_theta0', \\\n"
         "       '' index 0 using (lco(1)):(is_cycle(strcol(1)) ? 1/0 : lco(7)) with points lt 4 pt 2 ps 1.3 title "
         "'not settled: the last amplitude'"
      << flutter_mark << "\n\n";
}

void write_parameter_page(std::ostream& out, const FigureScript& f) {
  const PlotCase& c = f.parameters;
  const std::vector<std::string> left{
      "Case parameters",
      quantity("t_A", c.t_A, "s") + "    " + quantity("t_E", c.t_E, "s"),
      "time points: " + std::to_string(f.records),
      quantity("Y_0_1", f.y0[2], "m") + "    " + quantity("Y*_0_1", f.y0[0], "m/s"),
      quantity("Y_0_2", f.y0[3], "m") + "    " + quantity("Y*_0_2", f.y0[1], "m/s"),
      quantity("M_1", c.M_1, "kg") + "    " + quantity("M_2", c.M_2, "kg"),
      quantity("S_m", c.S_m, "kg"),
      quantity("D_1", c.D_1, "kg/s") + "    " + quantity("D_2", c.D_2, "kg/s"),
      quantity("K_1", c.K_1, "kg/s²") + "    " + quantity("K_2", c.K_2, "kg/s²"),
      quantity("K_m", c.K_m, "kg/s²") + "    " + quantity("kappa", c.kappa, "kg/s²"),
      quantity("a_0", c.a_0, "N") + "    " + quantity("f_0", c.f_0, "Hz"),
      quantity("phi", c.phi, "deg"),
      quantity("f_s", c.f_s, "N/m²"),
      quantity("w_star", c.w_star) + "    " + quantity("x_p", c.x_p) + "    " + quantity("Ma", c.Ma),
  };
  std::vector<std::string> right{
      "Results",
      "structural frequencies:",
      "  " + quantity("f_0_1", c.f_0_1, "Hz") + "    " + quantity("f_0_2", c.f_0_2, "Hz"),
      f.coupling_frequency ? "strong coupling at " + value(*f.coupling_frequency) + " Hz"
                           : std::string("no strong coupling detected"),
  };
  const auto mark_lines = [&](std::string_view name, const std::optional<FlutterMark>& m) {
    if (!m) return;
    right.push_back(std::string(name) + ":");
    right.push_back("  " + quantity("q", m->q, "N/m²") + "    " + quantity("u", m->u, "m/s"));
    right.push_back("  " + quantity("f", m->f, "Hz") + "    k = " + reduced(m->k));
  };
  mark_lines(critical_name(f), f.critical);
  mark_lines("p-k critical point", f.pk_critical);
  mark_lines("state-space critical point", f.state_space_critical);
  mark_lines("matched point", f.matched);
  if (f.divergence_speed) right.push_back("divergence: " + quantity("u", *f.divergence_speed, "m/s"));
  if (f.flutter_table.empty()) right.emplace_back("no flutter table (nstep <= 0)");

  out << "  # ---- Parameter page (PDF only)\n"
         "  if (pass == 2) {\n"
         "    reset\n"
         "    eval common\n"
         "    unset border\n"
         "    unset tics\n"
         "    unset key\n"
         "    unset grid\n"
         "    set title \"Parameters and results\\n\" . case_title font ',15'\n";
  int label = 0;
  const auto column = [&](const std::vector<std::string>& lines, double x) {
    double y = kPageTop;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      out << "    set label " << ++label << " " << quoted(lines[i]) << " at screen " << number(x) << ", screen "
          << number(y) << (i == 0 ? " font ',16'" : " font 'Mono,13'") << "\n";
      y -= kPageLineStep * (i == 0 ? 1.5 : 1.0);
    }
  };
  column(left, kPageLeft);
  column(right, kPageRight);
  out << "    plot [0:1][0:1] 1/0 notitle\n"
         "  }\n";
}

}  // namespace

std::vector<std::string> figure_files(const FigureScript& figures) {
  std::vector<std::string> names;
  for (const std::string_view name : kFigureFiles) {
    if (name == "zelvan-flutter.png" && !has_flutter_figure(figures)) continue;
    if (name == "zelvan-lco.png" && !has_lco_figure(figures)) continue;
    names.emplace_back(name);
  }
  return names;
}

int pdf_pages(const FigureScript& figures) {
  return 4 + (has_flutter_figure(figures) ? 1 : 0) + (has_lco_figure(figures) ? 1 : 0);
}

void write_gnuplot_script(std::ostream& out, const FigureScript& figures) {
  write_header(out, figures);
  write_values(out, figures);
  out << "# Pass 1 writes one figure file each, pass 2 every figure and the parameter\n"
         "# page into the PDF.\n"
         "do for [pass = 1:2] {\n"
         "  if (pass == 1) {\n"
         "    if (format eq 'svg') {\n"
         "      set terminal svg size width, height dynamic noenhanced font 'Sans,12' background rgb 'white'\n"
         "    } else {\n"
         "      set terminal pngcairo size width, height noenhanced font 'Sans,11'\n"
         "    }\n"
         "  } else {\n"
         "    set terminal pdfcairo size 29.7cm, 21cm noenhanced font 'Sans,11'\n"
         "    set output out_prefix . 'zelvan.pdf'\n"
         "  }\n\n";
  write_time_figure(out, figures);
  write_spectrum_figure(out, figures);
  write_phase_figure(out, figures);
  if (has_flutter_figure(figures)) write_flutter_figure(out, figures);
  if (has_lco_figure(figures)) write_lco_figure(out, figures);
  write_parameter_page(out, figures);
  out << "  unset output\n"
         "}\n";
}

}  // namespace zelvan::plot
