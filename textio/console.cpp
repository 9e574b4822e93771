#include "textio/console.hpp"

#include <iostream>

namespace zelvan::textio {
namespace {
std::ostream* g_console = nullptr;  // nullptr: std::cout
}

std::ostream& console() { return g_console != nullptr ? *g_console : std::cout; }

void set_console(std::ostream* stream) { g_console = stream; }

ConsoleRedirect::ConsoleRedirect(std::ostream& stream) : previous_(g_console) { g_console = &stream; }

ConsoleRedirect::~ConsoleRedirect() { g_console = previous_; }

}  // namespace zelvan::textio
