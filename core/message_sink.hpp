// The message sink: where the numerical library writes its message lines
// (error messages, tracebacks, the fixed-form stops of the machine
// constants).
//
// The library does not know the program's console.  It writes whole lines
// to the current sink, which is standard output until someone installs
// another: the program installs one that writes to its console, a test
// one that collects the lines.
#pragma once

#include <iosfwd>
#include <string_view>

namespace zelvan::core {

class MessageSink {
 public:
  MessageSink() = default;
  MessageSink(const MessageSink&) = delete;
  MessageSink& operator=(const MessageSink&) = delete;
  virtual ~MessageSink() = default;

  // Writes one line; `line` holds no line end, the sink adds its own.
  virtual void write(std::string_view line) = 0;
  // Makes the lines written so far visible (called before a run stops).
  virtual void flush() = 0;
};

// A sink that writes each line and a single '\n' to a stream.  The stream
// must outlive the sink.
class StreamSink final : public MessageSink {
 public:
  explicit StreamSink(std::ostream& stream) : stream_(stream) {}
  void write(std::string_view line) override;
  void flush() override;

 private:
  std::ostream& stream_;
};

// The current sink (a StreamSink on std::cout unless one is installed).
MessageSink& message_sink();

// Installs `sink` as the current sink; nullptr restores standard output.
// The sink must stay alive while it is installed.
void set_message_sink(MessageSink* sink);

// Installs a sink for the lifetime of the object, then restores the sink
// that was current before.
class MessageSinkRedirect {
 public:
  explicit MessageSinkRedirect(MessageSink& sink);
  ~MessageSinkRedirect();
  MessageSinkRedirect(const MessageSinkRedirect&) = delete;
  MessageSinkRedirect& operator=(const MessageSinkRedirect&) = delete;

 private:
  MessageSink* previous_;
};

}  // namespace zelvan::core
