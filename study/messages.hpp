// Every message of zelvan-study.  A pattern's "{}" marks are replaced, in
// order, by the arguments of compose().
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelvan::study::msg {

// Replaces each "{}" of `pattern` by the next argument; surplus marks stay.
inline std::string compose(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '{' && i + 1 < pattern.size() && pattern[i + 1] == '}' && next != args.end()) {
      out += *next++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

// --- the study file ---
inline constexpr std::string_view kAtLine = "{}, line {}: {}";
inline constexpr std::string_view kTomlSyntax = "not a valid TOML file: {}";
inline constexpr std::string_view kCannotOpenStudy = "cannot read the study file \"{}\"";
inline constexpr std::string_view kUnknownKey = "unknown key \"{}\"";
inline constexpr std::string_view kMissingKey = "the key \"{}\" is missing";
inline constexpr std::string_view kNotAString = "\"{}\" must be a string";
inline constexpr std::string_view kBadOption = "option \"{}\" is not one of WIN, SGI, LNX";
inline constexpr std::string_view kBadMode = "mode \"{}\" is neither \"grid\" nor \"zip\"";
inline constexpr std::string_view kNoParameters = "the study has no [[parameter]]";
inline constexpr std::string_view kUnknownField =
    "unknown field \"{}\" (the fields are the names of the README's input tables)";
inline constexpr std::string_view kDuplicateField = "the field \"{}\" is already a parameter on line {}";
inline constexpr std::string_view kFieldSetTwice =
    "\"{}\" sets the field \"{}\", which the parameter \"{}\" on line {} sets already";
inline constexpr std::string_view kAltitudeRange =
    "the altitude {} m is outside the standard atmosphere's 0 to 20000 m (geopotential)";
inline constexpr std::string_view kEnvelopeWithoutAltitude =
    "an [envelope] needs the parameter \"altitude\" (its limit speeds are by altitude)";
inline constexpr std::string_view kEnvelopeNotATable = "\"envelope\" must be a table: [envelope]";
inline constexpr std::string_view kEnvelopeList = "envelope.{} must be a non-empty list of finite numbers";
inline constexpr std::string_view kEnvelopeLengths =
    "envelope.altitude has {} values and envelope.speed has {}; they must be of equal length";
inline constexpr std::string_view kEnvelopeAltitudes =
    "envelope.altitude must increase, within the standard atmosphere's 0 to 20000 m";
inline constexpr std::string_view kEnvelopeSpeeds = "envelope.speed must be above zero";
inline constexpr std::string_view kEnvelopeKind = "envelope.kind \"{}\" is neither \"true\" nor \"equivalent\"";
inline constexpr std::string_view kValuesAndRange = "a parameter has either \"values\" or \"range\", not both";
inline constexpr std::string_view kNoValues = "a parameter needs \"values\" or \"range\"";
inline constexpr std::string_view kEmptyValues = "\"values\" is empty";
inline constexpr std::string_view kNotANumber = "the field \"{}\" takes numbers, not {}";
inline constexpr std::string_view kNotText = "the field \"{}\" takes text in quotes, not {}";
inline constexpr std::string_view kRangeNotNumber = "range.{} must be a finite number";
inline constexpr std::string_view kRangeCount = "range.count must be an integer of at least 1, not {}";
inline constexpr std::string_view kRangeSingle = "range.count = 1 needs start = stop";
inline constexpr std::string_view kRangeSpacing = "range.spacing \"{}\" is neither \"linear\" nor \"log\"";
inline constexpr std::string_view kRangeLog = "a \"log\" range needs start and stop above zero";
inline constexpr std::string_view kRangeText = "the field \"{}\" takes text; a range cannot give it";
inline constexpr std::string_view kZipLengths =
    "mode \"zip\" needs lists of equal length, but \"{}\" has {} values and \"{}\" has {}";
inline constexpr std::string_view kNoBaseFile = "the base input file \"{}\" does not exist";
inline constexpr std::string_view kBadBaseFile = "the base input file cannot be read by zelvan: {}";

// --- values in fields ---
inline constexpr std::string_view kNotInteger = "the field \"{}\" is an integer (I{}), {} is not";
inline constexpr std::string_view kIntegerTooWide = "{} does not fit the {} columns of \"{}\"";
inline constexpr std::string_view kRealTooWide =
    "{} does not fit the {} columns of \"{}\" (nearest that fits: {}, relative difference {})";
inline constexpr std::string_view kNotFinite = "the field \"{}\" needs a finite number";
inline constexpr std::string_view kTextTooLong = "the text \"{}\" is longer than the {} columns of \"{}\"";
inline constexpr std::string_view kTextControl = "the text for \"{}\" holds a control character";
inline constexpr std::string_view kNoAeroRecord =
    "the base file has no aerodynamic record (its line 22 is not a '.' or 'i' marker), so \"{}\" cannot be set";
inline constexpr std::string_view kNoCoefficients =
    "the base file has no coefficient records (its first marker is not '.'), so \"{}\" cannot be set";
inline constexpr std::string_view kMarkerInTheWay =
    "\"{}\" needs the {}, but line {} of the base file stands where its '.' marker belongs; "
    "put the block into the base file";
inline constexpr std::string_view kGroupFieldsUnset =
    "\"{}\" needs the {}, which the base file lacks; it is inserted with its required records blank, so the "
    "study must also set {} (or put the group into the base file)";

// --- planning ---
inline constexpr std::string_view kAltitudeNote = "standard atmosphere at {} m (geopotential)";
inline constexpr std::string_view kDirExists = "\"{}\" already exists; remove it or plan into another --dir";
inline constexpr std::string_view kCannotCreate = "cannot create \"{}\": {}";
inline constexpr std::string_view kCannotWrite = "cannot write \"{}\": {}";
inline constexpr std::string_view kCannotRead = "cannot read \"{}\"";
inline constexpr std::string_view kReadBack = "case {}: the written input file does not read back: {}";
inline constexpr std::string_view kReadBackValue = "case {}: \"{}\" reads back as {}, not {}";

// --- a planned study ---
inline constexpr std::string_view kNotAStudy = "\"{}\" is not a planned study (no plan.json or cases.tsv): {}";
inline constexpr std::string_view kBadPlan = "\"{}\" is damaged: {}";
inline constexpr std::string_view kNoProgram =
    "cannot find the zelvan program (tried --zelvan, $ZELVAN_EXE, \"{}\"); name it with --zelvan";
inline constexpr std::string_view kSpawnFailed = "cannot start \"{}\" in \"{}\": {}";
inline constexpr std::string_view kTaskOutOfRange = "task {} is outside the study's {} tasks of {} cases";

// --- slurm ---
inline constexpr std::string_view kSbatchFailed = "sbatch failed (exit status {}): {}";
inline constexpr std::string_view kSbatchMissing = "sbatch cannot be started: {}";
inline constexpr std::string_view kArrayTooLarge =
    "note: the job array has {} tasks; Slurm's default MaxArraySize is 1001, so use --chunk if sbatch refuses it";

// --- collect ---
inline constexpr std::string_view kNoGnuplot = "gnuplot is not available ({}); study.gp is written, study.png is not";
inline constexpr std::string_view kGnuplotFailed =
    "gnuplot failed on study.gp (exit status {}); study.png is not written";
inline constexpr std::string_view kNothingToPlot =
    "no flutter or divergence speed to plot; study.gp and study.png are not written";
inline constexpr std::string_view kTextFirstParameter =
    "the first parameter \"{}\" is text; study.gp and study.png are not written";

// The one error type of zelvan-study: the message is complete and names the
// file and line where one is involved.  main prints it and ends with status 2.
class StudyError : public std::runtime_error {
 public:
  explicit StudyError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace zelvan::study::msg
