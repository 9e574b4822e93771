// The figure script run by the real gnuplot on small result files written
// for the tests in the layouts of the program's files.  gnuplot's table
// mode (set table) writes every point it would draw, with its type: "i" a
// point drawn, "u" a point left out; so the tests see what each figure
// draws without reading pixels.
#include "plot/gnuplot_script.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "plot/tests/plot_test_support.hpp"

namespace zelvan::plot {
namespace {

using namespace zelvan::plot::test_support;

// Values compared after gnuplot printed them with six significant digits.
constexpr double kPrintedDigits = 1e-5;

// One drawn point: x, y and gnuplot's type letter.  Table mode writes x
// with the axis' tic format, so a panel whose x tic labels are hidden (all
// panels but the lowest of a figure) gives no x: NaN.
struct Point {
  double x = 0.0, y = 0.0;
  char type = 'i';
};

// The curves of a table file in the order drawn, each with its title, up
// to the second pass (the PDF pass draws every figure again).
class Curves {
 public:
  explicit Curves(const std::string& table) {
    std::istringstream in(table);
    std::string line;
    // Each curve begins with "# Curve N of M"; one with a title has a
    // "# Curve title" line next.
    const std::string kCurve = "# Curve ";
    const std::string kTitle = "# Curve title: \"";
    while (std::getline(in, line)) {
      if (line.rfind(kTitle, 0) == 0) {
        const std::string title = line.substr(kTitle.size(), line.size() - kTitle.size() - 1);
        if (curves_.size() > 1 && title == curves_.front().first) {
          curves_.pop_back();
          break;
        }
        curves_.back().first = title;
        continue;
      }
      if (line.rfind(kCurve, 0) == 0) {
        curves_.emplace_back("", std::vector<Point>{});
        continue;
      }
      if (curves_.empty() || line.empty() || line[0] == '#') continue;
      std::istringstream fields(line);
      std::vector<std::string> words;
      for (std::string word; fields >> word;) words.push_back(word);
      if (words.size() == 2) words.insert(words.begin(), "nan");
      if (words.size() < 3) continue;
      // strtod: a value below the normal range (the edge of an axis) reads as what it is.
      curves_.back().second.push_back(
          {std::strtod(words[0].c_str(), nullptr), std::strtod(words[1].c_str(), nullptr), words[2][0]});
    }
  }
  // How many curves have this title.
  std::size_t count(const std::string& title) const {
    return static_cast<std::size_t>(
        std::count_if(curves_.begin(), curves_.end(), [&](const auto& c) { return c.first == title; }));
  }
  // The points of the `nth` curve (from 0) with this title.
  const std::vector<Point>& at(const std::string& title, std::size_t nth = 0) const {
    for (const auto& c : curves_) {
      if (c.first == title && nth-- == 0) return c.second;
    }
    throw std::out_of_range("no curve \"" + title + "\"");
  }

