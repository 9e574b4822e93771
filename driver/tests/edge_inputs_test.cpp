// Bad and edge inputs run end to end: the built program on the bundled
// example case with a few fields changed (or a file of the case folder
// replaced), each against the outcome docs/edge-inputs.md gives for it:
// the exit status, the message, the files left in the folder and the
// report of which of them are complete.  Rows of that table that other
// tests run already are not repeated here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string>
#include <vector>

#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

const fs::path kExamples = fs::path(ZELVAN_SOURCE_DIR) / "examples";
const std::vector<std::string> kInputs{"zelvan.inp", "zelvan.lay0", "zelvan.sty0"};

// A field of examples/zelvan.inp: its line, its first and last column, and
// a name the comment after it holds (a guard against a changed example).
struct Field {
  std::size_t line, first, last;
  const char* name;
};

constexpr Field kTA{1, 1, 10, "t_A"}, kTE{2, 1, 10, "t_E"}, kNpoints{3, 1, 10, "npoints"}, kY01{6, 1, 10, "Y_0_1"},
    kM1{8, 1, 10, "M_1"}, kM2{9, 1, 10, "M_2"}, kSm{10, 1, 10, "S_m"}, kK1{13, 1, 10, "K_1"}, kK2{14, 1, 10, "K_2"},
    kTolerance{19, 1, 10, "tolerance"}, kMethod{20, 1, 10, "integ_method"}, kFs{23, 1, 10, "f_s"},
    kWStar{23, 13, 22, "w_star"}, kMa{23, 37, 46, "Ma"}, kRho{26, 1, 10, "rho"}, kNstep{28, 1, 10, "nstep"},
    kXp{23, 25, 34, "x_p"}, kD1{11, 1, 10, "D_1"}, kTitle{1, 31, 70, "title"};

struct Edit {
  Field field;
  const char* value;  // written right-aligned into the field
};

struct EdgeCase {
  const char* label;
  std::vector<Edit> edits;
  std::string prepare;  // shell commands run in the folder first ("": none)
  int status;
  std::vector<std::string> console;  // texts the console report holds
  std::vector<std::string> files;    // the output files left in the folder, sorted
  std::string report;                // the file report that ends the console ("": none)
  std::string file = {}, text = {};  // a text that output file holds ("": not checked)
};

void PrintTo(const EdgeCase& c, std::ostream* os) { *os << c.label; }

// Whether `text` holds a word nan, inf or infinity (any case): a value that
// is not a number must never reach a file or the console as one.
bool holds_non_finite_word(const std::string& text) {
  std::string word;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : ' ';
    if (std::isalpha(static_cast<unsigned char>(c)) != 0) {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      continue;
    }
    if (word == "nan" || word == "inf" || word == "infinity") return true;
    word.clear();
  }
  return false;
}

class EdgeInput : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(EdgeInput, EndsWithItsStatusMessageAndFiles) {
  const EdgeCase& c = GetParam();
  ScratchDir dir;
  std::vector<std::string> lines = lines_of(read_file(kExamples / "zelvan.inp"));
  for (const Edit& e : c.edits) {
    ASSERT_LE(e.field.line, lines.size());
    std::string& line = lines[e.field.line - 1];
    ASSERT_NE(line.find(e.field.name, e.field.last), std::string::npos)
        << "line " << e.field.line << " of the example no longer holds " << e.field.name;
    line = place(line, e.field.first, right(e.value, e.field.last - e.field.first + 1));
  }
  write_file(dir / "zelvan.inp", join(lines));
  fs::copy_file(kExamples / "zelvan.lay0", dir / "zelvan.lay0");
  fs::copy_file(kExamples / "zelvan.sty0", dir / "zelvan.sty0");

