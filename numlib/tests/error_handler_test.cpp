// The library's error handler: when messages are printed, their exact
// form, and when the run stops.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "core/core.hpp"
#include "numlib/numlib.hpp"
#include "numlib/tests/library_test_support.hpp"

namespace zelvan::numlib {
namespace {

// Library state reset around each test, messages captured.
class ErrorHandler : public test_support::LibraryTest {};

constexpr std::string_view kIllConditioned =
    "The matrix is too ill-conditioned. An estimate of the reciprocal of its L1 condition number is "
    "RCOND = %(D1).  The inverse might not be accurate.";

TEST_F(ErrorHandler, PrintsAWarningWhenTheUserCalledRoutineReturnsUnderItsName) {
  E1PSH("DLINRG");
  E1PSH("DL2CRG");
  E1STD(1, 1.5e-17);
  E1MES(3, 1, kIllConditioned);
  EXPECT_TRUE(out.str().empty());
  E1POP("DL2CRG");
  EXPECT_TRUE(out.str().empty());
  EXPECT_EQ(N1RTY(1), 3);
  EXPECT_FALSE(stops([] { E1POP("DLINRG"); }));
  EXPECT_EQ(out.str(),
            "\n"
            " *** WARNING  ERROR 1 from DLINRG.  The matrix is too ill-conditioned. An\n"
            " ***          estimate of the reciprocal of its L1 condition number is RCOND\n"
            " ***          = 1.500000000000000D-17.  The inverse might not be accurate.\n");
  EXPECT_EQ(error_level(), 1);
}

TEST_F(ErrorHandler, KeepsOnlyTheLaterOfTwoWarningsInOneCall) {
  E1PSH("DLINRG");
  E1MES(3, 1, "first text");
  E1MES(3, 1, "second text");
  E1POP("DLINRG");
  EXPECT_EQ(out.str(), "\n *** WARNING  ERROR 1 from DLINRG.  second text\n");
}

TEST_F(ErrorHandler, PrintsAFatalErrorAtTheUserLevelWithoutTracebackAndStops) {
  E1PSH("DLINRG");
  E1PSH("DL2TRG");
  E1MES(4, 2,
        "The input matrix is singular.  Some of the diagonal elements of the upper triangular matrix U "
        "of the LU factorization are close to zero.");
  E1POP("DL2TRG");
  EXPECT_TRUE(out.str().empty());
  EXPECT_TRUE(stops([] { E1POP("DLINRG"); }));
  EXPECT_EQ(out.str(),
            "\n"
            " *** FATAL    ERROR 2 from DLINRG.  The input matrix is singular.  Some of\n"
            " ***          the diagonal elements of the upper triangular matrix U of the\n"
            " ***          LU factorization are close to zero.\n");
}

TEST_F(ErrorHandler, PrintsATerminalErrorAtOnceWithTracebackAndStopsWhenTheRaiserReturns) {
  E1PSH("DEVCCG");
  E1PSH("DCCGCG");
  E1STI(1, 0);
  E1MES(5, 1, "The argument N = %(I1).  It must be at least 1.");
  EXPECT_EQ(out.str(),
            "\n"
            " *** TERMINAL ERROR 1 from DCCGCG.  The argument N = 0.  It must be at\n"
            " ***          least 1.\n"
            "     Here is a traceback of subprogram calls in reverse order:\n"
            "     Routine name                    Error type  Error code\n"
            "     ------------                    ----------  ----------\n"
            "     DCCGCG                               5           1    (Called internally)\n"
            "     DEVCCG                               0           0\n"
            "     USER                                 0           0\n");
  EXPECT_TRUE(stops([] { E1POP("DCCGCG"); }));
}

// The calling program's notes: written once, outermost first, just before
// the message of an error that stops the run, and the stop carries the
// program's stop text.
TEST_F(ErrorHandler, WritesTheOpenNotesOnceBeforeTheMessageOfAStoppingErrorAndStopsWithTheStopText) {
  set_stop_text("\nstop line\n");
  std::string console_text;
  try {
    const ErrorNote outer([] { return std::string("outer note\n"); });
    const ErrorNote inner([] { return std::string("\ninner note,\n    second line\n"); });
    E1PSH("DEVCCG");
    E1PSH("DCCGCG");
    E1MES(5, 1, "terminal text");
    E1POP("DCCGCG");
    ADD_FAILURE() << "no stop";
  } catch (const core::RunStop& stop) {
    EXPECT_EQ(stop.exit_status(), 3);
    console_text = stop.console_text();
  }
  EXPECT_EQ(out.str().find("outer note\n\ninner note,\n    second line\n\n *** TERMINAL ERROR 1 from DCCGCG."), 0U)
      << out.str();
  EXPECT_EQ(out.str().find("note", out.str().find("TERMINAL")), std::string::npos) << out.str();
  EXPECT_EQ(console_text, "\nstop line\n");
}

TEST_F(ErrorHandler, LeavesItsNotesUnwrittenForWarningsAndWhenNothingFails) {
  int described = 0;
  {
    const ErrorNote note([&] {
      ++described;
      return std::string("note\n");
    });
    E1PSH("DLINRG");
    E1POP("DLINRG");
    E1PSH("DLINRG");
    E1MES(3, 1, "warning text");
    EXPECT_FALSE(stops([] { E1POP("DLINRG"); }));
  }
  EXPECT_EQ(out.str(), "\n *** WARNING  ERROR 1 from DLINRG.  warning text\n");
  // A closed note is not written either.
  E1PSH("DLINRG");
  E1MES(4, 2, "fatal text");
  EXPECT_TRUE(stops([] { E1POP("DLINRG"); }));
  EXPECT_EQ(described, 0);
}

TEST_F(ErrorHandler, BreaksTheLineAtPercentSlashAndDropsTheMark) {
  E1PSH("DTEST");
  E1MES(3, 4, "Short first part.%/Second line.");
  E1POP("DTEST");
  EXPECT_EQ(out.str(), "\n *** WARNING  ERROR 4 from DTEST.  Short first part.\n ***          Second line.\n");
}

TEST_F(ErrorHandler, CutsALongWordlessMessageAtTheRoom) {
  E1PSH("DLINRG");
  E1MES(3, 1, std::string(50, 'x'));
  E1POP("DLINRG");
  EXPECT_EQ(out.str(), "\n *** WARNING  ERROR 1 from DLINRG.  " + std::string(39, 'x') + "\n ***          " +
                           std::string(11, 'x') + "\n");
}

TEST_F(ErrorHandler, SubstitutesLowerCaseTagsAndLeavesUnknownOnesAsWritten) {
  E1PSH("DTEST");
  E1STI(1, 7);
  E1STL(2, "abc");
  E1STD(3, 0.0);
  E1STD(4, 1.0);
  E1MES(3, 1, "%(i1) %(I1) %(l2) %(d3) %(D4) %(I9) %(Q1)");
  EXPECT_EQ(pending_error_message(), "7 7 abc 0.000000000000000D+00 1.000000000000000D+00 %(I9) %(Q1)");
  E1POP("DTEST");
}

TEST_F(ErrorHandler, LeavesNotesAndAlertsSilentAndDoesNotPassNotesUp) {
  E1PSH("DTEST");
  E1MES(1, 1, "a note");
  E1POP("DTEST");
  EXPECT_EQ(N1RTY(1), 1);  // the routine called last
  EXPECT_EQ(N1RTY(0), 0);  // the note stays with it
  E1PSH("DTEST");
  E1MES(2, 3, "an alert");
  E1POP("DTEST");
  EXPECT_TRUE(out.str().empty());
}

TEST_F(ErrorHandler, ClearsThePendingMessageForTypeOrCodeZero) {
  E1PSH("DTEST");
  E1MES(3, 1, "will be cleared");
  E1MES(3, 0, "ignored");
  EXPECT_TRUE(pending_error_message().empty());
  E1POP("DTEST");
  EXPECT_TRUE(out.str().empty());
}

TEST_F(ErrorHandler, PrintsAnImmediateWarningAndGoesOnButStopsForAnImmediateFatal) {
  E1PSH("DTEST");
  E1MES(6, 2, "immediate warning");
  EXPECT_EQ(out.str(), "\n *** WARNING  ERROR 2 from DTEST.  immediate warning\n");
  EXPECT_FALSE(stops([] { E1POP("DTEST"); }));
  E1PSH("DTEST");
  E1MES(7, 3, "immediate fatal");
  EXPECT_TRUE(stops([] { E1POP("DTEST"); }));
}

TEST_F(ErrorHandler, TreatsStackMisuseAsTerminalErrorsOfItsOwn) {
  EXPECT_TRUE(stops([] { E1POP("DTEST"); }));
  EXPECT_NE(unwrapped().find("Cannot pop from DTEST because stack is empty."), std::string::npos);
  reset_error_handler();
  out.str("");
  E1PSH("DONE");
  EXPECT_TRUE(stops([] { E1POP("DTWO"); }));
  EXPECT_NE(unwrapped().find("ERROR 2 from DONE.  Error condition in E1POP.  DTWO does not match the name DONE"),
            std::string::npos);
  reset_error_handler();
  out.str("");
  EXPECT_TRUE(stops([] {
    for (int i = 0; i < kMaxErrorLevel + 1; ++i) E1PSH("DDEEP");
  }));
  EXPECT_NE(unwrapped().find("Push would cause stack level to exceed 50."), std::string::npos);
}

TEST_F(ErrorHandler, RejectsAnN1rtyArgumentOtherThanZeroOrOne) {
  EXPECT_TRUE(stops([] { N1RTY(2); }));
  EXPECT_NE(unwrapped().find(" *** TERMINAL ERROR 1 from N1RTY.  The argument passed to N1RTY must be 0 or 1."),
            std::string::npos);
}

TEST_F(ErrorHandler, StopsOnAnUndefinedErrorType) {
  E1PSH("DTEST");
  EXPECT_TRUE(stops([] { E1MES(9, 1, "odd"); }));
  EXPECT_EQ(out.str().substr(0, 37), "\n *** UNKNOWN  ERROR 1 from DTEST.  o");
}

TEST_F(ErrorHandler, GivesTheSixDigitMachineConstants) {
  EXPECT_EQ(DMACH(4), 2.22096e-16);
  EXPECT_NE(DMACH(4), std::numeric_limits<double>::epsilon());
  EXPECT_EQ(DMACH(1), 2.22559e-308);
  EXPECT_EQ(DMACH(8), -1.79728e+308);
  EXPECT_EQ(IMACH(5), 2147483647);
  EXPECT_EQ(IMACH(12), 1024);
  int unit = 0;
  UMACH(2, unit);
  EXPECT_EQ(unit, 6);
  int seven = 7;
  UMACH(-2, seven);
  UMACH(2, unit);
  EXPECT_EQ(unit, 7);
}

TEST_F(ErrorHandler, ReportsBadMachineIndicesInTheirFixedForms) {
  int unit = 0;
  EXPECT_TRUE(stops([&] { UMACH(4, unit); }));
  EXPECT_EQ(out.str(),
            "\n *** TERMINAL ERROR 5 from UMACH.  The absolute\n"
            " ***          value of the index variable must be\n"
            " ***          1, 2, or 3.  IABS(N) =      4.\n\n");
  out.str("");
  EXPECT_TRUE(stops([] { IMACH(0); }));
  EXPECT_EQ(out.str(),
            "\n *** TERMINAL ERROR 5 from IMACH.  The argument\n"
            " ***          must be between 1 and 12 inclusive.\n"
            " ***          N =      0.\n\n");
  out.str("");
  EXPECT_TRUE(stops([] { DMACH(9); }));
  EXPECT_EQ(out.str(),
            "\n *** TERMINAL ERROR 5 from DMACH.  The argument must be between 1 and 8\n"
            " ***          inclusive. N = 9\n");
}

TEST_F(ErrorHandler, OptionStoreKeepsTheDefaultsAndRejectsMisuse) {
  int option = 1, value = 0;
  IUMAG("MATH", 1, 1, 1, &option, &value);
  EXPECT_EQ(value, 1);
  const int eigen[2] = {3, 4};
  int values[2] = {-1, -1};
  IUMAG("MATH", 2, 1, 2, eigen, values);
  EXPECT_EQ(values[0], 0);
  EXPECT_EQ(values[1], 0);
  value = 2;
  IUMAG("MATH", 1, 2, 1, &option, &value);
  IUMAG("MATH", 1, 1, 1, &option, &value);
  EXPECT_EQ(value, 2);
  EXPECT_TRUE(stops([&] { IUMAG("MATH", 3, 1, 1, &option, &value); }));
  EXPECT_NE(unwrapped().find("No options exist for MATH chapter 3."), std::string::npos);
  reset_error_handler();
  EXPECT_TRUE(stops([&] { IUMAG("BLAS", 1, 1, 1, &option, &value); }));
  EXPECT_NE(unwrapped().find("PRODNM = BLAS is invalid."), std::string::npos);
  reset_error_handler();
  option = 5;
  EXPECT_TRUE(stops([&] { IUMAG("MATH", 1, 1, 1, &option, &value); }));
  EXPECT_NE(unwrapped().find("IOPTS(1) = 5 is an invalid MATH chapter 1 option"), std::string::npos);
}

}  // namespace
}  // namespace zelvan::numlib
