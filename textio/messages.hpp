// Every message text of the record-formatting module.  "{1}", "{2}", ...
// are replaced by compose().
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zelvan::textio::msg {

inline constexpr std::string_view kInputErrorPrefix = "!!! Input error: ";
inline constexpr std::string_view kInputStopLine = "*** ZELVAN terminated due to an input error";

inline constexpr std::string_view kCannotOpen = "cannot open the input file \"{1}\": {2}.";
inline constexpr std::string_view kIsDirectory = "\"{1}\" is a directory, not an input file.";
inline constexpr std::string_view kCannotRead = "the file \"{1}\" cannot be read after line {2}.";
inline constexpr std::string_view kEndOfFile = "the file \"{1}\" ends after line {2}, but {3} is still to be read.";
inline constexpr std::string_view kLineTooLong = "file \"{1}\", line {2} is longer than {3} characters.";
inline constexpr std::string_view kControlCharacter =
    "file \"{1}\", line {2}, column {3} holds the control character {4}; this is not a text file.";
inline constexpr std::string_view kCrOnlyLineEnds =
    "file \"{1}\", line {2}: lines end in CR only; convert the file to LF or CR LF line ends.";
inline constexpr std::string_view kControlCharacterInField =
    "file \"{1}\", line {2}, columns {3}-{4} ({5}): {6} at column {7}; write blanks instead.";
inline constexpr std::string_view kTabCharacter = "a tab character";
inline constexpr std::string_view kNamedControlCharacter = "the control character {1}";
inline constexpr std::string_view kNotAReal =
    "file \"{1}\", line {2}, columns {3}-{4} ({5}): \"{6}\" is not a valid real number.";
inline constexpr std::string_view kRealOutOfRange =
    "file \"{1}\", line {2}, columns {3}-{4} ({5}): \"{6}\" is beyond the range of double "
    "precision numbers.";
inline constexpr std::string_view kNotAnInteger =
    "file \"{1}\", line {2}, columns {3}-{4} ({5}): \"{6}\" is not a valid integer.";
inline constexpr std::string_view kIntegerOutOfRange =
    "file \"{1}\", line {2}, columns {3}-{4} ({5}): \"{6}\" is beyond the integer range "
    "-2147483648 to 2147483647.";
inline constexpr std::string_view kInternalSourceName = "internal text";

// A number that goes on past its field: read, and reported; the run goes on.
inline constexpr std::string_view kInputWarningPrefix = "!!! Input warning: ";
inline constexpr std::string_view kNumberGoesOn =
    "file \"{1}\", line {2}, columns {3}-{4} ({5}): \"{6}\" is read, but the number goes on in column {7} "
    "(\"{8}\"), which is not read.";

inline constexpr std::string_view kOutputErrorPrefix = "!!! Output error: ";
inline constexpr std::string_view kOutputStopLine = "*** ZELVAN terminated due to an output error";
inline constexpr std::string_view kCannotCreate = "cannot create the file \"{1}\": {2}.";
// A second run in a folder that a run is writing into.
inline constexpr std::string_view kFolderInUse =
    "!!! The folder \"{1}\" is in use by another run of ZELVAN ({2}).\n"
    "    One run at a time writes its results into a folder: wait until it has ended, or\n"
    "    run this case in another folder.";
inline constexpr std::string_view kHolderProcess = "process {1}";
inline constexpr std::string_view kHolderUnknown = "its process id is not known";
inline constexpr std::string_view kFolderInUseStopLine = "*** ZELVAN terminated: the folder is in use by another run";
// The file report of a stopped run.
inline constexpr std::string_view kNothingReplaced =
    "*** No result file was replaced: the folder holds what it held before this run.";
inline constexpr std::string_view kFilesPlaced = "*** Result files this run put in place before the stop:";
inline constexpr std::string_view kFilesComputed = "*** Results this run had computed, not put in place:";
inline constexpr std::string_view kCannotWrite = "the file \"{1}\" could not be written completely: {2}.";

// Replaces {1}, {2}, ... in `pattern` by the arguments in order.
inline std::string compose(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' && pattern[i + 1] >= '1' &&
        pattern[i + 1] <= '9') {
      const std::size_t n = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (n < args.size()) out += *(args.begin() + n);
      i += 2;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace zelvan::textio::msg
