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
inline constexpr std::string_view kTooFewNodes = R"(( / "!!! At least one time point is needed:", I12, /))";
inline constexpr std::string_view kStopTooFewNodes = "*** ZELVAN terminated due to npoints < 1";
inline constexpr std::string_view kEmptyTimeInterval =
    R"(( / "!!! The time history needs t_E different from t_A, but both are ", 1PG12.5, /))";
inline constexpr std::string_view kStopEmptyTimeInterval = "*** ZELVAN terminated due to t_E = t_A";

// Input warnings: the run goes on.  Each is written as an empty line, the
// prefix textio::msg::kInputWarningPrefix and the message, an empty line.
inline constexpr std::string_view kInputWarning = R"(( / A, A, /))";
inline constexpr std::string_view kMarkerNotInColumn1 =
    "file \"{1}\", line {2} ({3}): column 1 is blank and \"{4}\" stands in column {5}; a marker counts only in "
    "column 1, so {6}.";
inline constexpr std::string_view kFirstMarkerNotRead =
    "the aerodynamic records and the groups after them are not read (f_s = 0, no aerodynamics, sweep defaults)";
inline constexpr std::string_view kSecondMarkerNotRead =
    "the sweep records and the flutter-solution group are not read (their defaults apply)";
inline constexpr std::string_view kThirdMarkerNotRead = "the flutter-solution group is not read (its defaults apply)";
inline constexpr std::string_view kFourthMarkerNotRead =
    "the typical-section group is not read (the structure comes from records 8-14)";
inline constexpr std::string_view kSectionWithoutFlutterGroup =
    "file \"{1}\", line {2}: \".\" in column 1 would open a typical-section group, but a section group follows "
    "only the flutter-solution group, which is absent, so the group is not read (the structure comes from records "
    "8-14).";

// A bad value in a record of an optional group (flutter solution, typical
// section, nonlinear springs): the file, the line, the record, the problem.
inline constexpr std::string_view kGroupBadValue = "file \"{1}\", line {2}, columns 1-10 ({3}): {4}";
inline constexpr std::string_view kFifthMarkerNotRead =
    "the nonlinear-spring group is not read (the springs are linear)";
inline constexpr std::string_view kNonlinearWithoutSection =
    "file \"{1}\", line {2}: \".\" in column 1 would open a nonlinear-spring group, but that group follows only "
    "the typical-section group, which is absent, so it is not read (the springs are linear).";

// Aerodynamic route.
inline constexpr std::string_view kSectionDefinesStructure =
    R"(( / ">>> The typical-section group defines the structure: records 8 to 14 and", /, "    x_p, x_ref and aero_scale are not used.", /))";
inline constexpr std::string_view kRouteExternal = R"(( / ">>> Aerodynamic loads from external coefficients. ", /))";
inline constexpr std::string_view kRouteThinPlate = R"(( / ">>> Aerodynamic loads from 2D thin plate theory. ", /))";
inline constexpr std::string_view kRoutePossio = R"(( / ">>> Aerodynamic loads from 2D Possio integral equation ", /))";
inline constexpr std::string_view kSignOfFsChanged = R"(( / "!!! Sign of input fs changed from minus to plus.   ", /))";
inline constexpr std::string_view kThinPlateMach =
    R"(( / "!!! Thin plate theory needs |Ma| < 1, but |Ma| = ", 1PG12.5, /))";
inline constexpr std::string_view kPossioMach =
    R"(( / "!!! The Possio integral equation needs Ma < 1, but Ma = ", 1PG12.5, /))";
inline constexpr std::string_view kStopMach = "*** ZELVAN terminated due to Mach number >= 1";
inline constexpr std::string_view kPossioReducedFrequency =
    R"(( / "!!! The Possio integral equation needs w_star > 0, but w_star = ", 1PG12.5, /))";
inline constexpr std::string_view kThinPlateReducedFrequency =
    R"(( / "!!! Thin plate theory needs w_star > 0, but w_star = ", 1PG12.5, /))";
inline constexpr std::string_view kStopReducedFrequency = "*** ZELVAN terminated due to w_star < 0";