 private:
  std::vector<std::pair<std::string, std::vector<Point>>> curves_;
};

// "%14.5E" (1PE14.5) or asterisks for NaN: a field of zelvan.dat.
std::string field(double x, int width, int decimals) {
  if (std::isnan(x)) return std::string(static_cast<std::size_t>(width), '*');
  char text[32];
  std::snprintf(text, sizeof text, "%*.*E", width, decimals, x);
  return text;
}

// zelvan.dat with `records` records; record 2 holds asterisks for Y3,
// right after a Y2 field that fills its width to the last character;
// record 4 holds a Y4 whose exponent of three digits stands without E.
std::string data_file(int records) {
  std::string text =
      "  Title = \"fixture\"\n  Variables = \"t\", \"Y1\"\n  Zone I =     8, F=Point \n"
      "#          8     4.00000     0.01000     7.00000     0.01000\n"
      "#          0     4.00000     0.10000     7.00000     0.10000\n";
  for (int r = 0; r < records; ++r) {
    for (int n = 1; n <= 17; ++n) {
      double x = r + n / 100.0;  // record r, field n
      if (n == 6) x = r * 0.5;   // frequency of the spectral line
      if (r == 2 && n == 4) x = std::nan("");
      text += (r == 4 && n == 5) ? "   1.50000-100" : field(x, 14, 5);
    }
    text += '\n';
  }
  return text;
}

// zelvan_fl.dat: 4 header lines, rows of 17 fields of 12 characters; the
// g1 field of row 1 is asterisks.
std::string table_file(int rows) {
  std::string text = "\n        ****** Flutter Limits  *******\n\n q0 [N/m**2]    u0 [m/s]\n";
  for (int r = 0; r < rows; ++r) {
    for (int n = 1; n <= 17; ++n) {
      const double x = (r == 1 && n == 5) ? std::nan("") : 10.0 * r + n / 100.0;
      text += field(x, 12, 4);
    }
    text += '\n';
  }
  return text;
}

// A tracked-mode row of zelvan_flutter.dat: q, u, then per mode f, d, g, k
// (14 characters each) and the mode column (I4); a column 0 marks a mode
// without a value (asterisks).
std::string solution_row(double q, double u, double f1, double g1, int column1, double f2, double g2, int column2) {
  const auto mode = [](double f, double g, int column) {
    const double nan = std::nan("");
    const bool none = column == 0;
    char number[8];
    std::snprintf(number, sizeof number, "%4d", column);
    return field(none ? nan : f, 14, 6) + field(none ? nan : -g * f / 6.28, 14, 6) + field(none ? nan : g, 14, 6) +
           field(none ? nan : 0.1 * f, 14, 6) + number;
  };
  return field(q, 14, 6) + field(u, 14, 6) + mode(f1, g1, column1) + mode(f2, g2, column2) + "\n";
}

// zelvan_flutter.dat in the agreed layout: "#" header, five blocks each
// with a caption and a column-label line, two blank lines between blocks,
// summary lines at the end.  The p-k speeds are those of the sweep plus
// 0.5 m/s, so that a curve shows which block it came from.
std::string solution_file(bool sweep_crossings, bool pk) {
  std::string text =
      "# ZELVAN flutter solution: fixture\n# route: thin plate\n# f_0_1 = 4.0 Hz, f_0_2 = 7.0 Hz\n"
      "# d [1/s]: decay rate, g [-]: logarithmic decrement, k [-]: reduced frequency\n";
  text += "# Sweep, tracked modes\n#  q  u  f d g k column  f d g k column\n";
  for (int i = 1; i <= 6; ++i) {
    text += solution_row(10.0 * i, 2.0 * i, 4.0 + 0.1 * i, 0.1 - 0.03 * i, 2, 7.0 - 0.1 * i, 0.05 * i, 1);
  }
  text += "\n\n# Sweep, crossings\n# kind mode q u f d k |ratio| phase\n";
  if (sweep_crossings)
    text += " onset  f_0_1   3.50E+01   8.40E+00   4.35E+00   0.0E+00   0.1E+00   1.2E+00  -20.0\n";
  else
    text += "# none\n";
  text += "\n\n# p-k analysis, tracked modes\n#  q  u  f d g k column  f d g k column\n";
  if (pk) {
    for (int i = 1; i <= 6; ++i) {
      text += solution_row(10.0 * i, 2.0 * i + 0.5, 4.2, 0.2 - 0.05 * i, i == 4 ? 0 : 2, 6.5, 0.1 * i, 1);
    }
  } else {
    text += "# none\n";
  }
  text += "\n\n# p-k analysis, crossings\n# kind mode q u f d k |ratio| phase\n# none\n";
  text += "\n\n# Matched point\n# iteration w_star Ma q u f k\n# none\n";
  text += "# critical crossing: onset f_0_1 at q = 35.0\n";
  return text;
}

FigureScript fixture_figures() {
  FigureScript f;
  // The layouts of the program's files: 5 header lines and 17 fields of 14
  // characters, 4 and 17 of 12, the tracked-mode rows of 14 and 4.
  f.data_file = "zelvan.dat";
  f.data_columns = {5, std::vector<int>(17, 14)};
  f.table_columns = {4, std::vector<int>(17, 12)};
  f.solution_widths = {14, 14, 14, 14, 14, 14, 4, 14, 14, 14, 14, 4};
  f.records = 8;
  f.spectral_lines = 4;
  f.parameters.title = "fixture";
  f.parameters.t_A = 0.0;
  f.parameters.t_E = 8.0;
  f.parameters.f_0_1 = 4.0;
  f.parameters.f_0_2 = 7.0;
  f.flutter_table = "zelvan_fl.dat";
  f.flutter_rows = 3;
  return f;
}

// Writes the script and the result files of `f` into the working folder,
// runs gnuplot on it in table mode (every point into points.txt, after
// `extra` commands set before the script) and returns gnuplot's exit
// status and its messages.
struct GnuplotResult {
  int status = -1;
  std::string messages;
};
GnuplotResult run_script(const FigureScript& f, const std::string& after = "", bool table = true) {
  {
    std::ofstream script("zelvan.gp", std::ios::binary);
    write_gnuplot_script(script, f);
  }
  std::string command = "gnuplot";
  if (table) command += " -e \"set table 'points.txt'\"";
  command += " zelvan.gp";
  if (!after.empty()) command += " -e \"" + after + "\"";
  command += " > messages.txt 2>&1";
  const int wait_status = std::system(command.c_str());
  return {WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1, read_file("messages.txt")};
}

void write_text(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

class GnuplotScript : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("gnuplot --version > /dev/null 2>&1") != 0) {
      FAIL() << "gnuplot is not installed (scripts/test.sh installs gnuplot-nox)";
    }
    write_text("zelvan.dat", data_file(8));
    write_text("zelvan_fl.dat", table_file(3));
  }
  ScratchWorkingDir dir_;
};