  const ShellRun run =
      run_in_shell("cd '" + dir.path().string() + "' && " + (c.prepare.empty() ? "" : c.prepare + " && ") +
                   "'" ZELVAN_EXECUTABLE "' LNX zelvan.inp");
  EXPECT_EQ(run.status, c.status) << run.output;
  for (const std::string& text : c.console)
    EXPECT_NE(run.output.find(text), std::string::npos) << text << "\n" << run.output;
  if (c.report.empty()) {
    EXPECT_EQ(run.output.find("*** Result files"), std::string::npos) << run.output;
  } else {
    EXPECT_TRUE(run.output.ends_with(c.report)) << run.output;
  }
  EXPECT_FALSE(holds_non_finite_word(run.output)) << run.output;

  std::vector<std::string> outputs;
  for (const std::string& name : dir.entries())
    if (std::find(kInputs.begin(), kInputs.end(), name) == kInputs.end()) outputs.push_back(name);
  EXPECT_EQ(outputs, c.files);
  for (const std::string& name : outputs) {
    if (fs::is_regular_file(dir / name)) {
      EXPECT_FALSE(holds_non_finite_word(read_file(dir / name))) << name;
    }
  }
  if (!c.file.empty()) {
    EXPECT_NE(read_file(dir / c.file).find(c.text), std::string::npos) << c.file;
  }
}

// The file report of a stopped run: nothing was replaced, and the results
// it had computed.
const std::string kNothingReplaced =
    "*** No result file was replaced: the folder holds what it held before this run.\n";
std::string computed(std::initializer_list<const char*> names) {
  std::string text = kNothingReplaced + "*** Results this run had computed, not put in place:";
  for (const char* name : names) text += std::string("\n    ") + name;
  return text + "\n";
}

const std::vector<std::string> kNoFile{};
const std::vector<std::string> kAllFiles{"zelvan.dat",    "zelvan.gp",          "zelvan.lay",          "zelvan.sty",
                                         "zelvan_fl.dat", "zelvan_flutter.dat", "zelvan_flutter.json", "zelvan_ss.dat"};
// Every file but the state-space history: the run has no state-space model
// (no structural frequency, coefficients from the input, no air).
const std::vector<std::string> kFilesWithoutStateSpace(kAllFiles.begin(), kAllFiles.end() - 1);
// A stop after the flutter analysis: its three files were computed.
const std::string kFlutterTableComputed = computed({"zelvan_fl.dat", "zelvan_flutter.dat", "zelvan_flutter.json"});

const std::string kUndefinedFrequencies =
    "\n!!! The structural frequencies are not real and positive: check the masses and stiffnesses.\n";
const std::string kNoReferenceFrequency =
    "\n!!! The time history needs a reference frequency, but neither structural frequency\n"
    "    is real and positive: check the masses and stiffnesses.\n\n"
    "*** ZELVAN terminated due to undefined structural frequencies\n";
const std::string kIllConditioned = " *** WARNING  ERROR 1 from DLINRG.  The matrix is too ill-conditioned.";
const std::string kCorrectorFailure = " *** FATAL    ERROR 7 from DIVPAG.  Integration halted after failing to\n";
const std::string kZeroTolerance =
    " *** TERMINAL ERROR 8 from DI2PAG.  The tolerance TOL =\n"
    " ***          0.000000000000000D+00.  It must be greater than zero.\n";
