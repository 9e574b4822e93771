// Template files of the case folder, the bundled defaults that stand in for
// missing ones, and the templates shipped with the program.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plot/detail/messages.hpp"
#include "plot/template_source.hpp"
#include "plot_test_support.hpp"
#include "textio/textio.hpp"

namespace zelvan::plot {
namespace {

using test_support::lines_of;
using test_support::padded;

// Every line of `source` read with `layout`.
std::vector<std::string> read_all(TemplateSource& source, std::string_view layout, std::size_t buffer) {
  const textio::Layout parsed(layout);
  std::vector<std::string> lines;
  std::string line(buffer, ' ');
  while (source.read_line(parsed, line)) lines.push_back(line);
  return lines;
}

TEST(TemplateSource, ReadsTemplateLinesCutAndBlankPaddedToTheirWidth) {
  test_support::ScratchWorkingDir dir;
  const std::string long_line(120, 'x');
  std::ofstream("zelvan.lay0", std::ios::binary) << "first\r\n" + long_line + "\n\n\tlast without line end";
  std::ostringstream console;
  textio::ConsoleRedirect redirect(console);
  TemplateSource file = TemplateSource::open("zelvan.lay0", TemplateKind::layout);
  EXPECT_FALSE(file.in_memory());
  const std::vector<std::string> expected = {padded("first", 100), std::string(100, 'x'), std::string(100, ' '),
                                             padded("\tlast without line end", 100)};
  EXPECT_EQ(read_all(file, "(A100)", 100), expected);
  EXPECT_EQ(console.str(), "");
}

TEST(TemplateSource, ReadsTheBundledDefaultWithOneWarningLineWhenTheFileDoesNotExist) {
  test_support::ScratchWorkingDir dir;
  struct Case {
    TemplateKind kind;
    const char* name;
    const char* kind_name;
  };
  const Case cases[] = {{TemplateKind::layout, "zelvan.lay0", "layout"}, {TemplateKind::style, "zelvan.sty0", "style"}};
  for (const auto& c : cases) {
    std::ostringstream console;
    textio::ConsoleRedirect redirect(console);
    TemplateSource source = TemplateSource::open(c.name, c.kind);
    EXPECT_TRUE(source.in_memory());
    EXPECT_EQ(console.str(), std::string("\n!!! The template file \"") + c.name +
                                 "\" does not exist; the bundled default " + c.kind_name + " template is used.\n\n");
    std::vector<std::string> expected;
    for (const std::string& line : lines_of(bundled_template_text(c.kind))) expected.push_back(padded(line, 100));
    EXPECT_EQ(read_all(source, "(A100)", 100), expected);
  }
}

TEST(TemplateSource, StopsTheRunWhenTheTemplateNameIsADirectory) {
  test_support::ScratchWorkingDir dir;
  std::filesystem::create_directory("zelvan.sty0");
  try {
    TemplateSource::open("zelvan.sty0", TemplateKind::style);
    ADD_FAILURE() << "no stop";
  } catch (const textio::RunStop& stop) {
    EXPECT_EQ(stop.reason(), textio::StopReason::input_error);
    EXPECT_NE(stop.console_text().find("\"zelvan.sty0\" is a directory"), std::string::npos) << stop.console_text();
  }
}

// Number of times `marker` occurs in `text`.
std::size_t occurrences(std::string_view text, std::string_view marker) {
  std::size_t count = 0;
  for (std::size_t at = text.find(marker); at != std::string_view::npos; at = text.find(marker, at + 1)) ++count;
  return count;
}

TEST(ShippedTemplates, AreBundledUnchangedHoldEveryMarkerOnceAndFitTheirReadWidth) {
  struct Case {
    TemplateKind kind;
    const char* file;
    std::size_t width;
    std::vector<std::string_view> markers;
  };
  const Case cases[] = {
      {TemplateKind::layout,
       "zelvan.lay0",
       100,
       {msg::kMarkerFrame02X, msg::kMarkerFrame03X, msg::kMarkerFrame04X, msg::kMarkerFrame05X, msg::kMarkerFrame05Y}},
      {TemplateKind::style,
       "zelvan.sty0",
       80,
       {msg::kMarkerComment, msg::kMarkerInfo01, msg::kMarkerInfo02, msg::kMarkerInfo03, msg::kMarkerInfo04,
        msg::kMarkerInfo05, msg::kMarkerInfo06, msg::kMarkerInfo07, msg::kMarkerInfo08, msg::kMarkerInfo09}},
  };
  for (const auto& c : cases) {
    const std::string shipped = test_support::read_file(std::string(ZELVAN_SOURCE_DIR) + "/examples/" + c.file);
    ASSERT_FALSE(shipped.empty()) << c.file;
    EXPECT_EQ(bundled_template_text(c.kind), shipped) << c.file;
    for (std::string_view marker : c.markers) EXPECT_EQ(occurrences(shipped, marker), 1u) << c.file << ": " << marker;
    for (const std::string& line : lines_of(shipped)) EXPECT_LE(line.size(), c.width) << c.file << ": " << line;
  }
}

}  // namespace
}  // namespace zelvan::plot
