// The annotation file and the layout and style files filled in from their
// templates.
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "plot/plot.hpp"
#include "plot_test_support.hpp"

namespace zelvan::plot {
namespace {

using test_support::lines_of;
using test_support::padded;

const std::string kTitle = padded("Two-DOF test section", 40);

// A case whose values are all distinct, so that a value in the wrong
// place shows.
PlotCase test_case() {
  return {.title = kTitle,
          .t_A = 0.5,
          .t_E = 8.0,
          .M_1 = 5.0,
          .M_2 = 0.08,
          .S_m = 0.1,
          .D_1 = 0.5,
          .D_2 = 0.02,
          .K_1 = 4000.0,
          .K_2 = 180.0,
          .K_m = 25.0,
          .kappa = 7.0,
          .f_s = 800.0,
          .f_0_1 = 4.5,
          .f_0_2 = 7.25,
          .a_0 = 10.0,
          .f_0 = 4.75,
          .phi = 30.0,
          .w_star = 0.3,
          .x_p = 0.35,
          .Ma = 0.05};
}

constexpr std::array<double, 4> kY0 = {0.1, -0.2, 0.3, 0.4};

struct Output {
  std::string annotation, layout, style;
};

// Runs write_plot_files on in-memory templates.
Output run(std::string_view layout_template, std::string_view style_template, const PlotCase& c = test_case(),
           bool is_unix = false, double ymax_disp = 0.123, double ymax_vel = 4.5) {
  TemplateSource lay0 = TemplateSource::from_text("zelvan.lay0", layout_template);
  TemplateSource sty0 = TemplateSource::from_text("zelvan.sty0", style_template);
  std::ostringstream annotation, layout, style;
  write_plot_files(is_unix, ymax_disp, ymax_vel, kY0, c, {lay0, sty0, &annotation, layout, style});
  return {annotation.str(), layout.str(), style.str()};
}

TEST(AnnotationFile, ListsTheParametersAtTheirPositionsWithFourteenOpenAndTenCloseBraces) {
  const std::string expected =
      "C 180 300\n"
      "D 2\nP 7\n{ 10\nTL 7500 9400 Parameters:         \nD 2\nP 7\n} 10\n"
      "{ 10\nTL 7500 9000 Y&&T{01}  =  0.30   t&&TA =    0.5\nD 2\nP 7\n} 10\n"
      "{ 10\nTL 7500 8680 Y&&T{02}  =  0.40   t&&TE =   8.0    \nD 2\nP 7\n} 10\n"
      "{ 10\nTL 7500 8280 M&&T1  =  5.000 kg\nD 2\nP 7\n} 10\n"
      "{ 10\nTL 7500 7960 M&&T2  =  0.080 kg\nD 2\nP 7\n} 10\n"
      "{ 10\nTL 7500 7640 S&&Tm  =  0.100 kg\nD 2\nP 7\n} 10\n"
      "{ 10\nTL 7500 7240 D&&T1  =  0.500 kg/s\nD 2\nP 7\n} 10\n"
      "{ 10\nTL 7500 6920 D&&T2  =  0.020 kg/s\n"
      "{ 10\nTL 7500 6520 K&&T1  =  4.000E+03 kg/s&&H2\nD 2\nP 7\n} 10\n"
      "{ 10\nTL 7500 6200 K&&T2  =   180.     kg/s&&H2\n"
      "{ 10\nTL 7500 5880 K&&Tm  =   25.0     kg/s&&H2\nD 2\nP 7\n} 10\n"
      "{ 10\nTL 7500 5480 f&&Ts   =   800.     N/m\n"
      "{ 10\nTL 7500 5080 f&&T0&&T1  =  4.500 Hz\nD 2\nP 7\n} 10\n"
      "{ 10\nTL 7500 4760 f&&T0&&T2  =  7.250 Hz\n";
  EXPECT_EQ(run("", "").annotation, expected);
}

TEST(AnnotationFile, IsNotWrittenUnderAUnixOption) {
  TemplateSource lay0 = TemplateSource::from_text("zelvan.lay0", "a\n");
  TemplateSource sty0 = TemplateSource::from_text("zelvan.sty0", "b\n");
  std::ostringstream layout, style;
  write_plot_files(true, 0.0, 0.0, kY0, test_case(), {lay0, sty0, nullptr, layout, style});
  EXPECT_EQ(layout.str(), padded("a", 100) + "\n");
  EXPECT_EQ(style.str(), padded("b", 100) + "\n");
}

// The three range lines as the layout file holds them.
std::string range_lines(const char* min, const char* max, const char* spacing) {
  return padded(std::string("   RANGEMIN = ") + min, 100) + "\n" + padded(std::string("   RANGEMAX = ") + max, 100) +
         "\n" + padded(std::string("   GRSPACING = ") + spacing, 100) + "\n";
}

const std::string kBefore = padded("FRAME", 100) + "\n";
const std::string kAfter = padded("END", 100) + "\n";

struct LayoutCase {
  const char* what;
  std::string template_text;
  PlotCase values;
  double ymax_disp, ymax_vel;
  std::string expected;
};

TEST(LayoutFile, ReplacesEachRangeMarkerAndTheThreeLinesBelowItByTheAxisOfItsFrame) {
  PlotCase no_force = test_case();
  no_force.a_0 = 0.0;
  no_force.f_0 = 12.3;
  PlotCase strong_force = test_case();
  strong_force.f_0 = 12.3;
  PlotCase long_run = test_case();
  long_run.t_E = 1.0e6;
  const std::string three = "old min\nold max\nold spacing\n";
  const LayoutCase cases[] = {
      {"time axis of frame 02", "FRAME\n# FRAME02_RANGEX\n" + three + "END\n", test_case(), 0.1, 0.1,
       kBefore + range_lines("     0.000", "     8.000", "     2.000") + kAfter},
      {"time axis of frame 03", "FRAME\n# FRAME03_RANGEX\n" + three + "END\n", test_case(), 0.1, 0.1,
       kBefore + range_lines("     0.000", "     8.000", "     2.000") + kAfter},
      {"frequency axis from f_0_2 = 7.25 above f_0", "FRAME\n# FRAME04_RANGEX\n" + three + "END\n", test_case(), 0.1,
       0.1, kBefore + range_lines("     0.000", "     8.000", "     2.000") + kAfter},
      {"frequency axis from f_0 = 12.3 under a force", "# FRAME04_RANGEX\n" + three, strong_force, 0.1, 0.1,
       range_lines("     0.000", "    20.000", "     5.000")},
      {"frequency axis from f_0_2 when a_0 = 0", "# FRAME04_RANGEX\n" + three, no_force, 0.1, 0.1,
       range_lines("     0.000", "     8.000", "     2.000")},
      {"displacement axis", "# FRAME05_RANGEX\n" + three, test_case(), 0.0734, 4.5,
       range_lines("    -0.080", "     0.080", "     0.040")},
      {"displacement axis of a run at rest", "# FRAME05_RANGEX\n" + three, test_case(), 0.0, 4.5,
       range_lines("    -0.200", "     0.200", "     0.100")},
      {"velocity axis", "# FRAME05_RANGEY\n" + three, test_case(), 0.0734, 4.5,
       range_lines("    -6.000", "     6.000", "     3.000")},
      {"marker after blanks and before further text", "   # FRAME04_RANGEX of the spectra\n" + three, test_case(), 0.1,
       0.1, range_lines("     0.000", "     8.000", "     2.000")},
      {"time too long for its field", "# FRAME02_RANGEX\n" + three, long_run, 0.1, 0.1,
       range_lines("     0.000", "**********", "250000.000")},
      {"the first marker of the table wins", "# FRAME05_RANGEY # FRAME02_RANGEX\n" + three, test_case(), 0.1, 0.1,
       range_lines("     0.000", "     8.000", "     2.000")},
      {"a marker among the replaced lines is replaced too", "# FRAME02_RANGEX\n# FRAME05_RANGEX\nb\nc\nd\n",
       test_case(), 0.1, 0.1, range_lines("     0.000", "     8.000", "     2.000") + padded("d", 100) + "\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run(c.template_text, "", c.values, false, c.ymax_disp, c.ymax_vel).layout, c.expected) << c.what;
  }
}

TEST(LayoutFile, EndsInsideAReplacementWhenTheTemplateEndsThere) {
  const std::string all = range_lines("     0.000", "     8.000", "     2.000");
  const std::vector<std::string> replaced = lines_of(all);
  const struct {
    const char* template_text;
    std::size_t lines_written;
  } cases[] = {{"# FRAME02_RANGEX\n", 0}, {"# FRAME02_RANGEX\nx\n", 1}, {"# FRAME02_RANGEX\nx\ny\n", 2}};
  for (const auto& c : cases) {
    std::string expected = kBefore;
    for (std::size_t i = 0; i < c.lines_written; ++i) expected += replaced[i] + "\n";
    EXPECT_EQ(run(std::string("FRAME\n") + c.template_text, "").layout, expected) << c.template_text;
  }
}

TEST(LayoutFile, CopiesOtherLinesOneHundredColumnsWide) {
  const std::string long_line(130, '#');
  EXPECT_EQ(run("\nGRID = ON\n" + long_line + "\n", "").layout,
            std::string(100, ' ') + "\n" + padded("GRID = ON", 100) + "\n" + std::string(100, '#') + "\n");
}

// The text line of the style file, 80 columns wide.
std::string text_line(const std::string& text) { return padded("   TEXT = \"" + text + "\"", 80) + "\n"; }

TEST(StyleFile, ReplacesEachTextMarkerAndTheLineBelowItByTheTextOfTheCase) {
  test_support::FixedClock clock({2024, 3, 7, 9, 5, 3});
  const struct {
    const char* marker;
    std::string text;
  } cases[] = {
      {"# COMMENT01", kTitle + " \\n07.03.24  09:05"},
      {"# INFOLINE01", "Parameters: \\nY_0_1 =  0.30 m, Y*_0_1 =    0.10 m/s, t_A =  0.50"},
      {"# INFOLINE02", "Y_0_2 =  0.40 m, Y*_0_2 =   -0.20 m/s, t_E =   8.0    "},
      {"# INFOLINE03", "M_1 =   5.0    , M_2 =  8.00E-02, S_m =  0.10    [kg]"},
      {"# INFOLINE04", "D_1 =  0.500     kg/s,     D_2 =  2.000E-02 kg/s "},
      {"# INFOLINE05", "K_1 =  4.000E+03 kg/s^2, K_2 =   180.     kg/s^2 "},
      {"# INFOLINE06", "K_m =   25.0     kg/s^2, f_s =   800.     N/m "},
      {"# INFOLINE07", "f_0_1 =   4.500 Hz, f_0_2 =   7.250 Hz, `k =  7.000 kg/s^2 "},
      {"# INFOLINE08", "a_0 =  10.00 N,    f_0 =   4.75 Hz,  `f =   30.0 [deg] "},
      {"# INFOLINE09", "`w* =  0.300 [-], `x_p =  0.350 [-], Ma =  0.050 [-] "},
  };
  for (const auto& c : cases) {
    const std::string style = run("", std::string("TEXT 01\n  ") + c.marker + " here\n   TEXT = \"old\"\nEND\n").style;
    EXPECT_EQ(style, padded("TEXT 01", 100) + "\n" + text_line(c.text) + padded("END", 100) + "\n") << c.marker;
  }
}

TEST(StyleFile, TakesTheTimeAnewAtEachCommentMarker) {
  test_support::FixedClock clock({2024, 3, 7, 9, 5, 3});
  const std::string style = run("", "# COMMENT01\nx\n# COMMENT01\nx\n").style;
  EXPECT_EQ(style, text_line(kTitle + " \\n07.03.24  09:05") + text_line(kTitle + " \\n07.03.24  09:06"));
}

TEST(StyleFile, ReadsEightyColumnsAndEndsWhereTheTemplateEnds) {
  test_support::FixedClock clock({2024, 3, 7, 9, 5, 3});
  // A marker beyond column 80 is cut off and the line copied 100 wide.
  const std::string hidden = std::string(75, ' ') + "# INFOLINE03";
  EXPECT_EQ(run("", hidden + "\n" + "# INFOLINE04").style, padded(std::string(75, ' ') + "# INF", 100) + "\n");
  EXPECT_EQ(run("", "keep\n# INFOLINE04\n").style, padded("keep", 100) + "\n");
}

TEST(ShippedTemplates, FillEveryFrameAndTextOfTheCase) {
  test_support::FixedClock clock({2024, 3, 7, 9, 5, 3});
  const Output out = run(bundled_template_text(TemplateKind::layout), bundled_template_text(TemplateKind::style));
  // Each marker line goes; the lines below it are replaced one for one.
  EXPECT_EQ(lines_of(out.layout).size(), lines_of(bundled_template_text(TemplateKind::layout)).size() - 5);
  EXPECT_EQ(lines_of(out.style).size(), lines_of(bundled_template_text(TemplateKind::style)).size() - 10);
  for (const char* marker : {"# FRAME0", "# INFOLINE", "# COMMENT"}) {
    EXPECT_EQ((out.layout + out.style).find(marker), std::string::npos) << marker;
  }
  EXPECT_NE(out.layout.find(range_lines("    -0.200", "     0.200", "     0.100")), std::string::npos);
  EXPECT_NE(out.style.find(text_line(kTitle + " \\n07.03.24  09:05")), std::string::npos);
}

}  // namespace
}  // namespace zelvan::plot
