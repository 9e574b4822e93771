// The one way a run of the program ends early.
//
// Every place that ends the run (a stop line of the driver, a fatal or
// terminal error of the numerical library, an input error of the record
// reader) throws RunStop.  It lives in the core library so that the
// numerical library can stop a run without the record layouts; the rest
// of the program names it textio::RunStop.  Only main catches it: it
// writes the exception's console text, if any, and returns the exit
// status.  Nothing below main calls exit() or abort(), so tests can
// observe every stop.
#pragma once

#include <exception>
#include <string>

namespace zelvan::core {

// Why the run stopped; the value is the process exit status.
enum class StopReason : int {
  normal_end = 0,       // nothing left to do (the usage text, the version)
  limit_violation = 1,  // a driver limit (message and stop line)
  input_error = 2,      // the input file cannot be read or holds bad data
  library_error = 3,    // a fatal or terminal error of the numerical library
  output_error = 4,     // an output file cannot be written
  folder_in_use = 5,    // another run is writing into the folder
};

class RunStop : public std::exception {
 public:
  // reason: decides the exit status.  console_text: complete lines (each
  // ending in '\n') that main writes to the console before ending the
  // run; empty when the stopping code has printed its message itself.
  RunStop(StopReason reason, std::string console_text);

  StopReason reason() const noexcept { return reason_; }
  int exit_status() const noexcept { return static_cast<int>(reason_); }
  const std::string& console_text() const noexcept { return console_text_; }
  const char* what() const noexcept override { return console_text_.c_str(); }

 private:
  StopReason reason_;
  std::string console_text_;
};

}  // namespace zelvan::core