TEST_F(GnuplotScript, CutsFixedColumnsSkipsHeaderLinesAndLeavesOutAsteriskFields) {
  const GnuplotResult result = run_script(fixture_figures());
  ASSERT_EQ(result.status, 0) << result.messages;
  const Curves curves(read_file("points.txt"));

  // Every record and no header line; the asterisks of record 2 are left
  // out, not drawn as zero, and the field after them is still read in its
  // own columns.
  const std::vector<Point>& plunge = curves.at("plunge displacement");
  ASSERT_EQ(plunge.size(), 8u);
  for (int r = 0; r < 8; ++r) {
    const Point& p = plunge[static_cast<std::size_t>(r)];
    if (r == 2) {
      EXPECT_EQ(p.type, 'u');
    } else {
      EXPECT_EQ(p.type, 'i') << r;
      EXPECT_NEAR(p.y, r + 0.04, kPrintedDigits) << r;
    }
  }
  EXPECT_NEAR(curves.at("pitch displacement")[2].y, 2.05, kPrintedDigits);
  EXPECT_NEAR(curves.at("pitch displacement")[4].y / 1.5e-100, 1.0, kPrintedDigits);
  EXPECT_NEAR(curves.at("pitch velocity Y2")[5].x, 5.01, kPrintedDigits);  // t in field 1
  EXPECT_NEAR(curves.at("pitch velocity Y2")[5].y, 5.03, kPrintedDigits);

  // The spectra use the analysed lines only: frequency in field 6.
  ASSERT_EQ(curves.at("plunge displacement Y3").size(), 4u);
  EXPECT_NEAR(curves.at("plunge displacement Y3")[3].y, 3.08, kPrintedDigits);
  const std::vector<Point>& spectrum = curves.at("pitch displacement Y4");
  ASSERT_EQ(spectrum.size(), 4u);
  EXPECT_NEAR(spectrum[3].x, 1.5, kPrintedDigits);
  EXPECT_NEAR(spectrum[3].y, 3.1, kPrintedDigits);

  // The flutter table: u in field 2, g1 in field 5 (asterisks in row 1).
  const std::vector<Point>& g1 = curves.at("mode 1 (g1)");
  ASSERT_EQ(g1.size(), 3u);
  EXPECT_NEAR(g1[2].y, 20.05, kPrintedDigits);
  EXPECT_EQ(g1[1].type, 'u');
  EXPECT_NEAR(curves.at("mode 2 (g2)")[1].y, 10.08, kPrintedDigits);
  EXPECT_NEAR(curves.at("mode 2 (f2)")[1].x, 10.02, kPrintedDigits);
  EXPECT_NEAR(curves.at("mode 2 (f2)")[1].y, 10.06, kPrintedDigits);
}