// Flutter sweep and structural modes.
inline constexpr std::string_view kFlutterHeader =
    R"(( / 8X, "****** Flutter Limits  *******", 2/, " q0 [N/m**2]", "    u0 [m/s]", "     f1 [Hz]", "    d1 [1/s]", "     g1  [-]", "     f2 [Hz]", "    d2 [1/s]", "     g2  [-]", "  R-ev21 [-]", "  I-ev21 [-]", "  B-ev21 [-]", "  P-ev21 [-]", "  R-ev22 [-]", "  I-ev22 [-]", "  B-ev22 [-]", "  P-ev22 [-]", " q0 [N/m**2]"))";
inline constexpr std::string_view kFlutterRow = "(F12.2,15F12.5,F12.2)";
inline constexpr std::string_view kFlutterBlock =
    R"(( / " Eigenvalues and eigenvectors (full system):", 2/, " frq1 = ", 2F12.6, /, " vec11= ", 2F12.6, /, " vec21= ", 2F12.6, /, " frq2 = ", 2F12.6, /, " vec12= ", 2F12.6, /, " vec22= ", 2F12.6))";
inline constexpr std::string_view kStructuralModes =
    R"(( / " Eigenvalues and eigenvectors (only structural part):", 2/, " frq1 = ", F12.6, /, " vec1 = ", 2F12.6, /, " frq2 = ", F12.6, /, " vec2 = ", 2F12.6, 2/, " Time history of the solution:", /))";
inline constexpr std::string_view kStructuralFrequenciesUndefined =
    R"(( / "!!! The structural frequencies are not real and positive: check the masses and stiffnesses.", /))";

// Flutter solution: the optional input group and its checks.
inline constexpr std::string_view kFlutterRecordMethod = "flutter record 1 (flutter_method)";
inline constexpr std::string_view kFlutterRecordSoundSpeed = "flutter record 2 (sound_speed)";
inline constexpr std::string_view kFlutterRecordTolerance = "flutter record 3 (match_tolerance)";
inline constexpr std::string_view kFlutterRecordIterations = "flutter record 4 (match_iterations)";
inline constexpr std::string_view kFlutterMethodOutside = "flutter_method must be 0, 1 or 2.";
inline constexpr std::string_view kFlutterSoundSpeedNeeded = "flutter_method 2 needs a positive sound_speed.";
inline constexpr std::string_view kFlutterNegative = "the value must not be negative.";

// The typical section: the optional input group and its checks.
inline constexpr std::string_view kSectionRequired = "the record is required; a blank field gives no value.";
inline constexpr std::string_view kSectionNotFinite = "the value must be finite.";
inline constexpr std::string_view kSectionNotPositive = "the value must be positive.";
inline constexpr std::string_view kSectionNegative = "the value must not be negative.";
inline constexpr std::string_view kSectionAxisOffChord =
    "a must lie from -1 to 1 (the pitch axis on the chord, in half chords aft of mid-chord).";
inline constexpr std::string_view kSectionGyrationRadius =
    "r2 must be greater than x_theta squared (a positive radius of gyration about the centre of mass).";

// The nonlinear springs: the optional input group and its checks (with the
// section's kSectionRequired, kSectionNotFinite, kSectionNotPositive and
// kSectionNegative).
inline constexpr std::string_view kNonlinearCubicAndFreeplay =
    "a spring has a cubic term or freeplay, not both: {1} is not 0.";
inline constexpr std::string_view kNonlinearSpeedsOrder = "lco_V_end must be greater than lco_V_start.";
inline constexpr std::string_view kNonlinearCountOutside = "lco_count must be from 2 to 1000.";
inline constexpr std::string_view kNonlinearNeedsPk =
    "the limit-cycle sweep marches the state-space model of the p-k analysis: flutter_method must be 1 or 2.";
inline constexpr std::string_view kNonlinearNeedsComputedRoute =
    "the limit-cycle sweep needs computed aerodynamics (thin plate or Possio): w_star must not be 0.";