const std::string kLibraryStop = "\n*** ZELVAN terminated due to an error in the numerical library\n";
const std::string kPossioLine = "\n>>> Aerodynamic loads from 2D Possio integral equation \n";
const std::string kInputStop = "\n*** ZELVAN terminated due to an input error\n";
const std::string kOutputStop = "\n*** ZELVAN terminated due to an output error\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, EdgeInput,
    ::testing::Values(
        // Masses and stiffnesses.
        // A zero mass leaves the other frequency as the reference; the
        // equations then have no mass on that degree of freedom.
        EdgeCase{"ZeroPlungeMass",
                 {{kM1, "0.0"}},
                 "",
                 3,
                 {kUndefinedFrequencies, kCorrectorFailure},
                 kNoFile,
                 kFlutterTableComputed},
        EdgeCase{"NegativePlungeMass", {{kM1, "-5.0"}}, "", 0, {kUndefinedFrequencies}, kAllFiles, ""},
        // Neither frequency exists: no reference frequency for the time history.
        EdgeCase{"NegativeStiffnesses",
                 {{kK1, "-4000.0"}, {kK2, "-180.0"}},
                 "",
                 1,
                 {kUndefinedFrequencies, kNoReferenceFrequency},
                 kNoFile,
                 kFlutterTableComputed},
        EdgeCase{"HugePlungeMass", {{kM1, "1.0E30"}}, "", 0, {kIllConditioned}, kAllFiles, ""},
        // No mass at all: the library's message between the note of what
        // failed and the stop line.
        EdgeCase{"ZeroMasses",
                 {{kM1, "0.0"}, {kM2, "0.0"}, {kSm, "0.0"}},
                 "",
                 3,
                 {"\n>>> Aerodynamic loads from 2D thin plate theory. \n\n\n"
                  "!!! While inverting the mass matrix [[M_1, S_m], [S_m, M_2]] of the input\n"
                  "    (M_1 = 0.00000E+00, M_2 = 0.00000E+00, S_m = 0.00000E+00; singular when M_1*M_2 = S_m**2):\n"
                  "\n"
                  " *** FATAL    ERROR 2 from DLINRG.  The input matrix is singular.  Some of\n"
                  " ***          the diagonal elements of the upper triangular matrix U of the\n"
                  " ***          LU factorization are close to zero.\n" +
                  kLibraryStop},
                 kNoFile,
                 ""},
        // No strong coupling: the operating point has a coupling frequency of 0.
        EdgeCase{"ZeroPlungeStiffness",
                 {{kK1, "0.0"}},
                 "",
                 0,
                 {kUndefinedFrequencies, "    No strong coupling detected.",
                  "\n   0.000      1.20      0.50   12.91 0.050 0.000    100.\n"},
                 kFilesWithoutStateSpace,
                 ""},
        EdgeCase{"NegativePlungeStiffness",
                 {{kK1, "-4000.0"}},
                 "",
                 0,
                 {kUndefinedFrequencies, " frq2 = ************\n"},
                 kFilesWithoutStateSpace,
                 "",
                 "zelvan.dat",
                 "\n#       2048************     0.01000"},
        // The stop leaves no flutter table; the asterisks of values too
        // wide for their fields are the record writer's (textio tests).
        EdgeCase{"HugePlungeStiffness", {{kK1, "1.0E30"}}, "", 3, {kCorrectorFailure}, kNoFile, kFlutterTableComputed},
        EdgeCase{"NearlySingularMassMatrix",
                 {{kM1, "1.0"}, {kM2, "1.0E-17"}, {kSm, "0.0"}},
                 "",
                 3,
                 {kIllConditioned, " *** FATAL    ERROR 6 from DIVPAG."},
                 kNoFile,
                 kFlutterTableComputed},

        // Sweep and time points.
        EdgeCase{"NegativeSweepSteps",
                 {{kNstep, "-2"}},
                 "",
                 0,
                 {"\n Eigenvalues and eigenvectors (full system):\n"},
                 {"zelvan.dat", "zelvan.gp", "zelvan.lay", "zelvan.sty"},
                 ""},
        EdgeCase{"NoTimePoints",
                 {{kNpoints, "0"}},
                 "",
                 1,
                 {"\n!!! At least one time point is needed:           0\n\n*** ZELVAN terminated due to npoints < 1\n"},
                 kNoFile,
                 ""},
        EdgeCase{"NegativeTimePoints",
                 {{kNpoints, "-5"}},
                 "",
                 1,
                 {"\n!!! At least one time point is needed:          -5\n"},
                 kNoFile,
                 ""},
        EdgeCase{"LargestNumberOfTimePoints",
                 {{kNpoints, "10001"}},
                 "",
                 0,
                 {},
                 kAllFiles,
                 "",
                 "zelvan.dat",
                 "\n  Zone I = 10001, F=Point \n"},
        EdgeCase{"EndTimeEqualToStartTime",
                 {{kTE, "0.0"}},
                 "",
                 1,
                 {"\n!!! The time history needs t_E different from t_A, but both are  0.00000E+00\n\n"
                  "*** ZELVAN terminated due to t_E = t_A\n"},
                 kNoFile,
                 ""},
        EdgeCase{"EndTimeBeforeStartTime",
                 {{kTE, "-8.0"}},
                 "",
                 0,
                 {},
                 kAllFiles,
                 "",
                 "zelvan.lay",
                 "\n   RANGEMAX =     -8.000"},
        EdgeCase{"TimeAxisTooWideForItsField",
                 {{kTA, "999992.0"}, {kTE, "1.0E6"}},
                 "",
                 0,
                 {},
                 kAllFiles,
                 "",
                 "zelvan.lay",
                 "\n   RANGEMAX = **********"},

        // Integrator settings.
        EdgeCase{"ZeroTolerance",
                 {{kTolerance, "0.0"}},
                 "",
                 3,
                 {"\n!!! While integrating the equations of motion from t = 0.00000E+00 s to t = 3.90816E-03 s\n"
                  "    (tolerance = 0.00000E+00, integ_method =  2; masses, dampings, stiffnesses, kappa, f_s, a_0, "
                  "f_0):\n\n" +
                      kZeroTolerance,
                  "     USER                                 0           0\n" + kLibraryStop},
                 kNoFile,
                 kFlutterTableComputed},
        EdgeCase{"NegativeTolerance",
                 {{kTolerance, "-1.0E-6"}},
                 "",
                 3,
                 {" *** TERMINAL ERROR 8 from DI2PAG.  The tolerance TOL =\n"},
                 kNoFile,
                 kFlutterTableComputed},
        EdgeCase{"ToleranceBelowRounding",
                 {{kTolerance, "1.0E-300"}},
                 "",
                 3,
                 {" *** FATAL    ERROR 5 from DIVPAG.  After some initial success, the\n"},
                 kNoFile,
                 kFlutterTableComputed},
        EdgeCase{"MethodZeroTakesTheIntegratorsDefault", {{kMethod, "0"}}, "", 0, {}, kAllFiles, ""},
        EdgeCase{"MethodThree",
                 {{kMethod, "3"}},
                 "",
                 3,
                 {" *** TERMINAL ERROR 4 from DIVPAG.  The method indicator METH = PARAM(12)\n"},
                 kNoFile,
                 kFlutterTableComputed},
        EdgeCase{"NegativeMethod",
                 {{kMethod, "-1"}},
                 "",
                 3,
                 {" *** TERMINAL ERROR 3 from DIVPAG.  The optional parameter PARAM(12) = \n"},
                 kNoFile,
                 kFlutterTableComputed},
        EdgeCase{"IntervalNeedingTooManyIntegrationSteps",
                 {{kTE, "1.0E6"}, {kNpoints, "1"}},
                 "",
                 3,
                 {" *** FATAL    ERROR 3 from DIVPAG.  Maximum number of steps allowed,\n"
                  " ***          1000000, have been used."},
                 kNoFile,
                 kFlutterTableComputed},

        // Aerodynamic route.
        EdgeCase{"TinyWStarSelectsTheExternalCoefficients",
                 {{kWStar, "1.0E-11"}},
                 "",
                 0,
                 {"\n>>> Aerodynamic loads from external coefficients. \n"},
                 kFilesWithoutStateSpace,
                 ""},
        EdgeCase{"NegativeWStarOnTheThinPlateRoute",
                 {{kWStar, "-0.3"}},
                 "",
                 1,
                 {"\n!!! Thin plate theory needs w_star > 0, but w_star = -0.30000    \n\n"
                  "*** ZELVAN terminated due to w_star < 0\n"},
                 kNoFile,
                 ""},
        EdgeCase{"HugeWStarOnTheThinPlateRoute",
                 {{kWStar, "1.0E6"}},
                 "",
                 3,
                 {kCorrectorFailure},
                 kNoFile,
                 kFlutterTableComputed},
        EdgeCase{"WStarBeyondTheBesselFunctions",
                 {{kWStar, "1.0E20"}},
                 "",
                 3,
                 {"\n!!! While computing the thin-plate coefficients (Bessel functions of k) at w_star = "
                  "1.00000E+20, x_p = 0.35000    :\n\n *** FATAL    ERROR 2 from DBSJ0.  All precision is lost.",
                  kLibraryStop},
                 kNoFile,
                 ""},
        EdgeCase{"HugeWStarOnThePossioRoute",
                 {{kWStar, "100.0"}, {kMa, "0.5"}},
                 "",
                 1,
                 {"\n!!! Possio integral equation: reduced frequency   100.00     at Mach number  0.50000    \n",
                  "\n*** ZELVAN terminated due to an error in the Possio solver\n"},
                 kNoFile,
                 ""},
        EdgeCase{"PossioRouteStoppedInTheTimeHistory",
                 {{kMa, "0.5"}, {kTolerance, "0.0"}},
                 "",
                 3,
                 {kPossioLine, kZeroTolerance},
                 kNoFile,
                 computed({"possio_sub.out", "zelvan_fl.dat", "zelvan_flutter.dat", "zelvan_flutter.json"})},
        // Nothing was replaced: the folder holds no result.
        EdgeCase{"DynamicPressureBeyondTheEigenSolver",
                 {{kFs, "1.0E308"}},
                 "",
                 3,
                 {"\n!!! While solving the flutter eigenproblem inv(M)*(K + q*Q) at q = 5.00000+306 N/m2\n"
                  "    (M and K from M_1, M_2, S_m, K_1, K_2, K_m; Q the aerodynamic coefficients QR + i*QS):\n\n"
                  " *** FATAL    ERROR 1 from DEVCCG.  The iteration for the eigenvalues did\n"
                  " ***          not converge.\n" +
                  kLibraryStop},
                 kNoFile,
                 kNothingReplaced},
        // The coefficients overflow: the eigen-solver refuses the matrix
        // instead of balancing it for ever.
        EdgeCase{"PitchAxisBeyondTheEigenSolver",
                 {{kXp, "1.0E160"}},
                 "",
                 3,
                 {" *** TERMINAL ERROR 3 from DEVCCG.  The entry A(1,2) of the input matrix\n"
                  " ***          is not a finite number.  Every entry must be finite.\n"},
                 kNoFile,
                 kNothingReplaced},
        EdgeCase{"SweepStepsBeyondTheLimit",
                 {{kNstep, "2000000000"}},
                 "",
                 1,
                 {"\n!!! The flutter sweep would take 2000000011 steps (nstep + nextra + 1), but at most 1000000 are "
                  "allowed.\n\n*** ZELVAN terminated due to too many sweep steps\n"},
                 kNoFile,
                 ""},
        // u0 = sqrt(2 q / rho) is infinite.
        EdgeCase{"ZeroAirDensity",
                 {{kRho, "0.0"}},
                 "",
                 0,
                 {"\n   4.500      0.00      0.50******** 0.050 0.000    100.\n"},
                 kFilesWithoutStateSpace,
                 "",
                 "zelvan_fl.dat",
                 "\n        5.00************     7.63321"},

        // Extreme values.
        EdgeCase{"LargestDoubleAsInitialDisplacement",
                 {{kY01, "1.0E308"}},
                 "",
                 3,
                 {kCorrectorFailure},
                 kNoFile,
                 kFlutterTableComputed},
        EdgeCase{"InitialDisplacementBeyondDoubleRange",
                 {{kY01, "1.0E309"}},
                 "",
                 2,
                 {"\n!!! Input error: file \"zelvan.inp\", line 6, columns 1-10 (record 6 (Y_0_1)): \"   1.0E309\" is "
                  "beyond the range of double precision numbers.\n" +
                  kInputStop},
                 kNoFile,
                 ""},

        // Files of the case folder.
        EdgeCase{"MissingStyleTemplate",
                 {},
                 "rm zelvan.sty0",
                 0,
                 {"\n!!! The template file \"zelvan.sty0\" does not exist; the bundled default style template is "
                  "used.\n"},
                 kAllFiles,
                 "",
                 "zelvan.sty",
                 "   TEXT = \"Parameters: \\nY_0_1 =  0.01 m"},
        // Found when the result files are opened, after the whole analysis.
        EdgeCase{"LayoutTemplateThatIsAFolder",
                 {},
                 "rm zelvan.lay0 && mkdir zelvan.lay0",
                 2,
                 {"\n!!! Input error: \"zelvan.lay0\" is a directory, not an input file.\n" + kInputStop},
                 kNoFile,
                 kFlutterTableComputed},
        EdgeCase{"PossioListingThatIsAFolder",
                 {{kMa, "0.5"}},
                 "mkdir possio_sub.out",
                 4,
                 {"\n!!! Output error: cannot create the file \"possio_sub.out\": Is a directory.\n" + kOutputStop},
                 {"possio_sub.out"},
                 ""},
        EdgeCase{"FullDiskUnderTheFlutterTable",
                 {},
                 "ln -s /dev/full zelvan_fl.dat",
                 4,
                 {"\n!!! Output error: the file \"zelvan_fl.dat\" could not be written completely: No space left on "
                  "device.\n" +
                  kOutputStop},
                 {"zelvan_fl.dat"},  // the link to the device
                 kNothingReplaced},

        // Invisible characters and files that are not line-structured text.
        EdgeCase{"InputWithoutLineEnds",
                 {},
                 "rm zelvan.inp && ln -s /dev/zero zelvan.inp",
                 2,
                 {"\n!!! Input error: file \"zelvan.inp\", line 1 is longer than 1024 characters.\n" + kInputStop},
                 kNoFile,
                 ""},
        EdgeCase{"ByteOrderMarkAtTheStart",
                 {},
                 "printf '\\357\\273\\277' | cat - zelvan.inp > bom.tmp && mv bom.tmp zelvan.inp",
                 0,
                 {},
                 kAllFiles,
                 ""},
        EdgeCase{"TabInAField",
                 {{kM1, "\t5.0"}},
                 "",
                 2,
                 {"\n!!! Input error: file \"zelvan.inp\", line 8, columns 1-10 (record 8 (M_1)): a tab character at "
                  "column 7; write blanks instead.\n" +
                  kInputStop},
                 kNoFile,
                 ""},
        EdgeCase{
            "LinesEndingInCarriageReturnOnly",
            {},
            "tr '\\n' '\\r' < zelvan.inp > cr.tmp && mv cr.tmp zelvan.inp",
            2,
            {"\n!!! Input error: file \"zelvan.inp\", line 1: lines end in CR only; convert the file to LF or CR LF "
             "line ends.\n" +
             kInputStop},
            kNoFile,
            ""},
        EdgeCase{"DoubleQuoteInTheTitle",
                 {{kTitle, "Wing \"A\", thin plate"}},
                 "",
                 0,
                 {},
                 kAllFiles,
                 "",
                 "zelvan.dat",
                 "  Title = \"Wing 'A', thin plate\"\n"},

        // Warnings: the run goes on.
        EdgeCase{"SamplingBelowTwiceTheHigherFrequency",
                 {{kNpoints, "100"}},
                 "",
                 0,
                 {"\n!!! The sampling rate npoints/|t_E - t_A| =  12.500     1/s is below twice the higher\n"
                  "    structural frequency  7.6970     Hz: the spectrum is aliased.\n"},
                 kAllFiles,
                 ""},
        EdgeCase{"TimeWindowShorterThanTwoPeriods",
                 {{kTE, "0.3"}},
                 "",
                 0,
                 {"\n!!! The time window |t_E - t_A| = 0.30000     s is shorter than two periods of the lower\n"
                  "    structural frequency  4.4715     Hz: the spectrum cannot resolve it.\n"},
                 kAllFiles,
                 ""},
        EdgeCase{"GrowingResponse",
                 {{kD1, "-50.0"}},
                 "",
                 0,
                 {"\n!!! The displacement grows to more than 1e6 times its largest early value: the section\n"
                  "    is unstable at this dynamic pressure (see the flutter table zelvan_fl.dat).\n"},
                 kAllFiles,
                 ""}),
    ByLabel{});

}  // namespace
}  // namespace zelvan::driver
