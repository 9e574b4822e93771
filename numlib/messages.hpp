// Message texts of the numerical library, by routine family.  Placeholders
// %(In), %(Dn), %(Ln) take the parameters stored with E1STI, E1STD, E1STL.
#pragma once

#include <string_view>

namespace zelvan::numlib::msg {

// ---- error handler ----
inline constexpr std::string_view kPushOverflow =
    "Error condition in E1PSH.  Push would cause stack level to exceed %(I1).";
inline constexpr std::string_view kPopEmpty =
    "Error condition in E1POP.  Cannot pop from %(L1) because stack is empty.";
inline constexpr std::string_view kPopMismatch =
    "Error condition in E1POP.  %(L1) does not match the name %(L2) in the stack.";
inline constexpr std::string_view kN1rtyArgument = ".  The argument passed to N1RTY must be 0 or 1. ";
inline constexpr std::string_view kN1rcdArgument = ".  The argument passed to N1RCD must be 0 or 1. ";
inline constexpr std::string_view kTracebackTitle =
    "     Here is a traceback of subprogram calls in reverse order:";
inline constexpr std::string_view kTracebackHead =
    "     Routine name                    Error type  Error code";
inline constexpr std::string_view kTracebackRule =
    "     ------------                    ----------  ----------";
inline constexpr std::string_view kCalledInternally = "    (Called internally)";

// ---- machine constants and units ----
inline constexpr std::string_view kUmachLayout =
    R"(( / " *** TERMINAL ERROR 5 from UMACH.  The absolute", /, " ***          value of the index variable must be", /, " ***          1, 2, or 3.  IABS(N) = ", I6, ".", /))";
inline constexpr std::string_view kImachLayout =
    R"(( / " *** TERMINAL ERROR 5 from IMACH.  The argument", /, " ***          must be between 1 and 12 inclusive.", /, " ***          N = ", I6, ".", /))";
inline constexpr std::string_view kDmachArgument = "The argument must be between 1 and 8 inclusive. N = %(I1)";

// ---- option store ----
inline constexpr std::string_view kIumagAction =
    "IACT must be 1 to get option values or 2 to put option values.  IACT = %(I1) is invalid.";
inline constexpr std::string_view kIumagProduct =
    "The product name must be either MATH or STAT.  PRODNM = %(L1) is invalid.";
inline constexpr std::string_view kIumagMathChapter =
    "ICHP = %(I1) is an invalid MATH chapter number.  To get or put MATH options, ICHP must be between 1 and %(I2).";
inline constexpr std::string_view kIumagStatChapter =
    "ICHP = %(I1) is an invalid STAT chapter number.  To get or put STAT options, ICHP must be between 1 and %(I2).";
inline constexpr std::string_view kIumagNoMathOptions =
    "No options exist for MATH chapter %(I1).  Only existing options may have values retrieved from or placed into them.";
inline constexpr std::string_view kIumagNoStatOptions =
    "No options exist for STAT chapter %(I1).  Only existing options may have values retrieved from or placed into them.";
inline constexpr std::string_view kIumagNumopt =
    "NUMOPT = %(I1) is an invalid number of options.  NUMOPT must be greater than zero.";
inline constexpr std::string_view kIumagOption =
    "IOPTS(%(I1)) = %(I2) is an invalid %(L1) chapter %(I3) option number.";

}  // namespace zelvan::numlib::msg
