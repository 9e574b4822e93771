// The console: the destination of every console line of the program.
//
// It is standard output unless a test redirects it.  Lines are ended with
// a single '\n'.
#pragma once

#include <iosfwd>

#include "core/message_sink.hpp"

namespace zelvan::textio {

// The stream the console lines go to (std::cout by default).
std::ostream& console();

// Redirects the console to `stream` (nullptr restores std::cout).  The
// stream must outlive the redirection.  Meant for tests.
void set_console(std::ostream* stream);

// The message sink that writes the numerical library's lines to the
// console, wherever the console points at the time of each write.  The
// program installs it (core::set_message_sink) at the start of each run.
core::MessageSink& console_sink();

// Redirects the console for the lifetime of the object, then restores the
// previous destination.  For the same lifetime the library's messages go
// to the console sink, so a redirection captures them too.
class ConsoleRedirect {
 public:
  explicit ConsoleRedirect(std::ostream& stream);
  ~ConsoleRedirect();
  ConsoleRedirect(const ConsoleRedirect&) = delete;
  ConsoleRedirect& operator=(const ConsoleRedirect&) = delete;

 private:
  std::ostream* previous_;
  core::MessageSinkRedirect library_messages_;
};

}  // namespace zelvan::textio
