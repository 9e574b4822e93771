// Collecting the results of a study: the table study.csv / study.json and
// the figure study.gp / study.png.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "study/plan.hpp"

namespace zelvan::study {

// One case's line of the table; an empty optional is a value that does not
// exist (empty in the CSV, null in the JSON).
struct ResultRow {
  PlannedCase planned;
  std::optional<int> status;  // exit status, 128 + signal; empty when not run
  std::optional<double> critical_q, critical_u, critical_f, critical_k;
  std::optional<double> divergence_q;
  std::optional<bool> matched_converged;
  std::optional<double> matched_q, matched_u, matched_f, matched_k, matched_Ma;
  std::optional<double> pk_q, pk_u, pk_f, pk_k;  // the p-k analysis's critical point
  std::optional<double> divergence_u;            // for the figure only
  // Of a study over altitude (collect_study sets them): the case's air as
  // its input holds it, and the matched point's equivalent airspeed
  // u sqrt(rho/rho_0).
  std::optional<double> rho, sound_speed, matched_eas;
  // With an envelope: (flutter - limit)/limit in per cent at the case's
  // altitude, the converged matched speed in the envelope's kind.
  std::optional<double> envelope_margin;
  bool has_results = false;  // zelvan_flutter.json was read
};

// The flutter speed the figure takes for a case, and which point it is.
enum class FlutterSpeedKind { matched, pk, sweep };
struct FlutterSpeed {
  FlutterSpeedKind kind;
  double u;
};

// The converged matched point's speed, else the p-k critical point's, else
// the sweep's critical crossing's (frozen k); nothing when the case has
// none of them.
std::optional<FlutterSpeed> plotted_speed(const ResultRow& row);

// The kind's name in the tables' `plotted` column: "matched", "pk", "sweep".
const char* speed_kind_name(FlutterSpeedKind kind);

// The table's columns, in order, for the parameters of `study`; a study over
// altitude (kAltitudeParameter among them) adds rho, sound_speed and
// matched_eas at the end, and with an envelope envelope_margin.
std::vector<std::string> table_columns(const PlannedStudy& study);

// Reads a case's run.json and zelvan_flutter.json from `case_dir`.
ResultRow read_case_results(const PlannedCase& planned, const std::filesystem::path& case_dir);

// The rows' table as CSV (a header line, then one line per case) and as
// JSON (an array of objects, keys in column order).
std::string table_csv(const PlannedStudy& study, const std::vector<ResultRow>& rows);
std::string table_json(const PlannedStudy& study, const std::vector<ResultRow>& rows);

// The gnuplot script of the figure: the flutter speed (plotted_speed, a
// point style for each kind, named in the key) and the divergence speed
// against the first parameter, one curve per value of the others (grid),
// one curve (zip).  Data are inline; the output file is the variable
// `outfile` (default study.png).  Empty when there is nothing to plot.
std::string figure_script(const PlannedStudy& study, const std::vector<ResultRow>& rows);

struct CollectSummary {
  int cases = 0;
  std::vector<int> complete, failed, missing;  // case ids
  std::string figure_note;                     // why study.png is not written, or empty
};

// Reads every case of the study in `dir` and writes study.csv, study.json,
// study.gp and (with gnuplot) study.png into it; reports cases failed and
// missing on `log`.
CollectSummary collect_study(const std::filesystem::path& dir, std::ostream& log);

}  // namespace zelvan::study