// The limit-cycle sweep.
inline constexpr std::string_view kNoLcoSweep =
    R"(( / "!!! No limit-cycle sweep: the flutter solution has no state-space model.", /))";

// Flutter solution: the console summary (only with the input group).
inline constexpr std::string_view kSummaryTitle = R"(( / " *** Flutter solution (", A, "):"))";
inline constexpr std::string_view kSummaryCritical =
    R"(("     ", A, ": onset of mode ", A, " at q =", 1PG13.6, " N/m2, u =", 1PG13.6, " m/s, f =", 1PG13.6, " Hz, k =", 1PG13.6))";
inline constexpr std::string_view kSummaryAgainst =
    R"x(("       (coefficients at w_star =", 1PG13.6, ", Ma =", 1PG13.6, ")"))x";
inline constexpr std::string_view kSummaryNoCritical = R"(("     ", A, ": no flutter onset in the sweep range"))";
inline constexpr std::string_view kSummaryDivergence =
    R"(("     divergence: q =", 1PG13.6, " N/m2, u =", 1PG13.6, " m/s"))";
inline constexpr std::string_view kSummarySectionPoint =
    R"(("       section: V = U/(b omega_theta) =", 1PG14.7, ", omega/omega_theta =", 1PG14.7, ", k =", 1PG14.7))";
inline constexpr std::string_view kSummarySectionDivergence = R"(("       section: V = U/(b omega_theta) =", 1PG14.7))";
inline constexpr std::string_view kSummaryNoDivergence = R"(("     divergence: none"))";
inline constexpr std::string_view kSummaryExternalDivergence =
    R"(("     divergence: not computed for external coefficients"))";
inline constexpr std::string_view kSummaryExternalPk =
    R"(("     p-k and matched point: external coefficients have no reduced frequency to change"))";
inline constexpr std::string_view kSummaryMatched =
    R"(("     matched point: q =", 1PG13.6, " N/m2, u =", 1PG13.6, " m/s, f =", 1PG13.6, " Hz, k =", 1PG13.6, ", Ma =", 1PG13.6))";
inline constexpr std::string_view kSummaryMatchedConverged = R"(("       converged after ", I3, " iterations"))";
inline constexpr std::string_view kSummaryMatchedStopped =
    R"(("!!!  matched point not converged after ", I3, " iterations: ", A))";
inline constexpr std::string_view kSummaryLastIterate = R"x(("       (the last iterate is reported, not converged)"))x";
inline constexpr std::string_view kSummaryEnd = R"((" "))";
inline constexpr std::string_view kStopNoPkOnset = "the p-k analysis has no flutter onset to start from.";
inline constexpr std::string_view kStopNoOnset = "an iterate's sweep has no flutter onset.";
inline constexpr std::string_view kStopMachOutside = "the Mach number left the aerodynamic route's domain.";
inline constexpr std::string_view kStopFrequencyOutside = "w_star left the aerodynamic route's domain.";
inline constexpr std::string_view kStopLimit = "the iteration limit was reached.";

// Time history.
inline constexpr std::string_view kReferenceFrequencyUndefined =
    R"(( / "!!! The time history needs a reference frequency, but neither structural frequency", /, "    is real and positive: check the masses and stiffnesses.", /))";
inline constexpr std::string_view kStopReferenceFrequency =
    "*** ZELVAN terminated due to undefined structural frequencies";

// Coupling report, operating point and applied matrices.
inline constexpr std::string_view kNoCoupling = R"(("    No strong coupling detected.         "))";
inline constexpr std::string_view kStrongCoupling = R"(("*** Strong coupling detected:      "))";
inline constexpr std::string_view kFrequencyMargin = R"(("    Frequency margin   ", F5.3, " Hz"))";
inline constexpr std::string_view kCouplingHeader =
    R"(( / "  f [Hz]", "  lambda", "   kappa", "    Y1_0", "    Y2_0"))";
inline constexpr std::string_view kCouplingRow = "(F8.3, F8.4, F8.2, 2F8.2, /)";
inline constexpr std::string_view kSecondRun = R"(( / "Second run with the ", "coupling frequency. ", / ))";
inline constexpr std::string_view kOperatingPointHeader =
    R"(( / " f [Hz] ", "rho[kg/m3]", "  x_ref[m]", " u0[m/s]", " Ma[-]", " omred", "     q0 ", "[N/m2]"))";
