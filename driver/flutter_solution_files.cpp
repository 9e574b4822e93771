#include "driver/flutter_solution_files.hpp"

#include <charconv>
#include <cmath>
#include <complex>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>

#include "driver/console_output.hpp"
#include "driver/flutter.hpp"
#include "driver/flutter_solution.hpp"
#include "driver/section_answers.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {

using nlohmann::json;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const char* const kModeNames[2] = {"f_0_1", "f_0_2"};

// The p-k modes as the tables and the JSON file take them: each mode's
// solution, table column (0 where the iteration was not possible) and k.
struct PkColumns {
  std::array<std::vector<std::optional<FlutterMode>>, 2> modes;
  std::array<std::vector<int>, 2> column;
  std::array<std::vector<double>, 2> k;
};

PkColumns pk_columns(const PkResult& pk) {
  PkColumns c;
  for (std::size_t m = 0; m < 2; ++m) {
    for (const std::optional<PkPoint>& p : pk.modes[m]) {
      c.modes[m].push_back(p ? std::optional<FlutterMode>(p->mode) : std::nullopt);
      c.column[m].push_back(p ? p->column : 0);
      c.k[m].push_back(p ? p->k : kNaN);
    }
  }
  return c;
}

std::string trimmed(const std::string& s) {
  const std::size_t end = s.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

const char* kind_name(CrossingKind kind) { return kind == CrossingKind::onset ? "onset" : "offset"; }

// --- zelvan_flutter.dat -------------------------------------------------

const textio::Layout& layout(const char* text) { return message_layout(text); }

void line(std::ostream& out, const std::string& text) { out << text << '\n'; }

void block_separator(std::ostream& out) { out << "\n\n"; }

constexpr const char* kModeRow = "(2(1PG14.6),4(1PG14.6),I4,4(1PG14.6),I4)";
constexpr const char* kCrossingRow = R"((1X, A6, 1X, A5, 7(1PG14.6)))";
constexpr const char* kIterationRow = "(I4, 6(1PG14.6))";
// A "#" column-label line: each label right-aligned over its field.
std::string labels(std::initializer_list<std::pair<std::size_t, const char*>> fields) {
  std::string text;
  for (const auto& [width, label] : fields) {
    const std::string l(label);
    text += std::string(width > l.size() ? width - l.size() : 1, ' ') + l;
  }
  text[0] = '#';
  return text;
}

const std::string kModeLabels = labels({{14, "q [N/m2]"},
                                        {14, "u [m/s]"},
                                        {14, "f1 [Hz]"},
                                        {14, "d1 [1/s]"},
                                        {14, "g1 [-]"},
                                        {14, "k1 [-]"},
                                        {4, "col"},
                                        {14, "f2 [Hz]"},
                                        {14, "d2 [1/s]"},
                                        {14, "g2 [-]"},
                                        {14, "k2 [-]"},
                                        {4, "col"}});
const std::string kCrossingLabels = labels({{7, "kind"},
                                            {6, "mode"},
                                            {14, "q [N/m2]"},
                                            {14, "u [m/s]"},
                                            {14, "f [Hz]"},
                                            {14, "d [1/s]"},
                                            {14, "k [-]"},
                                            {14, "|ratio| [-]"},
                                            {14, "phase [deg]"}});
const std::string kIterationLabels = labels(
    {{4, "it"}, {14, "w_star [-]"}, {14, "Ma [-]"}, {14, "q [N/m2]"}, {14, "u [m/s]"}, {14, "f [Hz]"}, {14, "k [-]"}});

void mode_table(std::ostream& out, const std::vector<double>& q, const std::vector<double>& u,
                const std::array<std::vector<std::optional<FlutterMode>>, 2>& modes,
                const std::array<std::vector<int>, 2>& column, const std::array<std::vector<double>, 2>& k) {
  for (std::size_t i = 0; i < q.size(); ++i) {
    std::vector<textio::Value> values{q[i], u[i]};
    for (std::size_t m = 0; m < 2; ++m) {
      const std::optional<FlutterMode>& mode = modes[m][i];
      values.emplace_back(mode ? mode->f : kNaN);
      values.emplace_back(mode ? mode->d : kNaN);
      values.emplace_back(mode ? mode->g : kNaN);
      values.emplace_back(mode ? k[m][i] : kNaN);
      values.emplace_back(mode ? column[m][i] : 0);
    }
    textio::write(out, layout(kModeRow), values);
  }
}

void crossing_table(std::ostream& out, const std::vector<Crossing>& crossings) {
  line(out, kCrossingLabels);
  if (crossings.empty()) line(out, "# none");
  for (const Crossing& c : crossings) {
    textio::write(out, layout(kCrossingRow),
                  {std::string_view(kind_name(c.kind)), std::string_view(kModeNames[c.mode]), c.q, c.u, c.f, c.d, c.k,
                   c.magnitude, c.phase});
  }
}

// The text of a one-line layout, without trailing blanks.
std::string one_line(const textio::Layout& l, std::initializer_list<textio::Value> values) {
  constexpr std::size_t kLongestLine = 400;
  return trimmed(textio::write_text(kLongestLine, l, values));
}

std::string point_text(const std::optional<Crossing>& c) {
  if (!c) return "none";
  return one_line(
      layout(
          R"(("onset of ", A, " at q =", 1PG14.6, " N/m2, u =", 1PG14.6, " m/s, f =", 1PG14.6, " Hz, k =", 1PG14.6))"),
      {std::string_view(kModeNames[c->mode]), c->q, c->u, c->f, c->k});
}

// zelvan_flutter.dat, the header: title, route, the case's reference
// values and the meaning of the columns.
void dat_header(std::ostream& out, const FlutterSolution& s) {
  line(out, "# ZELVAN flutter solution");
  line(out, "# title: " + trimmed(s.title));
  line(out, "# route: " + route_name(s.route));
  textio::write(
      out,
      layout(R"(("# w_star =", 1PG14.6, "   Ma =", 1PG14.6, "   x_ref [m] =", 1PG14.6, "   rho [kg/m3] =", 1PG14.6))"),
      {s.w_star, s.Ma, s.x_ref, s.rho});
  textio::write(out, layout(R"(("# structural frequencies [Hz]: f_0_1 =", 1PG14.6, "   f_0_2 =", 1PG14.6))"),
                {s.structural_frequencies[0], s.structural_frequencies[1]});
  line(out, "# d = Im W / 2 pi [1/s] (positive: the mode decays, negative: it grows); g = 2 pi d / f [-];");
  line(out, "# k = 2 pi f (x_ref/2) / u [-]; col: the zelvan_fl.dat mode column (0: no value at that speed)");
  if (s.truncated) line(out, "# only the first " + std::to_string(kMaxKeptSteps) + " sweep steps are analysed");
}

// The flight speed sqrt(2 |q| / rho) of each dynamic pressure.
std::vector<double> speeds_of(const std::vector<double>& q, double rho) {
  std::vector<double> u;
  u.reserve(q.size());
  for (double qi : q) u.push_back(flow_speed(qi, rho));
  return u;
}

// The sweep as the tables and the JSON file take it: the flight speed
// sqrt(2 |q| / rho) of each sweep point and each tracked mode's reduced
// frequency there (NaN where the mode was not tracked).
struct SweepSpeeds {
  std::vector<double> u;
  std::array<std::vector<double>, 2> k;
};

SweepSpeeds sweep_speeds(const FlutterSolution& s) {
  SweepSpeeds speeds;
  speeds.u = speeds_of(s.sweep.q, s.rho);
  for (std::size_t m = 0; m < 2; ++m) {
    for (std::size_t i = 0; i < s.sweep.q.size(); ++i) {
      const auto& mode = s.sweep.modes[m][i];
      speeds.k[m].push_back(mode ? reduced_frequency(mode->f, s.x_ref, speeds.u[i]) : kNaN);
    }
  }
  return speeds;
}

// Data blocks 0 and 1: the sweep's tracked modes and its crossings.
void dat_sweep_blocks(std::ostream& out, const FlutterSolution& s) {
  // index 0: the sweep's tracked modes.
  line(out, "# Sweep, tracked modes (1: from f_0_1, 2: from f_0_2)");
  line(out, kModeLabels);
  const auto [u, k] = sweep_speeds(s);
  mode_table(out, s.sweep.q, u, s.sweep.modes, s.column, k);
  block_separator(out);

  // index 1: the sweep's crossings.
  line(out, "# Sweep, crossings");
  crossing_table(out, s.crossings);
  block_separator(out);
}

// Data blocks 2 and 3: the p-k analysis's tracked modes and its crossings.
void dat_pk_blocks(std::ostream& out, const FlutterSolution& s) {
  // index 2 and 3: the p-k analysis.
  line(out, "# p-k analysis, tracked modes");
  line(out, kModeLabels);
  if (s.pk) {
    const auto [modes, column, pk_k] = pk_columns(*s.pk);
    mode_table(out, s.pk->q, s.pk->u, modes, column, pk_k);
  } else {
    line(out, "# none");
  }
  block_separator(out);
  line(out, "# p-k analysis, crossings");
  if (s.pk) {
    crossing_table(out, s.pk->crossings);
  } else {
    line(out, kCrossingLabels);
    line(out, "# none");
  }
  block_separator(out);
}

// Data block 4: the matched point's iterations.
void dat_matched_block(std::ostream& out, const FlutterSolution& s) {
  // index 4: the matched point's iterations.
  line(out, "# Matched point, iterations");
  line(out, kIterationLabels);
  if (s.matched && !s.matched->iterations.empty()) {
    int n = 0;
    for (const MatchedIteration& it : s.matched->iterations) {
      textio::write(out, layout(kIterationRow), {++n, it.w_star, it.Ma, it.q, it.u, it.f, it.k});
    }
  } else {
    line(out, "# none");
  }
}

// The closing summary: the critical points, the divergence and the
// matched point.
void dat_summary(std::ostream& out, const FlutterSolution& s) {
  line(out, "#");
  line(out, "# critical point (sweep): " + point_text(s.critical));
  if (s.route == AeroRoute::external) {
    line(out, "# divergence: not computed for external coefficients");
  } else if (s.divergence) {
    line(out, one_line(layout(R"(("# divergence: q =", 1PG14.6, " N/m2, u =", 1PG14.6, " m/s"))"),
                       {s.divergence->q, s.divergence->u}));
  } else {
    line(out, "# divergence: none");
  }
  line(out, "# critical point (p-k): " + (s.pk ? point_text(s.pk->critical) : std::string("no p-k analysis")));
  if (s.matched && s.matched->critical) {
    const Crossing& c = *s.matched->critical;
    line(
        out,
        one_line(
            layout(
                R"(("# matched point: q =", 1PG14.6, " N/m2, u =", 1PG14.6, " m/s, f =", 1PG14.6, " Hz, k =", 1PG14.6, ", Ma =", 1PG14.6, ", ", A))"),
            {c.q, c.u, c.f, c.k, s.matched->Ma,
             std::string_view(s.matched->converged() ? "converged" : "not converged")}));
  } else {
    line(out, "# matched point: none");
  }
}

// The state-space model's tracked modes as the tables take them: a mode's
// k from its frequency, column 0 (its roots are not sweep columns).
PkColumns state_space_columns(const flutter::PMethodResult& p, double x_ref, const std::vector<double>& u) {
  PkColumns c;
  for (std::size_t m = 0; m < 2; ++m) {
    for (std::size_t i = 0; i < p.q.size(); ++i) {
      const std::optional<FlutterMode>& mode = p.tracked.modes[m][i];
      c.modes[m].push_back(mode);
      c.column[m].push_back(0);
      c.k[m].push_back(mode ? reduced_frequency(mode->f, x_ref, u[i]) : kNaN);
    }
  }
  return c;
}

const char* form_title(aero::LagForm form) {
  return form == aero::LagForm::minimum_state ? "minimum-state form" : "Roger's form";
}

// Data blocks 5 and 6, after the summary: the state-space model's tracked
// modes and crossings, and its own summary lines.
void dat_state_space_blocks(std::ostream& out, const FlutterSolution& s) {
  block_separator(out);
  line(out, std::string(kStateSpaceBlockTitle) + ", tracked modes (col 0: its roots are not sweep columns)");
  line(out, kModeLabels);
  const std::optional<flutter::StateSpaceSolution>& ss = s.state_space;
  if (ss) {
    const std::vector<double> u = speeds_of(ss->p.q, s.rho);
    const auto [modes, column, k] = state_space_columns(ss->p, s.x_ref, u);
    mode_table(out, ss->p.q, u, modes, column, k);
  } else {
    line(out, "# none");
  }
  block_separator(out);
  line(out, std::string(kStateSpaceBlockTitle) + ", crossings");
  if (ss) {
    crossing_table(out, ss->p.crossings);
  } else {
    line(out, kCrossingLabels);
    line(out, "# none");
  }
  line(out, "#");
  if (!ss) {
    line(out, "# state-space model: none");
    return;
  }
  const aero::RogerFit& fit = ss->model.aero;
  line(
      out,
      one_line(
          layout(
              R"(("# state-space model: ", A, ",", I2, " lags, fit error", 1PG10.3, " over k =", 1PG14.6, " to", 1PG14.6))"),
          {std::string_view(form_title(fit.form)), static_cast<int>(fit.lags.size()), fit.error, ss->k_range[0],
           ss->k_range[1]}));
  line(out, "# critical point (state space): " + point_text(ss->p.critical));
  if (ss->p.divergence_q) {
    line(out, one_line(layout(R"(("# divergence (state space): q =", 1PG14.6, " N/m2, u =", 1PG14.6, " m/s"))"),
                       {*ss->p.divergence_q, flow_speed(*ss->p.divergence_q, s.rho)}));
  } else {
    line(out, "# divergence (state space): none");
  }
}

void write_dat(const FlutterSolution& s) {
  textio::OutputFile file{std::string(kFlutterSolutionFile)};
  std::ostream& out = file.stream();
  dat_header(out, s);
  dat_sweep_blocks(out, s);
  dat_pk_blocks(out, s);
  dat_matched_block(out, s);
  dat_summary(out, s);
  dat_state_space_blocks(out, s);
  file.close();
}

// The largest stable harmonic-balance amplitude of a row, or NaN.
double stable_amplitude(const LcoRow& row) {
  double a = kNaN;
  for (const flutter::HarmonicBalanceCycle& c : row.harmonic_balance) {
    if (c.stable) a = c.amplitude_theta;
  }
  return a;
}

// A march's amplitudes and frequency where its state gives them a
// meaning: the cycle's, or the last measured of a march that did not
// settle; NaN at rest and after divergence.
std::array<double, 3> march_values(const flutter::LcoPoint& p) {
  if (p.state != flutter::LcoState::cycle && p.state != flutter::LcoState::not_settled) return {kNaN, kNaN, kNaN};
  return {p.amplitude_h, p.amplitude_theta, p.frequency > 0.0 ? p.frequency : kNaN};
}

// --- zelvan_lco.dat -----------------------------------------------------

constexpr const char* kLcoValue = "(1PG14.6)";
constexpr std::size_t kLcoField = 14;
constexpr std::size_t kLcoStart = 6;
constexpr std::size_t kLcoState = 12;

// A value of a row in its 14 columns; asterisks where it has no value, as
// in the program's other fixed-column files.
std::string lco_field(double v) {
  if (!std::isfinite(v)) return std::string(kLcoField, '*');
  return textio::write_text(kLcoField, layout(kLcoValue), {v});
}

// A number of a header line in its shortest form that reads back exactly.
std::string shortest(double v) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
  return {buffer.data(), result.ptr};
}

std::string right(std::string_view text, std::size_t width) {
  return std::string(width > text.size() ? width - text.size() : 1, ' ') + std::string(text);
}

void write_lco_dat(const FlutterSolution& s) {
  const LcoSweep& sweep = *s.lco;
  const NonlinearSpringsInput& n = sweep.springs;
  textio::OutputFile file{std::string(kLcoDataFile)};
  std::ostream& out = file.stream();
  line(out, "# ZELVAN limit-cycle sweep: " + trimmed(s.title));
  line(out, "# springs: cubic_h " + shortest(n.cubic_h) + ", freeplay_h " + shortest(n.freeplay_h) + ", cubic_theta " +
                shortest(n.cubic_theta) + ", freeplay_theta " + shortest(n.freeplay_theta) + " rad");
  line(out, "# starts: theta " + shortest(n.lco_theta0) + " rad (small) and " +
                shortest(kLcoLargeStart * n.lco_theta0) +
                " rad (large); amplitudes are half the peak-to-peak, h/b and rad; A_theta_hb the largest stable "
                "harmonic-balance amplitude");
  if (sweep.linear_flutter_V) {
    line(out, "# linear flutter (harmonic balance, exact aerodynamics): V = " + shortest(*sweep.linear_flutter_V));
  } else {
    line(out, "# linear flutter (harmonic balance, exact aerodynamics): none");
  }
  line(out, labels({{kLcoField, "V"},
                    {kLcoField, "u [m/s]"},
                    {kLcoField, "q [N/m2]"},
                    {kLcoStart, "start"},
                    {kLcoState, "state"},
                    {kLcoField, "A_h"},
                    {kLcoField, "A_theta"},
                    {kLcoField, "f [Hz]"},
                    {kLcoField, "A_theta_hb"}}));
  for (const LcoRow& r : sweep.rows) {
    const auto [a_h, a_theta, f] = march_values(r.march);
    std::string text = lco_field(r.V) + lco_field(r.u) + lco_field(r.q) +
                       right(r.large_start ? "large" : "small", kLcoStart) +
                       right(lco_state_name(r.march.state), kLcoState);
    for (double v : {a_h, a_theta, f, stable_amplitude(r)}) text += lco_field(v);
    line(out, text);
  }
  block_separator(out);
  line(out, "# harmonic-balance curve: the flutter speed V of the equivalent section at each pitch amplitude");
  line(out, labels({{kLcoField, "A_theta"}, {kLcoField, "V"}, {kLcoField, "stable"}}));
  if (sweep.curve.empty()) line(out, "# none");
  for (const LcoCurvePoint& p : sweep.curve) {
    line(out, lco_field(p.amplitude_theta) + lco_field(p.V) + lco_field(p.stable ? 1.0 : 0.0));
  }
  file.close();
}

// --- zelvan_flutter.json ------------------------------------------------

// The keys of zelvan_flutter.json that its readers take up: one definition
// for the writer and read_flutter_json_summary.
constexpr const char* kCriticalKey = "critical";
constexpr const char* kDivergenceKey = "divergence";
constexpr const char* kPkKey = "pk";
constexpr const char* kMatchedKey = "matched";
constexpr const char* kConvergedKey = "converged";
constexpr const char* kQKey = "q";
constexpr const char* kUKey = "u";
constexpr const char* kFKey = "f";
constexpr const char* kKKey = "k";
constexpr const char* kMaKey = "Ma";

// A number, or null when it has no finite value.
json number(double x) { return std::isfinite(x) ? json(x) : json(nullptr); }

json crossing_json(const Crossing& c) {
  return json{{"kind", c.kind == CrossingKind::onset ? "flutter onset" : "flutter offset"},
              {"mode", kModeNames[c.mode]},
              {kQKey, number(c.q)},
              {kUKey, number(c.u)},
              {kFKey, number(c.f)},
              {"d", number(c.d)},
              {kKKey, number(c.k)},
              {"ratio_magnitude", number(c.magnitude)},
              {"ratio_phase_deg", number(c.phase)}};
}

json optional_crossing(const std::optional<Crossing>& c) { return c ? crossing_json(*c) : json(nullptr); }

json crossings_json(const std::vector<Crossing>& crossings) {
  json list = json::array();
  for (const Crossing& c : crossings) list.push_back(crossing_json(c));
  return list;
}

json numbers(const std::vector<double>& v) {
  json list = json::array();
  for (double x : v) list.push_back(number(x));
  return list;
}

json modes_json(const std::array<std::vector<std::optional<FlutterMode>>, 2>& modes,
                const std::array<std::vector<int>, 2>& column, const std::array<std::vector<double>, 2>& k) {
  json list = json::array();
  for (std::size_t m = 0; m < 2; ++m) {
    json f = json::array(), d = json::array(), g = json::array(), kk = json::array(), col = json::array();
    for (std::size_t i = 0; i < modes[m].size(); ++i) {
      const auto& mode = modes[m][i];
      f.push_back(mode ? number(mode->f) : json(nullptr));
      d.push_back(mode ? number(mode->d) : json(nullptr));
      g.push_back(mode ? number(mode->g) : json(nullptr));
      kk.push_back(mode ? number(k[m][i]) : json(nullptr));
      col.push_back(mode ? json(column[m][i]) : json(nullptr));
    }
    list.push_back(json{{"name", kModeNames[m]}, {"f", f}, {"d", d}, {"g", g}, {"k", kk}, {"column", col}});
  }
  return list;
}

json section_point_json(const std::optional<SectionPoint>& p) {
  if (!p) return nullptr;
  return json{{"V", number(p->V)}, {"omega_ratio", number(p->omega_ratio)}, {"k", number(p->k)}};
}

// The section's inputs by their record names and its flutter points in its
// own terms.
json section_json(const FlutterSolution& s, const SectionInput& in) {
  const std::optional<Crossing> none;
  return json{{"b", number(in.b)},
              {"a", number(in.a)},
              {"x_theta", number(in.x_theta)},
              {"r2", number(in.r2)},
              {"mu", number(in.mu)},
              {"sigma", number(in.sigma)},
              {"f_theta", number(in.f_theta)},
              {"span", number(in.span)},
              {"zeta_h", number(in.zeta_h)},
              {"zeta_theta", number(in.zeta_theta)},
              {"critical", section_point_json(section_point(in, s.critical))},
              {"pk", section_point_json(section_point(in, s.pk ? s.pk->critical : none))},
              {"matched", section_point_json(section_point(in, s.matched ? s.matched->critical : none))},
              {"divergence_V", s.divergence ? number(section_speed(in, s.divergence->u)) : json(nullptr)},
              {"state_space_critical",
               section_point_json(section_point(in, s.state_space ? s.state_space->p.critical : none))}};
}

// A real 2x2 matrix (column-major) as rows: [[r11, r12], [r21, r22]].
json matrix_json(const aero::RealMatrix2& m) {
  return json::array({json::array({number(m[0]), number(m[2])}), json::array({number(m[1]), number(m[3])})});
}

json state_space_json(const flutter::StateSpaceSolution& ss, double rho) {
  const aero::RogerFit& fit = ss.model.aero;
  json matrices = json::array({matrix_json(fit.a0), matrix_json(fit.a1), matrix_json(fit.a2)});
  for (const aero::RealMatrix2& d : fit.d) matrices.push_back(matrix_json(d));
  json speeds = json::array();
  for (std::size_t i = 0; i < ss.p.q.size(); ++i) {
    json roots = json::array();
    for (const std::complex<double>& r : ss.p.roots[i])
      roots.push_back(json::array({number(r.real()), number(r.imag())}));
    speeds.push_back(json{{kQKey, number(ss.p.q[i])}, {kUKey, number(flow_speed(ss.p.q[i], rho))}, {"roots", roots}});
  }
  json critical = nullptr;
  if (ss.p.critical) {
    const Crossing& c = *ss.p.critical;
    critical = json{{kQKey, number(c.q)}, {kUKey, number(c.u)}, {kFKey, number(c.f)}, {kKKey, number(c.k)}};
  }
  return json{{"form", fit.form == aero::LagForm::minimum_state ? "minimum_state" : "roger"},
              {"k_range", numbers({ss.k_range[0], ss.k_range[1]})},
              {"lags", numbers(fit.lags)},
              {"fit_error", number(fit.error)},
              {"matrices", matrices},
              {"speeds", speeds},
              {kCriticalKey, critical},
              {"divergence_q", ss.p.divergence_q ? number(*ss.p.divergence_q) : json(nullptr)}};
}

json lco_json(const LcoSweep& sweep) {
  json rows = json::array();
  for (const LcoRow& r : sweep.rows) {
    const auto [a_h, a_theta, f] = march_values(r.march);
    json amplitudes = json::array(), stable = json::array();
    for (const flutter::HarmonicBalanceCycle& c : r.harmonic_balance) {
      amplitudes.push_back(number(c.amplitude_theta));
      stable.push_back(c.stable);
    }
    rows.push_back(json{{"V", number(r.V)},
                        {kUKey, number(r.u)},
                        {kQKey, number(r.q)},
                        {"start", r.large_start ? "large" : "small"},
                        {"state", lco_state_name(r.march.state)},
                        {"amplitude_h", number(a_h)},
                        {"amplitude_theta", number(a_theta)},
                        {"frequency", number(f)},
                        {"hb_amplitude_theta", amplitudes},
                        {"hb_stable", stable}});
  }
  json amplitudes = json::array(), speeds = json::array(), stable = json::array();
  for (const LcoCurvePoint& p : sweep.curve) {
    amplitudes.push_back(number(p.amplitude_theta));
    speeds.push_back(number(p.V));
    stable.push_back(p.stable);
  }
  return json{{"linear_flutter_V", sweep.linear_flutter_V ? number(*sweep.linear_flutter_V) : json(nullptr)},
              {"rows", rows},
              {"hb_curve", json{{"amplitude_theta", amplitudes}, {"V", speeds}, {"stable", stable}}}};
}

json solution_json(const FlutterSolution& s, const std::optional<SectionInput>& section) {
  json j;
  j["title"] = trimmed(s.title);
  j["route"] = route_name(s.route);
  j["w_star"] = number(s.w_star);
  j["Ma"] = number(s.Ma);
  j["x_ref"] = number(s.x_ref);
  j["rho"] = number(s.rho);
  j["structural_frequencies"] = json::array({number(s.structural_frequencies[0]), number(s.structural_frequencies[1])});
  j["flutter_method"] = s.method;
  j["sweep_truncated"] = s.truncated;

  const auto [u, k] = sweep_speeds(s);
  j["sweep"] = json{{"q", numbers(s.sweep.q)}, {"u", numbers(u)}, {"modes", modes_json(s.sweep.modes, s.column, k)}};
  j["crossings"] = crossings_json(s.crossings);
  j[kCriticalKey] = optional_crossing(s.critical);
  j[kDivergenceKey] =
      s.divergence ? json{{kQKey, number(s.divergence->q)}, {kUKey, number(s.divergence->u)}} : json(nullptr);

  if (s.pk) {
    const auto [modes, column, pk_k] = pk_columns(*s.pk);
    j[kPkKey] = json{{kQKey, numbers(s.pk->q)},
                     {kUKey, numbers(s.pk->u)},
                     {"modes", modes_json(modes, column, pk_k)},
                     {"crossings", crossings_json(s.pk->crossings)},
                     {kCriticalKey, optional_crossing(s.pk->critical)}};
  } else {
    j[kPkKey] = nullptr;
  }

  if (s.matched || s.matched_without_start) {
    json m{{kConvergedKey, false},
           {"mach_matched", s.method == 2},
           {"iterations", json::array()},
           {kQKey, nullptr},
           {kUKey, nullptr},
           {kFKey, nullptr},
           {kKKey, nullptr},
           {kMaKey, nullptr}};
    if (s.matched) {
      m[kConvergedKey] = s.matched->converged();
      for (const MatchedIteration& it : s.matched->iterations) {
        m["iterations"].push_back(json{{"w_star", number(it.w_star)},
                                       {"Ma", number(it.Ma)},
                                       {"q", number(it.q)},
                                       {"u", number(it.u)},
                                       {"f", number(it.f)},
                                       {"k", number(it.k)}});
      }
      if (s.matched->critical) {
        const Crossing& c = *s.matched->critical;
        m[kQKey] = number(c.q);
        m[kUKey] = number(c.u);
        m[kFKey] = number(c.f);
        m[kKKey] = number(c.k);
        m[kMaKey] = number(s.matched->Ma);
      }
    }
    j[kMatchedKey] = m;
  } else {
    j[kMatchedKey] = nullptr;
  }

  j["state_space"] = s.state_space ? state_space_json(*s.state_space, s.rho) : json(nullptr);
  j["section"] = section ? section_json(s, *section) : json(nullptr);
  if (s.lco) j["lco"] = lco_json(*s.lco);
  return j;
}

void write_json(const FlutterSolution& s, const std::optional<SectionInput>& section) {
  textio::OutputFile file{std::string(kFlutterJsonFile)};
  file.stream() << flutter_json_text(s, section);
  file.close();
}

std::optional<double> number_at(const json& object, const char* key) {
  if (!object.is_object()) return std::nullopt;
  const auto it = object.find(key);
  if (it == object.end() || !it->is_number()) return std::nullopt;
  return it->get<double>();
}

FlutterJsonPoint point_at(const json& object) {
  return {number_at(object, kQKey), number_at(object, kUKey), number_at(object, kFKey), number_at(object, kKKey)};
}

}  // namespace

std::vector<int> tracked_mode_row_widths() { return textio::value_widths(layout(kModeRow)); }

std::vector<int> lco_row_widths() {
  const int v = static_cast<int>(kLcoField);
  return {v, v, v, static_cast<int>(kLcoStart), static_cast<int>(kLcoState), v, v, v, v};
}

std::vector<int> lco_curve_widths() {
  const int v = static_cast<int>(kLcoField);
  return {v, v, v};
}

std::optional<FlutterJsonSummary> read_flutter_json_summary(std::istream& in) {
  json file;
  try {
    file = json::parse(in);
  } catch (const json::exception&) {
    return std::nullopt;
  }
  if (!file.is_object()) return std::nullopt;
  const json null;
  const auto member = [&](const json& object, const char* key) -> const json& {
    if (!object.is_object()) return null;
    const auto it = object.find(key);
    return it == object.end() ? null : *it;
  };
  FlutterJsonSummary summary;
  summary.critical = point_at(member(file, kCriticalKey));
  const json& divergence = member(file, kDivergenceKey);
  summary.divergence_q = number_at(divergence, kQKey);
  summary.divergence_u = number_at(divergence, kUKey);
  summary.pk = point_at(member(member(file, kPkKey), kCriticalKey));
  const json& matched = member(file, kMatchedKey);
  if (const json& converged = member(matched, kConvergedKey); converged.is_boolean()) {
    summary.matched_converged = converged.get<bool>();
  }
  summary.matched = point_at(matched);
  summary.matched_Ma = number_at(matched, kMaKey);
  return summary;
}

std::string flutter_json_text(const FlutterSolution& solution, const std::optional<SectionInput>& section) {
  // The title is bytes from the input file, not necessarily UTF-8: invalid
  // sequences are written as U+FFFD rather than failing the run.
  return solution_json(solution, section).dump(2, ' ', false, json::error_handler_t::replace) + '\n';
}

void write_flutter_solution_files(const FlutterSolution& solution, const std::optional<SectionInput>& section) {
  write_dat(solution);
  write_json(solution, section);
  if (solution.lco) write_lco_dat(solution);
}

}  // namespace zelvan::driver
