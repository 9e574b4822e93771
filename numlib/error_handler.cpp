#include "numlib/error_handler.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "core/core.hpp"
#include "numlib/detail/messages.hpp"
#include "numlib/library_state.hpp"

namespace zelvan::numlib {
namespace {

constexpr int kTypes = 7;
constexpr std::size_t kMaxMessage = 1024;
constexpr std::size_t kMaxParameters = 300;
constexpr std::size_t kMaxLiteral = 255;
constexpr std::size_t kMaxName = 32;
constexpr std::size_t kFirstRoom = 59;
constexpr std::size_t kContinuationRoom = 64;

struct Parameter {
  char tag = 0;
  int id = 0;
  std::string text;
};

}  // namespace

// The error handler's part of the library state.
struct HandlerState {
  int level = 1;
  std::array<std::string, kMaxErrorLevel + 2> names{};
  std::array<int, kMaxErrorLevel + 2> types{};
  std::array<int, kMaxErrorLevel + 2> codes{};
  // Per type 1..7 (index 0 unused).
  std::array<bool, kTypes + 1> print{false, false, false, true, true, true, true, true};
  std::array<bool, kTypes + 1> stop{false, false, false, false, true, true, false, true};
  std::array<int, kTypes + 1> style{1, 1, 1, 1, 1, 1, 1, 1};
  std::array<bool, kTypes + 1> traceback{true, true, true, true, true, true, true, true};
  std::string pending;
  std::vector<Parameter> parameters;
  std::size_t parameter_fill = 0;
  bool pending6 = false;
  bool pending7 = false;
  ErrorNote* innermost_note = nullptr;
  std::string stop_text;

  HandlerState() { names[1] = "USER"; }
};

void LibraryPartDeleter::operator()(HandlerState* part) const noexcept { delete part; }

namespace {

HandlerState& state() {
  LibraryPart<HandlerState>& part = library_state().error_handler;
  if (!part) part.reset(new HandlerState);
  return *part;
}

bool user_called(int level) { return level == 2; }

std::string type_name(int type) {
  static constexpr std::array kNames = {"UNKNOWN ", "NOTE    ", "ALERT   ", "WARNING ",
                                        "FATAL   ", "TERMINAL", "WARNING ", "FATAL   "};
  static_assert(kNames.size() == kTypes + 1);
  return (type >= 1 && type <= kTypes) ? kNames[static_cast<std::size_t>(type)] : kNames[0];
}

void print_line(const std::string& line) { core::message_sink().write(line); }

// Whether an error of type `type` stops the run (an undefined type does).
bool stops_the_run(int type) { return type < 1 || type > kTypes || state().stop[static_cast<std::size_t>(type)]; }

void store_parameter(char tag, int id, std::string text) {
  if (id < 1 || id > 9) return;
  HandlerState& s = state();
  for (Parameter& p : s.parameters) {
    if (p.tag == tag && p.id == id) {
      s.parameter_fill -= p.text.size();
      p.text = std::move(text);
      s.parameter_fill += p.text.size();
      return;
    }
  }
  // The list holds at most 300 characters; a value that does not fit is
  // dropped and its placeholder stays as written.
  if (s.parameter_fill + text.size() > kMaxParameters) return;
  s.parameter_fill += text.size();
  s.parameters.push_back({tag, id, std::move(text)});
}

void clear_parameters() {
  state().parameters.clear();
  state().parameter_fill = 0;
}

// Replaces %(Xn) by the stored parameter with tag X and number n.
std::string substitute(std::string_view message) {
  static constexpr std::string_view kTags = "ACDIKLRSZ";
  std::string out;
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '%' && i + 4 < message.size() && message[i + 1] == '(' && message[i + 4] == ')') {
      const char tag = static_cast<char>(std::toupper(static_cast<unsigned char>(message[i + 2])));
      const char digit = message[i + 3];
      if (kTags.find(tag) != std::string_view::npos && digit >= '1' && digit <= '9') {
        const Parameter* found = nullptr;
        for (const Parameter& p : state().parameters) {
          if (p.tag == tag && p.id == digit - '0') found = &p;
        }
        if (found != nullptr) {
          out += found->text;
          i += 4;
          continue;
        }
      }
    }
    out += message[i];
  }
  if (out.size() > kMaxMessage) out.resize(kMaxMessage);
  return out;
}