inline constexpr std::string_view kOperatingPointRow = "(F8.3, 2F10.2, F8.2, 2F6.3, F8.0, /)";
inline constexpr std::string_view kMatricesTitle = R"(( / " *** QR,QS matrices as eventually applied"))";
inline constexpr std::string_view kMatricesHead1 =
    R"(("     ", "    QR11    ", "     QS11   ", "    QR12    ", "     QS12   "))";
inline constexpr std::string_view kMatricesRow1 = "(5X, 4(1PG12.3))";
inline constexpr std::string_view kMatricesHead2 =
    R"(("     ", "    QR21    ", "     QS21   ", "    QR22    ", "     QS22   "))";
inline constexpr std::string_view kMatricesRow2 = "(5X, 4(1PG12.3), /)";

// Result files.
inline constexpr std::string_view kNoValidOs = R"(( / "!!! ZELVAN - ", "No valid OS found for output file", / ))";
inline constexpr std::string_view kStopWrongOptionPrefix = "!!! ZELVAN stopped due do wrong option ";
inline constexpr std::string_view kDataVariables =
    R"(("  Variables = ""t"", ""Y1"", ""Y2"", ""Y3"", ""Y4"", ""FouF"",  ""FouCY3"", ""FouPY3"", ""FouCY4"", ""FouPY4"", ""GenF1"", ""GenF2"",  ""RPart1"", ""RPart2"", ""SumP1"", ""SumP2"", ""SumPAll"" "))";
inline constexpr std::string_view kStateSpaceVariables =
    R"(("  Variables = ""t"", ""Y1"", ""Y2"", ""Y3"", ""Y4"", ""GenF1"", ""GenF2"" "))";
inline constexpr std::string_view kListingHeader =
    R"(( / 8X, "****** Results *******", 2/, "       t    ", "       y(1) ", "       y(2) ", "       y(3) ", "       y(4) "))";

// The command line, checked before any work.
inline constexpr std::string_view kUsageText =
    R"(Usage: zelvan [WIN|SGI|LNX [input-file]]
       zelvan --help | -h
       zelvan --version

Aeroelastic analysis of a two-dimensional lifting section (plunge and
pitch) in subsonic flow.  The run reads one fixed-column input file and
writes its result files into the working directory.

Arguments:
  WIN|SGI|LNX   the operating-system option, which selects the result files
                (WIN, the default, also writes the annotation file zelvan.itp);
                the lower-case forms count too, and only the first three
                characters are looked at.
  input-file    the input file, default zelvan.inp; used whole, however long.
  --help, -h    print this text and end.
  --version     print the version and end.
The records of the input file and the result files are explained in the
README of the program (README.md).

Environment:
  N=FILE        a listing channel N (record 21, listing_unit) other than 6
                writes to FILE; without the variable to FOR0NN (FOR007).
  ZELVAN_PLOT=0 do not draw the figures.

Exit status:
  0   the run ended normally (also --help and --version)
  1   a limit of the program (a stop line beginning "***" or "!!!")
  2   an input error: the input file, a template or the command line
  3   an error of the numerical library
  4   an output error: a result file could not be written
  5   another run is writing into the folder (one run at a time per folder)
  70  an internal error of the program
)";
inline constexpr std::string_view kVersionPrefix = "zelvan ";
inline constexpr std::string_view kUsageErrorPrefix = "!!! Usage error: ";
inline constexpr std::string_view kUnknownArgument = "unknown option \"{1}\".";
inline constexpr std::string_view kTooManyArguments =
    "{1} arguments given, but at most two are taken (option and input file).";
inline constexpr std::string_view kUsageHint = "    Try \"zelvan --help\".";
inline constexpr std::string_view kStopUsageError = "*** ZELVAN terminated due to a usage error";