TEST_F(GnuplotScript, KeepsATitleWithBothQuoteKindsAndTextMarkupAsItIs) {
  FigureScript f = fixture_figures();
  const std::string title = "It's a \"test\": a_0^2 {x} @ & \\n";
  f.parameters.title = title;
  const GnuplotResult result = run_script(f, "print case_title", false);
  ASSERT_EQ(result.status, 0) << result.messages;
  // The last line gnuplot printed (after any warning) is the title.
  EXPECT_TRUE(("\n" + result.messages).ends_with("\n" + title + "\n")) << result.messages;
}

TEST_F(GnuplotScript, WithoutAFlutterTableDrawsNoFlutterFigure) {
  FigureScript f = fixture_figures();
  f.flutter_table.clear();
  EXPECT_EQ(figure_files(f),
            (std::vector<std::string>{"zelvan-time.png", "zelvan-spectrum.png", "zelvan-phase.png", "zelvan.pdf"}));
  EXPECT_EQ(pdf_pages(f), 4);
  std::filesystem::remove("zelvan_fl.dat");
  const GnuplotResult result = run_script(f);
  ASSERT_EQ(result.status, 0) << result.messages;
  EXPECT_EQ(Curves(read_file("points.txt")).count("mode 1 (g1)"), 0u);

  // A sweep without rows has no figure either.
  f = fixture_figures();
  f.flutter_rows = 0;
  EXPECT_EQ(figure_files(f).size(), 4u);
}

TEST_F(GnuplotScript, WritesEveryFigureFileUnderThePrefixAndAsSvgOnRequest) {
  const FigureScript f = fixture_figures();
  const GnuplotResult result = run_script(f, "", false);
  ASSERT_EQ(result.status, 0) << result.messages;
  for (const std::string& name : figure_files(f)) EXPECT_TRUE(std::filesystem::exists(name)) << name;

  ASSERT_EQ(std::system("gnuplot -e \"format='svg'; out_prefix='new-'\" zelvan.gp > /dev/null 2>&1"), 0);
  for (const char* name : {"new-zelvan-time.svg", "new-zelvan-spectrum.svg", "new-zelvan-phase.svg",
                           "new-zelvan-flutter.svg", "new-zelvan.pdf"}) {
    EXPECT_TRUE(std::filesystem::exists(name)) << name;
  }
}

// The flutter figure from the flutter-solution file: the sweep's tracked
// modes always, the p-k modes when their block holds rows, found at the
// right block whether or not the sweep crossing block before them is empty.
struct SolutionCase {
  const char* label;
  bool sweep_crossings, pk;
};

void PrintTo(const SolutionCase& c, std::ostream* os) { *os << c.label; }

class FlutterSolution : public ::testing::TestWithParam<SolutionCase> {
 protected:
  void SetUp() override {
    write_text("zelvan.dat", data_file(8));
    write_text("zelvan_fl.dat", table_file(3));
  }
  ScratchWorkingDir dir_;
};

