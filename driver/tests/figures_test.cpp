// The figures drawn by the program itself, end to end: every example case
// rendered by the real gnuplot (PNG size read from the file's header, PDF
// pages counted by pdfinfo), and the runs whose gnuplot is missing, fails
// or cannot put a figure in place, which must still end like a run
// without figures.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "driver/tests/driver_test_support.hpp"

namespace zelvan::driver {
namespace {

using namespace zelvan::driver::test_support;

const fs::path kCasesDir = fs::path(ZELVAN_SOURCE_DIR) / "examples" / "cases";
const fs::path kExamplesDir = fs::path(ZELVAN_SOURCE_DIR) / "examples";
const std::string kCase = "near_flutter_coupled";  // LNX, with a flutter table

constexpr std::uint32_t kFigureWidth = 1200;
constexpr std::uint32_t kFigureHeight = 800;
const std::vector<std::string> kPngFiles{"zelvan-time.png", "zelvan-spectrum.png", "zelvan-phase.png",
                                         "zelvan-flutter.png"};
const std::string kFiguresLine =
    "*** Figures written: zelvan-time.png zelvan-spectrum.png zelvan-phase.png zelvan-flutter.png zelvan.pdf\n";

std::string first_line(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// Runs the case `name` in `dir` with the environment settings `env`
// (e.g. "ZELVAN_PLOT=1 PATH=/x") and returns the exit status; the console
// goes to console.txt.
int run_case(const std::string& name, const ScratchDir& dir, const std::string& env) {
  fs::copy_file(kCasesDir / name / "zelvan.inp", dir / "zelvan.inp", fs::copy_options::overwrite_existing);
  fs::copy_file(kExamplesDir / "zelvan.lay0", dir / "zelvan.lay0", fs::copy_options::overwrite_existing);
  fs::copy_file(kExamplesDir / "zelvan.sty0", dir / "zelvan.sty0", fs::copy_options::overwrite_existing);
  const std::string command = "cd '" + dir.path().string() + "' && env " + env + " '" + std::string(ZELVAN_EXECUTABLE) +
                              "' " + first_line(kCasesDir / name / "arguments") + " > console.txt 2>&1";
  const int wait_status = std::system(command.c_str());
  return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
}

std::string expected_console(const std::string& name) {
  return read_file(kCasesDir / name / "expected" / "console.txt");
}

// Width and height from the IHDR chunk of a PNG file; zero when the file
// is no PNG.
std::array<std::uint32_t, 2> png_size(const fs::path& file) {
  static constexpr std::array<unsigned char, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const std::string bytes = read_file(file).substr(0, 24);
  if (bytes.size() < 24 || bytes.compare(12, 4, "IHDR") != 0) return {0, 0};
  for (std::size_t i = 0; i < kSignature.size(); ++i)
    if (static_cast<unsigned char>(bytes[i]) != kSignature[i]) return {0, 0};
  const auto big_endian = [&](std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
  };
  return {big_endian(16), big_endian(20)};
}

// The page count pdfinfo reports, or -1.
int pdf_pages(const fs::path& file) {
  const std::string command = "pdfinfo '" + file.string() + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  std::string output;
  std::array<char, 256> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
  pclose(pipe);
  const std::size_t at = output.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(output.substr(at + 6));
}

// The result files of a folder (everything but the inputs, the console and
// figures), date-masked, by name.
std::vector<std::pair<std::string, std::string>> result_files(const ScratchDir& dir) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const std::string& name : dir.entries()) {
    if (name == "zelvan.inp" || name == "zelvan.lay0" || name == "zelvan.sty0" || name == "console.txt" ||
        name.starts_with("zelvan-") || name == "zelvan.pdf")
      continue;
    files.emplace_back(name, mask_date(read_file(dir / name)));
  }
  return files;
}

// The folder of a stub program named gnuplot that runs `body`.
void write_stub(const ScratchDir& dir, const std::string& body) {
  write_file(dir / "gnuplot", "#!/bin/sh\n" + body + "\n");
  fs::permissions(dir / "gnuplot", fs::perms::owner_all);
}

bool tool_present(const char* tool) {
  return std::system(("command -v " + std::string(tool) + " > /dev/null 2>&1").c_str()) == 0;
}

class RenderedCase : public ::testing::TestWithParam<std::string> {};

TEST_P(RenderedCase, WritesEveryFigureAsAPngOfTheSetSizeAndOnePdf) {
  ASSERT_TRUE(tool_present("gnuplot")) << "gnuplot is not installed (scripts/test.sh installs gnuplot-nox)";
  ASSERT_TRUE(tool_present("pdfinfo")) << "pdfinfo is not installed (scripts/test.sh installs poppler-utils)";
  ScratchDir dir;
  ASSERT_EQ(run_case(GetParam(), dir, "ZELVAN_PLOT=1"), 0) << read_file(dir / "console.txt");
  // A case with a limit-cycle sweep has its figure too.
  const bool lco = fs::exists(kCasesDir / GetParam() / "expected" / "zelvan_lco.dat");
  std::vector<std::string> pngs = kPngFiles;
  std::string figures_line = kFiguresLine;
  if (lco) {
    pngs.emplace_back("zelvan-lco.png");
    figures_line.replace(figures_line.find(" zelvan.pdf"), 0, " zelvan-lco.png");
  }
  // The console report is the one without figures and the figures line.
  EXPECT_EQ(read_file(dir / "console.txt"), expected_console(GetParam()) + figures_line);
  for (const std::string& name : pngs) {
    const auto size = png_size(dir / name);
    EXPECT_EQ(size[0], kFigureWidth) << name;
    EXPECT_EQ(size[1], kFigureHeight) << name;
  }
  // The figures and the parameter page.
  EXPECT_EQ(pdf_pages(dir / "zelvan.pdf"), static_cast<int>(pngs.size()) + 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderedCase, ::testing::ValuesIn(case_names(kCasesDir)),
                         [](const ::testing::TestParamInfo<std::string>& param_info) { return param_info.param; });

TEST(Figures, WithoutGnuplotTheRunSucceedsAndSaysHowToInstallIt) {
  ScratchDir dir, empty_path;
  ASSERT_EQ(run_case(kCase, dir, "ZELVAN_PLOT=1 PATH='" + empty_path.path().string() + "'"), 0);
  EXPECT_EQ(read_file(dir / "console.txt"),
            expected_console(kCase) +
                "!!! No figures: gnuplot was not found. Install it (apt-get install gnuplot-nox) and run \"gnuplot "
                "zelvan.gp\" in this folder; the script is ready.\n");
  EXPECT_TRUE(fs::exists(dir / "zelvan.gp"));
  EXPECT_FALSE(fs::exists(dir / "zelvan-time.png"));
}

// A failing gnuplot changes neither the exit status nor the data files;
// the figures of an earlier run are removed, since they do not show the
// new data.
TEST(Figures, AFailingGnuplotKeepsTheNewResultsAndRemovesTheEarlierFigures) {
  ScratchDir plain, dir, stub_dir;
  ASSERT_EQ(run_case(kCase, plain, "ZELVAN_PLOT=0"), 0);
  write_stub(stub_dir, "echo 'gnuplot: something broke' >&2\nexit 1");
  write_file(dir / "zelvan-time.png", "old figure");
  ASSERT_EQ(run_case(kCase, dir, "ZELVAN_PLOT=1 PATH='" + stub_dir.path().string() + "'"), 0);
  EXPECT_EQ(read_file(dir / "console.txt"),
            expected_console(kCase) +
                "!!! No figures: gnuplot ended with status 1: gnuplot: something broke\n"
                "*** Figures of an earlier run removed: zelvan-time.png\n");
  EXPECT_EQ(result_files(dir), result_files(plain));
  EXPECT_FALSE(fs::exists(dir / "zelvan-time.png"));
  EXPECT_FALSE(fs::exists(dir / "zelvan.pdf"));
}

// gnuplot reads the new results before they are put in place: a stub
// copies the data file it is told to read into each figure, while the
// folder still holds the data of an earlier run.
TEST(Figures, AreDrawnFromTheNewResultsBeforeTheyArePutInPlace) {
  ScratchDir dir, stub_dir;
  write_file(dir / "zelvan.dat", "data of an earlier run\n");
  write_stub(stub_dir,
             "prefix=$(echo \"$3\" | /bin/sed \"s/^out_prefix='\\([^']*\\)'.*$/\\1/\")\n"
             "data=$(echo \"$3\" | /bin/sed \"s/.*data_file='\\([^']*\\)'.*/\\1/\")\n"
             "for f in zelvan-time.png zelvan-spectrum.png zelvan-phase.png zelvan-flutter.png zelvan.pdf; do\n"
             "  /bin/cat \"$data\" > \"$prefix$f\"\n"
             "done");
  ASSERT_EQ(run_case(kCase, dir, "ZELVAN_PLOT=1 PATH='" + stub_dir.path().string() + "'"), 0);
  EXPECT_EQ(read_file(dir / "console.txt"), expected_console(kCase) + kFiguresLine);
  const std::string data = read_file(dir / "zelvan.dat");
  EXPECT_NE(data, "data of an earlier run\n");
  for (const std::string& name : kPngFiles) EXPECT_TRUE(read_file(dir / name) == data) << name;
  EXPECT_TRUE(read_file(dir / "zelvan.pdf") == data);
}

TEST(Figures, AFigureFileThatCannotBeWrittenIsReportedAndTheRunSucceeds) {
  ASSERT_TRUE(tool_present("gnuplot")) << "gnuplot is not installed (scripts/test.sh installs gnuplot-nox)";
  ScratchDir dir;
  fs::create_directory(dir / "zelvan-time.png");
  ASSERT_EQ(run_case(kCase, dir, "ZELVAN_PLOT=1"), 0);
  EXPECT_EQ(read_file(dir / "console.txt"),
            expected_console(kCase) +
                "!!! No figures: the figure file \"zelvan-time.png\" cannot be written: Is a "
                "directory.\n");
  EXPECT_TRUE(fs::is_directory(dir / "zelvan-time.png"));
  EXPECT_FALSE(fs::exists(dir / "zelvan.pdf"));
  EXPECT_FALSE(fs::exists(dir / "zelvan-phase.png"));
}

}  // namespace
}  // namespace zelvan::driver