// An input that is a file the run writes.
inline constexpr std::string_view kKindInputFile = "input file";
inline constexpr std::string_view kKindTemplate = "template file";
inline constexpr std::string_view kInputIsAResult =
    "the {1} \"{2}\" is the file \"{3}\" that this run writes; give the input another name.";
inline constexpr std::string_view kListingIsAnotherFile =
    "the listing file of channel {1}, \"{2}\", is the file \"{3}\" that this run reads or writes; "
    "name another file in the environment variable {1}.";

// Bounded work: the flutter sweep.
inline constexpr long long kMaxSweepSteps = 1000000;
inline constexpr std::string_view kTooManySweepSteps =
    "!!! The flutter sweep would take {1} steps (nstep + nextra + 1), but at most {2} are allowed.";
inline constexpr std::string_view kStopTooManySweepSteps = "*** ZELVAN terminated due to too many sweep steps";

// Warnings on results that cannot mean anything; the run goes on.
inline constexpr std::string_view kAliasedSpectrum =
    R"(( / "!!! The sampling rate npoints/|t_E - t_A| =", 1PG12.5, " 1/s is below twice the higher", /, "    structural frequency", 1PG12.5, " Hz: the spectrum is aliased.", /))";
inline constexpr std::string_view kShortTimeWindow =
    R"(( / "!!! The time window |t_E - t_A| =", 1PG12.5, " s is shorter than two periods of the lower", /, "    structural frequency", 1PG12.5, " Hz: the spectrum cannot resolve it.", /))";
inline constexpr std::string_view kGrowingResponse =
    R"(( / "!!! The displacement grows to more than 1e6 times its largest early value: the section", /, "    is unstable at this dynamic pressure (see the flutter table zelvan_fl.dat).", /))";

// The figures could not be drawn for a reason of the program itself.
inline constexpr std::string_view kFiguresFailed = "!!! No figures: ";
// Figure files of an earlier run that this run does not replace.
inline constexpr std::string_view kEarlierFiguresRemoved = "*** Figures of an earlier run removed:";

// An error of the numerical library that stops the run: first what the run
// was computing and with which input (written before the library's
// message, only when such an error happens), after the message the stop
// line.
inline constexpr std::string_view kNoteMassInverse =
    R"(( / "!!! While inverting the mass matrix [[M_1, S_m], [S_m, M_2]] of the input", /, "    (M_1 =", 1PG12.5, ", M_2 =", 1PG12.5, ", S_m =", 1PG12.5, "; singular when M_1*M_2 = S_m**2):"))";
// How the thin-plate coefficients' note (aero) names the run's reduced
// frequency; the flutter eigenproblem's note is the flutter module's.
inline constexpr std::string_view kThinPlateAtWStar = "w_star";
inline constexpr std::string_view kNoteTimeHistory =
    R"(( / "!!! While integrating the equations of motion from t =", 1PG12.5, " s to t =", 1PG12.5, " s", /, "    (tolerance =", 1PG12.5, ", integ_method =", I3, "; masses, dampings, stiffnesses, kappa, f_s, a_0, f_0):"))";
inline constexpr std::string_view kNoteStateSpaceHistory =
    R"(( / "!!! While integrating the state-space model (zelvan_ss.dat) from t =", 1PG12.5, " s to t =", 1PG12.5, " s", /, "    (tolerance =", 1PG12.5, ", integ_method =", I3, "; the fitted aerodynamics at f_s):"))";
inline constexpr std::string_view kNoteSpectrum =
    R"(( / "!!! While transforming the ", A, " history to its spectrum (npoints =", I6, "):"))";
inline constexpr std::string_view kPlungeDisplacement = "plunge displacement Y3";
inline constexpr std::string_view kPitchDisplacement = "pitch displacement Y4";
inline constexpr std::string_view kStopLibraryError = "*** ZELVAN terminated due to an error in the numerical library";

// Internal errors: a fault of the program itself, not of the case.
inline constexpr std::string_view kInternalError = "!!! ZELVAN internal error: ";
inline constexpr std::string_view kStopInternalError = "*** ZELVAN terminated due to an internal error";

}  // namespace zelvan::driver::msg