TEST_P(FlutterSolution, DrawsTheSweepDashedThePkModesAndTheMarks) {
  const SolutionCase& c = GetParam();
  write_text("zelvan_flutter.dat", solution_file(c.sweep_crossings, c.pk));
  FigureScript f = fixture_figures();
  f.flutter_solution = "zelvan_flutter.dat";
  f.sweep_crossing_rows = c.sweep_crossings;
  f.pk_rows = c.pk;
  f.route = "thin plate";
  f.route_mach = 0.3;
  f.parameters.w_star = 0.2;
  f.critical = FlutterMark{35.0, 8.4, 4.35, 0.1};
  f.pk_critical = FlutterMark{35.5, 8.5, 4.33, 0.105};
  f.matched = FlutterMark{36.0, 8.6, 4.3, 0.11};
  f.divergence_speed = 30.0;
  const GnuplotResult result = run_script(f);
  ASSERT_EQ(result.status, 0) << result.messages;
  const Curves curves(read_file("points.txt"));

  // Each curve in the damping panel (first) and the frequency panel.
  const std::vector<Point>& sweep_g = curves.at("mode from f_0_1, sweep");
  ASSERT_EQ(sweep_g.size(), 6u);
  EXPECT_NEAR(sweep_g[1].y, 0.04, kPrintedDigits);
  ASSERT_EQ(curves.count("mode from f_0_1, sweep"), 2u) << read_file("points.txt");
  ASSERT_EQ(curves.count("mode from f_0_2, sweep"), 2u);
  ASSERT_EQ(curves.at("mode from f_0_1, sweep", 1).size(), 6u);
  ASSERT_EQ(curves.at("mode from f_0_2, sweep").size(), 6u);
  ASSERT_EQ(curves.at("mode from f_0_2, sweep", 1).size(), 6u);
  EXPECT_NEAR(curves.at("mode from f_0_1, sweep", 1)[1].x, 4.0, kPrintedDigits);
  EXPECT_NEAR(curves.at("mode from f_0_1, sweep", 1)[1].y, 4.2, kPrintedDigits);
  EXPECT_NEAR(curves.at("mode from f_0_2, sweep")[2].y, 0.15, kPrintedDigits);
  EXPECT_NEAR(curves.at("mode from f_0_2, sweep", 1)[2].y, 6.7, kPrintedDigits);

  ASSERT_EQ(curves.count("mode from f_0_1, p-k"), c.pk ? 2u : 0u);
  if (c.pk) {
    const std::vector<Point>& pk_g = curves.at("mode from f_0_1, p-k");
    ASSERT_EQ(pk_g.size(), 6u);
    EXPECT_NEAR(curves.at("mode from f_0_1, p-k", 1)[0].x, 2.5, kPrintedDigits);  // the p-k block, not the sweep
    ASSERT_EQ(curves.at("mode from f_0_1, p-k", 1).size(), 6u);
    ASSERT_EQ(curves.at("mode from f_0_2, p-k").size(), 6u);
    EXPECT_NEAR(pk_g[1].y, 0.1, kPrintedDigits);
    EXPECT_EQ(pk_g[3].type, 'u');  // no p-k value at this speed: asterisks
    EXPECT_NEAR(curves.at("mode from f_0_2, p-k")[3].y, 0.4, kPrintedDigits);
  }

  // The marks: at g = 0 and at their frequency, labelled with q, u, f, k;
  // the sweep's crossing as the estimate at the input's w_star.
  const std::string critical =
      "sweep estimate at w_star = 0.2000 (k frozen): q = 35.000 N/m², u = 8.4000 m/s, f = 4.3500 Hz, k = 0.1000";
  ASSERT_EQ(curves.count(critical), 1u) << read_file("points.txt");
  ASSERT_EQ(curves.at(critical).size(), 1u);
  EXPECT_NEAR(curves.at(critical)[0].y, 0.0, kPrintedDigits);
  // In the frequency panel, without a legend entry of its own.
  bool critical_f = false;
  for (std::size_t i = 0; i < curves.count(""); ++i) {
    const std::vector<Point>& p = curves.at("", i);
    critical_f = critical_f || (p.size() == 1 && std::fabs(p[0].x - 8.4) < kPrintedDigits &&
                                std::fabs(p[0].y - 4.35) < kPrintedDigits);
  }
  EXPECT_TRUE(critical_f);
  const std::string pk = "p-k critical point: q = 35.500 N/m², u = 8.5000 m/s, f = 4.3300 Hz, k = 0.1050";
  ASSERT_EQ(curves.count(pk), 1u) << read_file("points.txt");
  EXPECT_NEAR(curves.at(pk)[0].y, 0.0, kPrintedDigits);
  EXPECT_EQ(curves.count("matched point: q = 36.000 N/m², u = 8.6000 m/s, f = 4.3000 Hz, k = 0.1100"), 1u);
  EXPECT_EQ(curves.count("divergence: u = 30.000 m/s"), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, FlutterSolution,
    ::testing::Values(SolutionCase{"EveryBlockWithRows", true, true}, SolutionCase{"NoSweepCrossing", false, true},
                      SolutionCase{"NoPkAnalysis", true, false}, SolutionCase{"NeitherCrossingNorPk", false, false}),
    [](const ::testing::TestParamInfo<SolutionCase>& param_info) { return std::string(param_info.param.label); });

}  // namespace
}  // namespace zelvan::plot