// The next segment of `rest` for a line with room for `room` characters;
// `rest` is advanced past it.
std::string next_segment(std::string& rest, std::size_t room) {
  const std::size_t mark = rest.find("%/");
  if (mark != std::string::npos && mark < room) {
    std::string segment = rest.substr(0, mark);
    rest.erase(0, mark + 2);
    return segment;
  }
  if (rest.size() <= room) {
    std::string segment = std::move(rest);
    rest.clear();
    return segment;
  }
  std::size_t cut = rest.rfind(' ', room - 1);
  if (cut == std::string::npos || cut == 0) cut = room;
  std::string segment = rest.substr(0, cut);
  rest.erase(0, cut);
  return segment;
}

// One row of the traceback: 5 blanks, the name in 32 columns, the type
// and the code each in I6 with 6 blanks between, and the suffix.
std::string traceback_row(const std::string& name, int type, int code, std::string_view suffix) {
  constexpr std::size_t kIndent = 5;
  constexpr std::size_t kGap = 6;
  constexpr int kNumberWidth = 6;
  std::string row(kIndent, ' ');
  row += name;
  row += core::format_integer(type, kNumberWidth, 1);
  row.append(kGap, ' ');
  row += core::format_integer(code, kNumberWidth, 1);
  row += suffix;
  return row;
}

void print_traceback() {
  const HandlerState& s = state();
  print_line(std::string(msg::kTracebackTitle));
  print_line(std::string(msg::kTracebackHead));
  print_line(std::string(msg::kTracebackRule));
  for (int level = s.level; level >= 1; --level) {
    std::string name = s.names[static_cast<std::size_t>(level)];
    name.resize(kMaxName, ' ');
    const std::string_view suffix = (level > 1 && !user_called(level)) ? msg::kCalledInternally : "";
    print_line(traceback_row(name, s.types[static_cast<std::size_t>(level)], s.codes[static_cast<std::size_t>(level)],
                             suffix));
  }
}

}  // namespace

void E1PRT() {
  HandlerState& s = state();
  if (s.pending.empty()) return;
  const auto level = static_cast<std::size_t>(s.level);
  const int type = s.types[level];
  const int code = s.codes[level];
  const std::string& full_name = s.names[level];
  const std::string name = full_name.substr(0, full_name.find(' '));

  const bool add_dots = s.pending.rfind(".  ", 0) != 0;
  std::string header = " " + std::to_string(code) + " from " + name + (add_dots ? ".  " : "");
  std::string rest = s.pending;
  std::size_t room = kFirstRoom > header.size() ? kFirstRoom - header.size() : 0;
  if (add_dots) room = room > 3 ? room - 3 : 0;
  if (room == 0) room = 1;

  if (stops_the_run(type)) write_error_notes();
  print_line("");
  print_line(" *** " + type_name(type) + " ERROR" + header + next_segment(rest, room));
  while (!rest.empty()) {
    if (rest.front() == ' ') rest.erase(0, 1);
    if (rest.empty()) break;
    print_line(" ***          " + next_segment(rest, kContinuationRoom));
  }
  const int t = (type >= 1 && type <= kTypes) ? type : 5;
  if (s.traceback[static_cast<std::size_t>(t)] && (s.level > 2 || s.style[static_cast<std::size_t>(t)] > 1)) {
    print_traceback();
  }
  s.pending.clear();
  clear_parameters();
}

void E1PSH(std::string_view name) {
  HandlerState& s = state();
  if (s.level >= kMaxErrorLevel) {
    E1STI(1, kMaxErrorLevel);
    E1MES(ErrorType::terminal, 1, msg::kPushOverflow);
    stop_library_run();
  }
  ++s.level;
  const auto level = static_cast<std::size_t>(s.level);
  s.names[level] = std::string(name.substr(0, kMaxName));
  s.types[level] = 0;
  s.codes[level] = 0;
}

