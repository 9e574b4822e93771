#include "core/message_sink.hpp"

#include <iostream>

namespace zelvan::core {
namespace {
MessageSink* g_sink = nullptr;  // nullptr: standard output

MessageSink& standard_output_sink() {
  static StreamSink sink(std::cout);
  return sink;
}
}  // namespace

void StreamSink::write(std::string_view line) { stream_ << line << '\n'; }

void StreamSink::flush() { stream_.flush(); }

MessageSink& message_sink() { return g_sink != nullptr ? *g_sink : standard_output_sink(); }

void set_message_sink(MessageSink* sink) { g_sink = sink; }

MessageSinkRedirect::MessageSinkRedirect(MessageSink& sink) : previous_(g_sink) { g_sink = &sink; }

MessageSinkRedirect::~MessageSinkRedirect() { g_sink = previous_; }

}  // namespace zelvan::core
