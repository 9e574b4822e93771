// Every console text and record layout of the plot layout writer.
#pragma once

#include <string_view>

namespace zelvan::plot::msg {

// ---- axis scaling ----
// The text of a magnitude and the pieces read back from it.
inline constexpr std::string_view kScaleText = "(1PG10.3)";
inline constexpr std::string_view kScaleMantissa = "(F6.0)";
inline constexpr std::string_view kScaleExponent = "(F5.0)";
inline constexpr std::string_view kScaleDigit = "(I6)";
inline constexpr std::string_view kScaleSourceName = "axis scaling text";
inline constexpr std::string_view kScaleMantissaWhat = "mantissa of the axis value";
inline constexpr std::string_view kScaleExponentWhat = "exponent of the axis value";
inline constexpr std::string_view kScaleDigitWhat = "digit of the axis value";

// ---- date and time ----
inline constexpr std::string_view kClockTime = "(I2.2, ':', I2.2, ':', I2.2)";
inline constexpr std::string_view kClockYear = "(I4)";
inline constexpr std::string_view kClockDate = "(I2.2, '.', I2.2, '.', A2)";

// ---- templates ----
inline constexpr std::string_view kLayoutTemplateLine = "(A100)";
inline constexpr std::string_view kStyleTemplateLine = "(A80)";
inline constexpr std::string_view kTemplateLineWhat = "a template line";
inline constexpr std::string_view kBundledSourcePrefix = "bundled ";
inline constexpr std::string_view kLayoutTemplateKind = "layout";
inline constexpr std::string_view kStyleTemplateKind = "style";
// Written when a template file does not exist.
inline constexpr std::string_view kTemplateMissing =
    R"(( / '!!! The template file "', A, '" does not exist; the bundled default ', A, ' template is used.', / ))";

// ---- copied and computed lines of the layout and style files ----
inline constexpr std::string_view kCopiedLine = "(A)";
inline constexpr std::string_view kRangeMin = R"(("   RANGEMIN = ", F10.3))";
inline constexpr std::string_view kRangeMax = R"(("   RANGEMAX = ", F10.3))";
inline constexpr std::string_view kGridSpacing = R"(("   GRSPACING = ", F10.3))";

// Markers of the layout template, in the order they are tested.
inline constexpr std::string_view kMarkerFrame02X = "# FRAME02_RANGEX";
inline constexpr std::string_view kMarkerFrame03X = "# FRAME03_RANGEX";
inline constexpr std::string_view kMarkerFrame04X = "# FRAME04_RANGEX";
inline constexpr std::string_view kMarkerFrame05X = "# FRAME05_RANGEX";
inline constexpr std::string_view kMarkerFrame05Y = "# FRAME05_RANGEY";

// Markers of the style template, in the order they are tested, and the
// text lines written in their place.
inline constexpr std::string_view kMarkerComment = "# COMMENT01";
inline constexpr std::string_view kMarkerInfo01 = "# INFOLINE01";
inline constexpr std::string_view kMarkerInfo02 = "# INFOLINE02";
inline constexpr std::string_view kMarkerInfo03 = "# INFOLINE03";
inline constexpr std::string_view kMarkerInfo04 = "# INFOLINE04";
inline constexpr std::string_view kMarkerInfo05 = "# INFOLINE05";
inline constexpr std::string_view kMarkerInfo06 = "# INFOLINE06";
inline constexpr std::string_view kMarkerInfo07 = "# INFOLINE07";
inline constexpr std::string_view kMarkerInfo08 = "# INFOLINE08";
inline constexpr std::string_view kMarkerInfo09 = "# INFOLINE09";

inline constexpr std::string_view kStyleComment = R"(("   TEXT = ", '"', A40, " \n", A8, 2X, A5, '"'))";
inline constexpr std::string_view kStyleInfo01 =
    R"(("   TEXT = ", '"', "Parameters: ", "\n", "Y_0_1 = ", F5.2, " m, Y*_0_1 = ", F7.2, " m/s, t_A = ", F5.2, '"'))";
inline constexpr std::string_view kStyleInfo02 =
    R"(("   TEXT = ", '"', "Y_0_2 = ", F5.2, " m, Y*_0_2 = ", F7.2, " m/s, t_E = ", 1PG9.2, '"'))";
inline constexpr std::string_view kStyleInfo03 =
    R"(("   TEXT = ", '"', "M_1 = ", 1PG9.2, ", ", "M_2 = ", 1PG9.2, ", ", "S_m = ", 1PG9.2, "[kg]", '"'))";
inline constexpr std::string_view kStyleInfo04 =
    R"(("   TEXT = ", '"', "D_1 = ", 1PG10.3, " kg/s,     ", "D_2 = ", 1PG10.3, " kg/s ", '"'))";
inline constexpr std::string_view kStyleInfo05 =
    R"(("   TEXT = ", '"', "K_1 = ", 1PG10.3, " kg/s^2, ", "K_2 = ", 1PG10.3, " kg/s^2 ", '"'))";
inline constexpr std::string_view kStyleInfo06 =
    R"(("   TEXT = ", '"', "K_m = ", 1PG10.3, " kg/s^2, ", "f_s = ", 1PG10.3, " N/m ", '"'))";
inline constexpr std::string_view kStyleInfo07 =
    R"(("   TEXT = ", '"', "f_0_1 = ", F7.3, " Hz, ", "f_0_2 = ", F7.3, " Hz, ", "`", "k = ", F6.3, " kg/s^2 ", '"'))";
inline constexpr std::string_view kStyleInfo08 =
    R"(("   TEXT = ", '"', "a_0 = ", F6.2, " N, ", "   f_0 = ", F6.2, " Hz,  ", "`", "f = ", F6.1, " [deg] ", '"'))";
inline constexpr std::string_view kStyleInfo09 =
    R"(("   TEXT = ", '"', "`", "w* = ", F6.3, " [-], ", "`", "x_p = ", F6.3, " [-], ", "Ma = ", F6.3, " [-] ", '"'))";

// ---- annotation file ----
inline constexpr std::string_view kAnnotationColour = R"(("C 180 300"))";
inline constexpr std::string_view kAnnotationPen = R"(("D 2", /, "P 7"))";
inline constexpr std::string_view kAnnotationOpen = R"(("{ ", I2))";
inline constexpr std::string_view kAnnotationClose = R"(("} ", I2))";
inline constexpr std::string_view kAnnotationHeading = R"(("TL ", I4, 1X, I4, 1X, A20))";
inline constexpr std::string_view kAnnotationHeadingText = "Parameters:";
inline constexpr std::string_view kAnnotationY01 =
    R"(("TL ", I4, 1X, I4, 1X, "Y&&T{01}  = ", F5.2, "   t&&TA = ", F6.1))";
inline constexpr std::string_view kAnnotationY02 =
    R"(("TL ", I4, 1X, I4, 1X, "Y&&T{02}  = ", F5.2, "   t&&TE = ", 1PG9.2))";
inline constexpr std::string_view kAnnotationM1 = R"(("TL ", I4, 1X, I4, 1X, "M&&T1  = ", F6.3, " kg"))";
inline constexpr std::string_view kAnnotationM2 = R"(("TL ", I4, 1X, I4, 1X, "M&&T2  = ", F6.3, " kg"))";
inline constexpr std::string_view kAnnotationSm = R"(("TL ", I4, 1X, I4, 1X, "S&&Tm  = ", F6.3, " kg"))";
inline constexpr std::string_view kAnnotationD1 = R"(("TL ", I4, 1X, I4, 1X, "D&&T1  = ", F6.3, " kg/s"))";
inline constexpr std::string_view kAnnotationD2 = R"(("TL ", I4, 1X, I4, 1X, "D&&T2  = ", F6.3, " kg/s"))";
inline constexpr std::string_view kAnnotationK1 = R"(("TL ", I4, 1X, I4, 1X, "K&&T1  = ", 1PG10.3, " kg/s&&H2"))";
inline constexpr std::string_view kAnnotationK2 = R"(("TL ", I4, 1X, I4, 1X, "K&&T2  = ", 1PG10.3, " kg/s&&H2"))";
inline constexpr std::string_view kAnnotationKm = R"(("TL ", I4, 1X, I4, 1X, "K&&Tm  = ", 1PG10.3, " kg/s&&H2"))";
inline constexpr std::string_view kAnnotationFs = R"(("TL ", I4, 1X, I4, 1X, "f&&Ts   = ", 1PG10.3, " N/m"))";
inline constexpr std::string_view kAnnotationF01 = R"(("TL ", I4, 1X, I4, 1X, "f&&T0&&T1  = ", F6.3, " Hz"))";
inline constexpr std::string_view kAnnotationF02 = R"(("TL ", I4, 1X, I4, 1X, "f&&T0&&T2  = ", F6.3, " Hz"))";

// ---- figure script ----
// A number the script computes with (enough digits for any figure).
inline constexpr std::string_view kScriptNumber = "(1PG16.8)";
// A value in a text of a figure: the parameter page and the legend.
inline constexpr std::string_view kFigureValue = "(1PG12.5)";
// A reduced frequency in a text of a figure.
inline constexpr std::string_view kFigureReduced = "(F10.4)";
// A Mach number in a text of a figure.
inline constexpr std::string_view kFigureMach = "(F10.3)";

// ---- the gnuplot run: one console line each ----
inline constexpr std::string_view kFiguresWritten = "*** Figures written: {1}";
inline constexpr std::string_view kGnuplotMissing =
    "!!! No figures: gnuplot was not found. Install it (apt-get install gnuplot-nox) and run \"gnuplot {1}\" "
    "in this folder; the script is ready.";
inline constexpr std::string_view kGnuplotNotStarted = "!!! No figures: gnuplot could not be started: {1}.";
inline constexpr std::string_view kGnuplotFailed = "!!! No figures: gnuplot ended with status {1}: {2}";
inline constexpr std::string_view kGnuplotSignal = "!!! No figures: gnuplot was ended by signal {1}: {2}";
inline constexpr std::string_view kGnuplotTimeLimit =
    "!!! No figures: gnuplot did not finish within {1} s and was stopped.";
inline constexpr std::string_view kGnuplotNoMessage = "no message";
inline constexpr std::string_view kFigureMissing = "!!! No figures: gnuplot did not write \"{1}\".";
inline constexpr std::string_view kFigureNotWritten = "!!! No figures: the figure file \"{1}\" cannot be written: {2}.";
inline constexpr std::string_view kFiguresError = "!!! No figures: {1}.";
inline constexpr std::string_view kNoFile = "none";

}  // namespace zelvan::plot::msg
