// Every console text and message layout of the analysis driver.
#pragma once

#include <string_view>

namespace zelvan::driver::msg {

// GETARG: word n of the command line does not exist.
inline constexpr std::string_view kGetargMissing =
    R"(( / " *** GETARG ", 38("*"), /, " Argument Nr. ", I2.2, " nicht mehr vorhanden", /, 50("*"), /))";

// Start-up.
inline constexpr std::string_view kInputDataRead =
    R"(( / "*** Input data read -", /, "    Computation has started. ", /))";
inline constexpr std::string_view kTooManyNodes =
    R"(( / "!!! Too many nodes chosen:  ", I6, /, "    Maximum number allowed: ", I6, /))";
inline constexpr std::string_view kStopTooManyNodes = "*** ZELVAN terminated due to npoints > istore";

// Added to an input error when the file name argument had to be cut.
inline constexpr std::string_view kNameWasCut =
    "(The file name argument is cut to its first 20 characters.)";

// Internal errors: a fault of the program itself, not of the case.
inline constexpr std::string_view kInternalError = "!!! ZELVAN internal error: ";
inline constexpr std::string_view kStopInternalError = "*** ZELVAN terminated due to an internal error";

}  // namespace zelvan::driver::msg