void E1POP(std::string_view name) {
  HandlerState& s = state();
  if (s.level < 2) {
    E1PSH("E1POP");
    E1STL(1, name);
    E1MES(ErrorType::terminal, 1, msg::kPopEmpty);
    E1POP("E1POP");
    return;
  }
  if (name.substr(0, kMaxName) != s.names[static_cast<std::size_t>(s.level)]) {
    E1STL(1, name);
    E1STL(2, s.names[static_cast<std::size_t>(s.level)]);
    E1MES(ErrorType::terminal, 2, msg::kPopMismatch);
  }
  const auto level = static_cast<std::size_t>(s.level);
  const int type = s.types[level];
  if (type != 0) {
    if (type >= 2 && type <= kTypes) {
      s.types[level - 1] = type;
      s.codes[level - 1] = s.codes[level];
    }
    const auto t = static_cast<std::size_t>(type);
    if (type >= 1 && type <= 4) {
      if (user_called(s.level) && s.print[t]) E1PRT();
      if (user_called(s.level) && s.stop[t]) stop_library_run();
    } else if (type == 5) {
      if (s.print[t] && !s.pending.empty()) E1PRT();
      if (s.stop[t]) stop_library_run();
    } else if (type == 6 || type == 7) {
      if (s.print[t] && !s.pending.empty()) E1PRT();
      if (user_called(s.level) && s.style[t] == 1) {
        const bool stop = (s.pending6 && s.stop[6]) || (s.pending7 && s.stop[7]);
        s.pending6 = s.pending7 = false;
        if (stop) stop_library_run();
      }
    }
  }
  if (s.level < kMaxErrorLevel) {
    s.types[level + 1] = -1;
    s.codes[level + 1] = -1;
  }
  --s.level;
}

void E1STI(int id, int ivalue) { store_parameter('I', id, std::to_string(ivalue)); }

void E1STD(int id, double dvalue) {
  // The value in 1PD24.15 (zero in D24.15), without its leading blanks.
  constexpr int kWidth = 24;
  constexpr int kDigits = 15;
  std::string text = core::format_dexp(dvalue, kWidth, kDigits, dvalue == 0.0 ? 0 : 1);
  text.erase(0, text.find_first_not_of(' '));
  store_parameter('D', id, std::move(text));
}

void E1STL(int id, std::string_view string) { store_parameter('L', id, std::string(string.substr(0, kMaxLiteral))); }

void E1MES(int iertyp, int iercod, std::string_view message) {
  HandlerState& s = state();
  const auto level = static_cast<std::size_t>(s.level);
  if (iertyp != -1) s.types[level] = iertyp;
  if (iercod >= 0) s.codes[level] = iercod;
  if (iertyp == 0 || iercod == 0) {
    s.pending.clear();
    clear_parameters();
    return;
  }
  if (message != " ") s.pending = substitute(message);
  const int type = s.types[level];
  if (type == 6) s.pending6 = true;
  if (type == 7) s.pending7 = true;
  if (type < -1 || type > kTypes) {
    // An undefined type: reported at once and treated as terminal.
    E1PRT();
    stop_library_run();
  }
  if (type >= 5 && type <= 7 && s.print[static_cast<std::size_t>(type)]) E1PRT();
  clear_parameters();
}

namespace {
int level_value(int iopt, bool want_type, std::string_view routine, std::string_view message) {
  HandlerState& s = state();
  if (iopt != 0 && iopt != 1) {
    E1PSH(routine);
    E1MES(ErrorType::terminal, 1, message);
    E1POP(routine);
    return 0;
  }
  const std::size_t level = static_cast<std::size_t>(s.level) + static_cast<std::size_t>(iopt);
  return want_type ? s.types[level] : s.codes[level];
}
}  // namespace

int N1RTY(int iopt) { return level_value(iopt, true, "N1RTY", msg::kN1rtyArgument); }

int N1RCD(int iopt) { return level_value(iopt, false, "N1RCD", msg::kN1rcdArgument); }

const std::string& pending_error_message() { return state().pending; }

int error_level() { return state().level; }

void reset_error_handler() { library_state().error_handler.reset(); }

ErrorNote::ErrorNote(std::function<std::string()> describe)
    : describe_(std::move(describe)), outer_(state().innermost_note) {
  state().innermost_note = this;
}

ErrorNote::~ErrorNote() {
  // After a reset of the handler the note is no longer open.
  HandlerState& s = state();
  if (s.innermost_note == this) s.innermost_note = outer_;
}

void write_error_notes() {
  std::vector<ErrorNote*> open;
  for (ErrorNote* note = state().innermost_note; note != nullptr; note = note->outer_) open.push_back(note);
  std::reverse(open.begin(), open.end());  // outermost first
  for (ErrorNote* open_note : open) {
    ErrorNote& note = *open_note;
    if (note.written_) continue;
    note.written_ = true;
    const std::string text = note.describe_();
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      print_line(text.substr(start, end - start));
      start = end + 1;
    }
  }
}

void set_stop_text(std::string text) { state().stop_text = std::move(text); }

void stop_library_run() {
  core::message_sink().flush();
  throw core::RunStop(core::StopReason::library_error, state().stop_text);
}

}  // namespace zelvan::numlib
