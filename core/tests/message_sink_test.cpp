// The sink of the library's message lines: what a stream sink writes, and
// that installing sinks nests and restores.
#include <gtest/gtest.h>

#include <sstream>

#include "core/message_sink.hpp"

namespace zelvan::core {
namespace {

TEST(StreamSink, EndsEveryLineWithOneLineFeedAndKeepsEmptyLines) {
  std::ostringstream out;
  StreamSink sink(out);
  sink.write("");
  sink.write(" *** TERMINAL ERROR 5 from IMACH.");
  sink.write("trailing blanks   ");
  sink.flush();
  EXPECT_EQ(out.str(), "\n *** TERMINAL ERROR 5 from IMACH.\ntrailing blanks   \n");
}

TEST(MessageSinkRedirect, NestsAndRestoresTheSinkThatWasCurrentBefore) {
  std::ostringstream outer_text;
  std::ostringstream inner_text;
  StreamSink outer(outer_text);
  StreamSink inner(inner_text);
  MessageSink* const standard_output = &message_sink();
  {
    const MessageSinkRedirect to_outer(outer);
    message_sink().write("a");
    {
      const MessageSinkRedirect to_inner(inner);
      message_sink().write("b");
    }
    message_sink().write("c");
  }
  EXPECT_EQ(&message_sink(), standard_output);
  EXPECT_EQ(outer_text.str(), "a\nc\n");
  EXPECT_EQ(inner_text.str(), "b\n");

  set_message_sink(&inner);
  EXPECT_EQ(&message_sink(), &inner);
  set_message_sink(nullptr);
  EXPECT_EQ(&message_sink(), standard_output);
}

}  // namespace
}  // namespace zelvan::core
