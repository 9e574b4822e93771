// The numerical library on its own: this test executable links the library
// and GoogleTest and nothing of the record layouts or the console, so a
// routine that still printed through them, or stopped with a type of
// theirs, would fail to link here.  It runs one routine on its normal path
// and on error paths that print through the message sink and stop with the
// core stop type.
#include <gtest/gtest.h>

#include <array>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.hpp"
#include "numlib/dlinrg.hpp"
#include "numlib/numlib.hpp"

namespace zelvan::numlib {
namespace {

// Collects the lines; remembers how many of them had been flushed.
class CollectingSink final : public core::MessageSink {
 public:
  void write(std::string_view line) override { lines.emplace_back(line); }
  void flush() override { flushed = lines.size(); }

  std::vector<std::string> lines;
  std::size_t flushed = 0;
};

class StandaloneLibrary : public ::testing::Test {
 protected:
  void SetUp() override { reset_error_handler(); }
  void TearDown() override { reset_error_handler(); }

  CollectingSink sink;
  core::MessageSinkRedirect redirect{sink};
};

// Entries of a 2 x 2 inverse: each a correctly rounded quotient by the
// determinant 10, so a few ulps cover the elimination's rounding.
constexpr double kInverseTolerance = 4.0 * std::numeric_limits<double>::epsilon();

TEST_F(StandaloneLibrary, InvertsAMatrixWithoutWritingAnyLine) {
  const std::array<double, 4> a = {4.0, 2.0, 7.0, 6.0};  // by columns: [4 7; 2 6]
  std::array<double, 4> inverse{};
  DLINRG(2, a.data(), 2, inverse.data(), 2);
  const std::array<double, 4> expected = {0.6, -0.2, -0.7, 0.4};
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(inverse[i], expected[i], kInverseTolerance) << i;
  EXPECT_TRUE(sink.lines.empty());
}

TEST_F(StandaloneLibrary, WritesASingularMatrixErrorToTheSinkFlushesItAndStopsWithTheCoreType) {
  const std::array<double, 4> a = {1.0, 2.0, 2.0, 4.0};
  std::array<double, 4> inverse{};
  bool stopped = false;
  try {
    DLINRG(2, a.data(), 2, inverse.data(), 2);
  } catch (const core::RunStop& stop) {
    stopped = true;
    EXPECT_EQ(stop.reason(), core::StopReason::library_error);
    EXPECT_EQ(stop.console_text(), "");
  }
  EXPECT_TRUE(stopped);
  const std::vector<std::string> expected = {
      "",
      " *** FATAL    ERROR 2 from DLINRG.  The input matrix is singular.  Some of",
      " ***          the diagonal elements of the upper triangular matrix U of the",
      " ***          LU factorization are close to zero.",
  };
  EXPECT_EQ(sink.lines, expected);
  EXPECT_EQ(sink.flushed, expected.size());
}

TEST_F(StandaloneLibrary, EditsTheTracebackRowsAndTheFixedFormStopWithoutTheRecordLayouts) {
  E1PSH("DTEST");
  E1PSH("DINNER");
  E1STD(1, -2.5e-7);
  E1MES(ErrorType::terminal, 12, "Value %(D1).");
  EXPECT_THROW(E1POP("DINNER"), core::RunStop);
  const std::vector<std::string> traceback = {
      "",
      " *** TERMINAL ERROR 12 from DINNER.  Value -2.500000000000000D-07.",
      "     Here is a traceback of subprogram calls in reverse order:",
      "     Routine name                    Error type  Error code",
      "     ------------                    ----------  ----------",
      "     DINNER                               5          12    (Called internally)",
      "     DTEST                                0           0",
      "     USER                                 0           0",
  };
  EXPECT_EQ(sink.lines, traceback);

  sink.lines.clear();
  EXPECT_THROW(IMACH(-123456), core::RunStop);
  const std::vector<std::string> fixed_form = {
      "",
      " *** TERMINAL ERROR 5 from IMACH.  The argument",
      " ***          must be between 1 and 12 inclusive.",
      " ***          N = ******.",  // seven characters overflow I6
      "",
  };
  EXPECT_EQ(sink.lines, fixed_form);
}

TEST(LibraryMessageSink, IsStandardOutputWhenNoneIsInstalled) {
  reset_error_handler();
  std::ostringstream captured;
  std::streambuf* const previous = std::cout.rdbuf(captured.rdbuf());
  bool stopped = false;
  try {
    IMACH(13);
  } catch (const core::RunStop&) {
    stopped = true;
  }
  std::cout.rdbuf(previous);
  EXPECT_TRUE(stopped);
  EXPECT_EQ(captured.str(),
            "\n *** TERMINAL ERROR 5 from IMACH.  The argument\n"
            " ***          must be between 1 and 12 inclusive.\n"
            " ***          N =     13.\n\n");
}

}  // namespace
}  // namespace zelvan::numlib
