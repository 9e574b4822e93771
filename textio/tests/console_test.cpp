// The console sink of the library's messages: it follows the console's
// redirection at the time of each line, and a console redirection carries
// the library's lines with it.
#include <gtest/gtest.h>

#include <sstream>

#include "core/message_sink.hpp"
#include "textio/console.hpp"

namespace zelvan::textio {
namespace {

TEST(ConsoleSink, WritesWhereTheConsolePointsWhenTheLineIsWritten) {
  const core::MessageSinkRedirect installed(console_sink());
  std::ostringstream first;
  std::ostringstream second;
  set_console(&first);
  core::message_sink().write("one");
  set_console(&second);
  core::message_sink().write("two");
  core::message_sink().flush();
  set_console(nullptr);
  EXPECT_EQ(first.str(), "one\n");
  EXPECT_EQ(second.str(), "two\n");
}

TEST(ConsoleRedirect, CapturesTheLibraryLinesAndThenRestoresTheirSink) {
  std::ostringstream elsewhere;
  core::StreamSink other(elsewhere);
  const core::MessageSinkRedirect installed(other);
  std::ostringstream captured;
  {
    const ConsoleRedirect redirect(captured);
    core::message_sink().write("library line");
  }
  core::message_sink().write("after");
  EXPECT_EQ(captured.str(), "library line\n");
  EXPECT_EQ(elsewhere.str(), "after\n");
}

}  // namespace
}  // namespace zelvan::textio
