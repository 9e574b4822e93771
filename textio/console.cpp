#include "textio/console.hpp"

#include <iostream>
#include <string_view>

namespace zelvan::textio {
namespace {
std::ostream* g_console = nullptr;  // nullptr: std::cout

class ConsoleSink final : public core::MessageSink {
 public:
  void write(std::string_view line) override { console() << line << '\n'; }
  void flush() override { console().flush(); }
};
}  // namespace

std::ostream& console() { return g_console != nullptr ? *g_console : std::cout; }

void set_console(std::ostream* stream) { g_console = stream; }

core::MessageSink& console_sink() {
  static ConsoleSink sink;
  return sink;
}

ConsoleRedirect::ConsoleRedirect(std::ostream& stream) : previous_(g_console), library_messages_(console_sink()) {
  g_console = &stream;
}

ConsoleRedirect::~ConsoleRedirect() { g_console = previous_; }

}  // namespace zelvan::textio
