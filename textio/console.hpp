// The console: the destination of every console line of the program.
//
// It is standard output unless a test redirects it.  Lines are ended with
// a single '\n'.
#pragma once

#include <iosfwd>

namespace zelvan::textio {

// The stream the console lines go to (std::cout by default).
std::ostream& console();

// Redirects the console to `stream` (nullptr restores std::cout).  The
// stream must outlive the redirection.  Meant for tests.
void set_console(std::ostream* stream);

// Redirects the console for the lifetime of the object, then restores the
// previous destination.
class ConsoleRedirect {
 public:
  explicit ConsoleRedirect(std::ostream& stream);
  ~ConsoleRedirect();
  ConsoleRedirect(const ConsoleRedirect&) = delete;
  ConsoleRedirect& operator=(const ConsoleRedirect&) = delete;

 private:
  std::ostream* previous_;
};

}  // namespace zelvan::textio
