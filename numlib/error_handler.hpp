// The numerical library's error handler.
//
// Every library routine brackets its work with E1PSH(name) / E1POP(name);
// an argument check or a numerical failure stores its parameters (E1STI,
// E1STD, E1STL) and records an error with E1MES(type, code, message).  The
// error type decides whether and when the message is printed to the
// message sink (core/message_sink.hpp) and whether the run stops:
//
//   type  name      printed  stops  when printed
//   1     NOTE      no       no     when the user-called routine returns
//   2     ALERT     no       no     when the user-called routine returns
//   3     WARNING   yes      no     when the user-called routine returns
//   4     FATAL     yes      yes    when the user-called routine returns
//   5     TERMINAL  yes      yes    at once, inside E1MES
//   6     WARNING   yes      no     at once, inside E1MES
//   7     FATAL     yes      yes    at once, inside E1MES
//
// A stop throws core::RunStop(library_error) carrying the stop text (none
// unless the calling program sets one).  The calling program may open
// notes of what it is computing (ErrorNote), written before the message of
// an error that stops the run.  The state is process-wide;
// reset_error_handler() restores the initial state.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zelvan::numlib {

// The error types of the table above (E1MES also takes the plain numbers).
enum class ErrorType : int {
  keep = -1,  // E1MES: keep the current type
  none = 0,   // E1MES: clear the pending message
  note = 1,
  alert = 2,
  warning = 3,
  fatal = 4,
  terminal = 5,
  immediate_warning = 6,
  immediate_fatal = 7,
};

// The number of error type `type`, as N1RTY returns it.
constexpr int type_number(ErrorType type) { return static_cast<int>(type); }

// Deepest routine level; level 1 is the calling program ("USER").
inline constexpr int kMaxErrorLevel = 50;

// Enters routine `name` (at most 32 characters): raises the level and
// records the name with type and code 0.  A push beyond level 50 is a
// terminal error of the handler.
void E1PSH(std::string_view name);

// Leaves routine `name`: passes the level's error type and code to the
// caller (types 2 to 7), prints and stops as the type says, lowers the
// level.  A pop from an empty stack or under another name is a terminal
// error of the handler.
void E1POP(std::string_view name);

// Store parameter `id` (1 to 9; other ids are ignored) of the next
// message: an integer (tag I), a double (tag D, written as 1PD24.15 without
// leading blanks, zero as D24.15) or a literal (tag L, at most 255
// characters).
void E1STI(int id, int ivalue);
void E1STD(int id, double dvalue);
void E1STL(int id, std::string_view string);

// Records error type `iertyp` (-1 keeps the current one) and code `iercod`
// (below 0 keeps the current one) at the current level.  Type 0 or code 0
// clears the pending message; a message of one blank keeps the pending
// text; otherwise `message` with its %(Xn) placeholders replaced (tag letter in
// either case) becomes the pending message.  Types 5 to 7 print at once.
// A type outside -1..7 is printed at once under the name "UNKNOWN" and
// stops the run.
void E1MES(int iertyp, int iercod, std::string_view message);
inline void E1MES(ErrorType type, int iercod, std::string_view message) { E1MES(type_number(type), iercod, message); }

// Prints the pending message (nothing when none is pending) and clears it
// and the stored parameters.
void E1PRT();

// Error type / code of level current + iopt, iopt being 0 (the calling
// routine) or 1 (the routine it called last).  Any other iopt is a
// terminal error.
int N1RTY(int iopt);
int N1RCD(int iopt);

// The pending message text after substitution (empty when none); for tests.
const std::string& pending_error_message();

// The current routine level (1 when no library routine is active).
int error_level();

// Restores the handler to its initial state: stack at level 1, no pending
// message, default print, stop and traceback switches, default units, no
// stop text; open notes are forgotten.
void reset_error_handler();

// A note of what the calling program is computing, for the message of an
// error that stops the run.  While the note is open, the first message of
// an error whose type stops the run (fatal and terminal errors, with the
// default switches) is preceded by the lines `describe` returns (complete
// lines, each ending in '\n'); warnings are printed without it.  Each note
// is written at most once, the open notes outermost first.  `describe` is
// called only when the note is written, so a computation without such an
// error costs no text and prints nothing.  Notes are local objects: they
// nest by their lifetimes, and the innermost open one is part of the
// handler's state.
class ErrorNote {
 public:
  explicit ErrorNote(std::function<std::string()> describe);
  ~ErrorNote();
  ErrorNote(const ErrorNote&) = delete;
  ErrorNote& operator=(const ErrorNote&) = delete;

 private:
  friend void write_error_notes();

  std::function<std::string()> describe_;
  ErrorNote* outer_;
  bool written_ = false;
};

// Writes the open notes that have not been written yet to the message sink,
// outermost first.  Called before the message of an error that stops the
// run (by E1PRT, and by the fixed forms of UMACH and IMACH).
void write_error_notes();

// Sets the text that every stop of the library carries as its console text
// (core::RunStop): the calling program's stop line, for instance, as
// complete lines each ending in '\n'.  Empty (the initial state): none.
void set_stop_text(std::string text);

// Ends the run for an error of the library whose message has been printed:
// flushes the message sink and throws core::RunStop(library_error) with the
// stop text.
[[noreturn]] void stop_library_run();

}  // namespace zelvan::numlib
