#include "study/collect.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>

#include "aero/atmosphere.hpp"
#include "driver/flutter_solution_files.hpp"
#include "driver/input_file.hpp"
#include "study/atomic_file.hpp"
#include "study/case_runner.hpp"
#include "study/messages.hpp"
#include "study/study_file.hpp"
#include "textio/stop.hpp"

extern char** environ;  // NOLINT(readability-redundant-declaration): POSIX declares it nowhere in a header

namespace zelvan::study {
namespace {

namespace fs = std::filesystem;
using ordered_json = nlohmann::ordered_json;

std::string csv_text(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string number_text(const std::optional<double>& x) { return x ? value_text(FieldValue{*x}) : std::string(); }

ordered_json number_json(const std::optional<double>& x) { return x ? ordered_json(*x) : ordered_json(); }

// The result columns after `status`, as (name, value) pairs.
std::vector<std::pair<const char*, std::optional<double>>> numbers(const ResultRow& row) {
  return {{"critical_q", row.critical_q},
          {"critical_u", row.critical_u},
          {"critical_f", row.critical_f},
          {"critical_k", row.critical_k},
          {"divergence_q", row.divergence_q}};
}
std::vector<std::pair<const char*, std::optional<double>>> matched_numbers(const ResultRow& row) {
  return {{"matched_q", row.matched_q},
          {"matched_u", row.matched_u},
          {"matched_f", row.matched_f},
          {"matched_k", row.matched_k},
          {"matched_Ma", row.matched_Ma}};
}
// The columns of a study over altitude, after `plotted`: the case's air
// and the matched point's equivalent airspeed.
std::vector<std::pair<const char*, std::optional<double>>> altitude_numbers(const PlannedStudy& study,
                                                                            const ResultRow& row) {
  const std::vector<std::string>& fields = study.fields;
  if (std::find(fields.begin(), fields.end(), kAltitudeParameter) == fields.end()) return {};
  std::vector<std::pair<const char*, std::optional<double>>> out{
      {"rho", row.rho}, {"sound_speed", row.sound_speed}, {"matched_eas", row.matched_eas}};
  if (study.envelope) out.emplace_back("envelope_margin", row.envelope_margin);
  return out;
}
std::vector<std::pair<const char*, std::optional<double>>> pk_numbers(const ResultRow& row) {
  return {{"pk_q", row.pk_q}, {"pk_u", row.pk_u}, {"pk_f", row.pk_f}, {"pk_k", row.pk_k}};
}

// The point style of each kind of flutter speed in the figure, and its
// line in the key.
struct KindStyle {
  FlutterSpeedKind kind;
  int pointtype;
  const char* title;
};
constexpr std::array<KindStyle, 3> kKindStyles{{{FlutterSpeedKind::matched, 7, "flutter: matched point"},
                                                {FlutterSpeedKind::pk, 5, "flutter: p-k critical point"},
                                                {FlutterSpeedKind::sweep, 9, "flutter: sweep crossing (frozen k)"}}};

std::string gnuplot_text(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

// Runs gnuplot on DIR/study.gp, drawing DIR/study.png through a temporary
// name; returns why not, or "".
std::string draw_figure(const fs::path& dir) {
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const std::string temporary = "study.png.part-" + std::to_string(::getpid());
  std::string program = "gnuplot";
  std::string dash_e = "-e";
  std::string setting = "outfile='" + temporary + "'";
  std::string script = "study.gp";
  std::array<char*, 5> argv{program.data(), dash_e.data(), setting.data(), script.data(), nullptr};
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return msg::compose(msg::kNoGnuplot, {std::strerror(rc)});
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  std::error_code error;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !fs::is_regular_file(dir / temporary, error)) {
    fs::remove(dir / temporary, error);
    return msg::compose(msg::kGnuplotFailed, {std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1)});
  }
  fs::rename(dir / temporary, dir / "study.png", error);
  if (error) return msg::compose(msg::kCannotWrite, {(dir / "study.png").string(), error.message()});
  return {};
}

// The results of a case of a study over altitude (the parameter at
// `altitude`): its air as the program reads its input (none when it does
// not read), the matched point's equivalent airspeed and, with an
// envelope, the margin to the converged matched speed.
void add_altitude_results(ResultRow& row, const PlannedStudy& study, std::size_t altitude, const fs::path& case_dir) {
  try {
    driver::CaseParameters cp;
    driver::read_input_file(cp, (case_dir / "zelvan.inp").string());
    row.rho = cp.rho;
    row.sound_speed = cp.sound_speed;
  } catch (const textio::RunStop&) {
  }
  if (row.rho && row.matched_u) row.matched_eas = *row.matched_u * std::sqrt(*row.rho / aero::kSeaLevelDensity);
  if (!study.envelope || !row.matched_converged.value_or(false)) return;
  const auto* h = std::get_if<double>(&row.planned.values[altitude]);
  const std::optional<double> limit = h != nullptr ? study.envelope->limit_at(*h) : std::nullopt;
  const std::optional<double> flutter = study.envelope->equivalent ? row.matched_eas : row.matched_u;
  if (limit && flutter) row.envelope_margin = 100.0 * (*flutter - *limit) / *limit;
}

}  // namespace

std::optional<FlutterSpeed> plotted_speed(const ResultRow& row) {
  if (row.matched_converged.value_or(false) && row.matched_u)
    return FlutterSpeed{FlutterSpeedKind::matched, *row.matched_u};
  if (row.pk_u) return FlutterSpeed{FlutterSpeedKind::pk, *row.pk_u};
  if (row.critical_u) return FlutterSpeed{FlutterSpeedKind::sweep, *row.critical_u};
  return std::nullopt;
}

const char* speed_kind_name(FlutterSpeedKind kind) {
  switch (kind) {
    case FlutterSpeedKind::matched:
      return "matched";
    case FlutterSpeedKind::pk:
      return "pk";
    case FlutterSpeedKind::sweep:
      return "sweep";
  }
  return "";
}

std::vector<std::string> table_columns(const PlannedStudy& study) {
  const std::vector<std::string>& fields = study.fields;
  const ResultRow none;
  std::vector<std::string> columns{"case"};
  columns.insert(columns.end(), fields.begin(), fields.end());
  columns.emplace_back("status");
  for (const auto& [name, value] : numbers(none)) columns.emplace_back(name);
  columns.emplace_back("matched_converged");
  for (const auto& [name, value] : matched_numbers(none)) columns.emplace_back(name);
  for (const auto& [name, value] : pk_numbers(none)) columns.emplace_back(name);
  columns.emplace_back("plotted");
  for (const auto& [name, value] : altitude_numbers(study, none)) columns.emplace_back(name);
  return columns;
}

ResultRow read_case_results(const PlannedCase& planned, const fs::path& case_dir) {
  ResultRow row;
  row.planned = planned;
  if (const auto record = read_case_record(case_dir)) row.status = record->status();
  std::ifstream in(case_dir / driver::kFlutterJsonFile);
  if (!in) return row;
  const std::optional<driver::FlutterJsonSummary> results = driver::read_flutter_json_summary(in);
  if (!results) return row;
  row.has_results = true;
  row.critical_q = results->critical.q;
  row.critical_u = results->critical.u;
  row.critical_f = results->critical.f;
  row.critical_k = results->critical.k;
  row.divergence_q = results->divergence_q;
  row.divergence_u = results->divergence_u;
  row.matched_converged = results->matched_converged;
  row.matched_q = results->matched.q;
  row.matched_u = results->matched.u;
  row.matched_f = results->matched.f;
  row.matched_k = results->matched.k;
  row.matched_Ma = results->matched_Ma;
  row.pk_q = results->pk.q;
  row.pk_u = results->pk.u;
  row.pk_f = results->pk.f;
  row.pk_k = results->pk.k;
  return row;
}

std::string table_csv(const PlannedStudy& study, const std::vector<ResultRow>& rows) {
  std::string csv;
  const auto columns = table_columns(study);
  for (std::size_t i = 0; i < columns.size(); ++i) csv += (i > 0 ? "," : "") + csv_text(columns[i]);
  csv += '\n';
  for (const ResultRow& row : rows) {
    csv += std::to_string(row.planned.id);
    for (const FieldValue& value : row.planned.values) csv += ',' + csv_text(value_text(value));
    csv += ',' + (row.status ? std::to_string(*row.status) : std::string());
    for (const auto& [name, value] : numbers(row)) csv += ',' + number_text(value);
    csv += ',' + (row.matched_converged ? std::string(*row.matched_converged ? "true" : "false") : std::string());
    for (const auto& [name, value] : matched_numbers(row)) csv += ',' + number_text(value);
    for (const auto& [name, value] : pk_numbers(row)) csv += ',' + number_text(value);
    const auto plotted = plotted_speed(row);
    csv += ',' + (plotted ? std::string(speed_kind_name(plotted->kind)) : std::string());
    for (const auto& [name, value] : altitude_numbers(study, row)) csv += ',' + number_text(value);
    csv += '\n';
  }
  return csv;
}

std::string table_json(const PlannedStudy& study, const std::vector<ResultRow>& rows) {
  const std::vector<std::string>& fields = study.fields;
  ordered_json table = ordered_json::array();
  for (const ResultRow& row : rows) {
    ordered_json object;
    object["case"] = row.planned.id;
    for (std::size_t p = 0; p < fields.size(); ++p) {
      const FieldValue& value = row.planned.values[p];
      if (const auto* text = std::get_if<std::string>(&value)) {
        object[fields[p]] = *text;
      } else {
        object[fields[p]] = std::get<double>(value);
      }
    }
    object["status"] = row.status ? ordered_json(*row.status) : ordered_json();
    for (const auto& [name, value] : numbers(row)) object[name] = number_json(value);
    object["matched_converged"] = row.matched_converged ? ordered_json(*row.matched_converged) : ordered_json();
    for (const auto& [name, value] : matched_numbers(row)) object[name] = number_json(value);
    for (const auto& [name, value] : pk_numbers(row)) object[name] = number_json(value);
    const auto plotted = plotted_speed(row);
    object["plotted"] = plotted ? ordered_json(speed_kind_name(plotted->kind)) : ordered_json();
    for (const auto& [name, value] : altitude_numbers(study, row)) object[name] = number_json(value);
    table.push_back(std::move(object));
  }
  return table.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string figure_script(const PlannedStudy& study, const std::vector<ResultRow>& rows) {
  if (study.fields.empty()) return {};
  // Curves keyed by the values of the parameters after the first (grid),
  // in the order they first appear; a zip study is one curve.
  struct FlutterPoint {
    double x;
    FlutterSpeed speed;
  };
  struct Curve {
    std::string label;
    std::vector<FlutterPoint> flutter;
    std::vector<std::pair<double, double>> divergence;
    std::vector<std::pair<double, double>> equivalent;  // the matched equivalent airspeed (over altitude)
  };
  // Over altitude the figure is the flutter boundary: the altitude on the
  // vertical axis, the speeds on the horizontal one.
  const bool boundary = study.fields.front() == kAltitudeParameter;
  const std::string axes = boundary ? "2:1" : "1:2";
  std::vector<Curve> curves;
  std::map<std::string, std::size_t> by_label;
  for (const ResultRow& row : rows) {
    const auto* x = std::get_if<double>(&row.planned.values.front());
    if (x == nullptr) return {};
    std::string label;
    if (study.mode == "grid") {
      for (std::size_t p = 1; p < study.fields.size(); ++p) {
        label += (label.empty() ? "" : ", ") + study.fields[p] + " = " + value_text(row.planned.values[p]);
      }
    }
    auto [it, added] = by_label.emplace(label, curves.size());
    if (added) curves.push_back({label, {}, {}, {}});
    Curve& curve = curves[it->second];
    if (const auto speed = plotted_speed(row)) curve.flutter.push_back({*x, *speed});
    if (row.divergence_u) curve.divergence.emplace_back(*x, *row.divergence_u);
    if (boundary && row.matched_converged.value_or(false) && row.matched_eas) {
      curve.equivalent.emplace_back(*x, *row.matched_eas);
    }
  }
  std::string data;
  std::vector<std::string> plots;
  std::array<bool, kKindStyles.size()> kind_used{};
  int block = 0;
  int colour = 0;
  // A curve of (x, speed) pairs as a line with points.
  const auto add_pairs = [&](std::vector<std::pair<double, double>>& points, int line_colour, const char* style,
                             const std::string& title) {
    if (points.empty()) return;
    std::sort(points.begin(), points.end());
    const std::string name = "$curve" + std::to_string(++block);
    data += name + " << EOD\n";
    for (const auto& [x, y] : points) data += value_text(FieldValue{x}) + " " + value_text(FieldValue{y}) + "\n";
    data += "EOD\n";
    std::string plot = name;
    plot += " using " + axes + " with linespoints linecolor " + std::to_string(line_colour) + style;
    plot += gnuplot_text(title);
    plots.push_back(std::move(plot));
  };
  for (Curve& curve : curves) {
    ++colour;
    const std::string suffix = curve.label.empty() ? std::string() : " (" + curve.label + ")";
    if (!curve.flutter.empty()) {
      // One line through the flutter speeds, then each kind's points on it.
      std::sort(curve.flutter.begin(), curve.flutter.end(), [](const FlutterPoint& a, const FlutterPoint& b) {
        return a.x != b.x ? a.x < b.x : a.speed.u < b.speed.u;
      });
      const std::string name = "$curve" + std::to_string(++block);
      data += name + " << EOD\n";
      for (const FlutterPoint& p : curve.flutter) {
        data += value_text(FieldValue{p.x}) + " " + value_text(FieldValue{p.speed.u}) + " " +
                speed_kind_name(p.speed.kind) + "\n";
      }
      data += "EOD\n";
      std::string line = name;
      line += " using " + axes + " with lines linecolor " + std::to_string(colour) + " dashtype 1 title ";
      line += gnuplot_text("flutter" + suffix);
      plots.push_back(std::move(line));
      for (std::size_t k = 0; k < kKindStyles.size(); ++k) {
        const KindStyle& style = kKindStyles[k];
        const bool present = std::any_of(curve.flutter.begin(), curve.flutter.end(),
                                         [&](const FlutterPoint& p) { return p.speed.kind == style.kind; });
        if (!present) continue;
        kind_used[k] = true;
        const std::string picked = std::string("(strcol(3) eq '") + speed_kind_name(style.kind) + "' ? $2 : NaN)";
        std::string points = name;
        points += " using " + (boundary ? picked + ":1" : "1:" + picked);
        points += " with points linecolor " + std::to_string(colour) + " pointtype " + std::to_string(style.pointtype);
        points += " notitle";
        plots.push_back(std::move(points));
      }
    }
    add_pairs(curve.divergence, colour, " dashtype 2 pointtype 6 title ", "divergence" + suffix);
    add_pairs(curve.equivalent, colour, " dashtype 3 pointtype 4 title ", "flutter, equivalent airspeed" + suffix);
  }
  if (boundary && study.envelope) {
    std::vector<std::pair<double, double>> line;
    for (std::size_t i = 0; i < study.envelope->altitude.size(); ++i) {
      line.emplace_back(study.envelope->altitude[i], study.envelope->speed[i]);
    }
    add_pairs(line, -1, " dashtype 1 linewidth 2 pointtype 1 title ",
              study.envelope->equivalent ? "envelope (equivalent airspeed)" : "envelope (true airspeed)");
  }
  if (plots.empty()) return {};
  // The key's lines for the point styles, in black (NaN draws nothing).
  for (std::size_t k = 0; k < kKindStyles.size(); ++k) {
    if (!kind_used[k]) continue;
    plots.push_back("NaN with points linecolor 'black' pointtype " + std::to_string(kKindStyles[k].pointtype) +
                    " title " + gnuplot_text(kKindStyles[k].title));
  }
  std::string script =
      "# Flutter and divergence speeds of the study, written by zelvan-study collect.\n"
      "# The flutter speed is the matched point's where it converged, else the p-k critical point's,\n"
      "# else the sweep's critical crossing's (frozen k); the third data column and the point style say which.\n"
      "if (!exists(\"outfile\")) outfile = 'study.png'\n"
      "set terminal pngcairo size 1000,650 noenhanced\n"
      "set output outfile\n"
      "set grid\n"
      "set key outside right top\n";
  script += boundary ? std::string(
                           "set xlabel 'speed [m/s]: true (u) and equivalent (u sqrt(rho/rho_0))'\n"
                           "set ylabel 'altitude [m] (geopotential)'\n")
                     : "set xlabel " + gnuplot_text(study.fields.front()) + "\nset ylabel 'speed u [m/s]'\n";
  script += data;
  script += "plot ";
  for (std::size_t i = 0; i < plots.size(); ++i) script += (i > 0 ? ", \\\n     " : "") + plots[i];
  script += "\n";
  return script;
}

CollectSummary collect_study(const fs::path& dir, std::ostream& log) {
  const PlannedStudy study = load_plan(dir);
  CollectSummary summary;
  std::vector<ResultRow> rows;
  for (const PlannedCase& c : study.cases) {
    rows.push_back(read_case_results(c, study.dir / c.folder));
    ResultRow& row = rows.back();
    if (const auto at = std::find(study.fields.begin(), study.fields.end(), kAltitudeParameter);
        at != study.fields.end()) {
      add_altitude_results(row, study, static_cast<std::size_t>(at - study.fields.begin()), study.dir / c.folder);
    }
    ++summary.cases;
    if (row.status && *row.status != 0) {
      summary.failed.push_back(c.id);
      const auto record = read_case_record(study.dir / c.folder);
      log << "case " << c.id << " (" << c.folder << ") failed with status " << *row.status << ": "
          << (record ? record->summary() : std::string()) << '\n';
    } else if (!row.status || !row.has_results) {
      summary.missing.push_back(c.id);
      log << "case " << c.id << " (" << c.folder << ") has no results"
          << (row.status ? " (zelvan_flutter.json is missing or unreadable)" : " (not run)") << '\n';
    } else {
      summary.complete.push_back(c.id);
    }
  }
  write_file_atomically(study.dir / "study.csv", table_csv(study, rows));
  write_file_atomically(study.dir / "study.json", table_json(study, rows));
  const std::string script = figure_script(study, rows);
  std::error_code ignored;
  if (script.empty()) {
    fs::remove(study.dir / "study.gp", ignored);
    const FieldSpec* first = study.fields.empty() ? nullptr : find_field(study.fields.front());
    summary.figure_note = first != nullptr && first->kind == FieldKind::text
                              ? msg::compose(msg::kTextFirstParameter, {first->name})
                              : std::string(msg::kNothingToPlot);
  } else {
    write_file_atomically(study.dir / "study.gp", script);
    summary.figure_note = draw_figure(study.dir);
  }
  if (!summary.figure_note.empty()) log << summary.figure_note << '\n';
  log << "collected " << summary.cases << " case(s): " << summary.complete.size() << " complete, "
      << summary.failed.size() << " failed, " << summary.missing.size() << " missing; wrote "
      << (study.dir / "study.csv").string() << '\n';
  return summary;
}

}  // namespace zelvan::study
