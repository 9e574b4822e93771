// The gnuplot run, with small programs in gnuplot's place: each shows one
// way the run can end, and the figure files must be complete or as before.
#include "plot/gnuplot_run.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plot/tests/plot_test_support.hpp"
#include "textio/console.hpp"

namespace zelvan::plot {
namespace {

using namespace zelvan::plot::test_support;
namespace fs = std::filesystem;

const std::vector<std::string> kFigures{"a.png", "b.png", "c.pdf"};

// A program in gnuplot's place: a shell script given its arguments
// (-d -e "out_prefix='...'; NAME='VALUE'..." SCRIPT) that runs `body` with
// $prefix set.
std::string stub(const std::string& name, const std::string& body) {
  const fs::path path = fs::current_path() / name;
  std::ofstream(path) << "#!/bin/sh\nprefix=$(echo \"$3\" | sed \"s/^out_prefix='\\([^']*\\)'.*$/\\1/\")\n"
                      << body << "\n";
  fs::permissions(path, fs::perms::owner_all);
  return path.string();
}

struct Outcome {
  FigureOutcome outcome;
  std::vector<std::string> temporaries;
  std::string console;
};

// Draws kFigures with the script zelvan.gp, which the messages call
// "shown.gp", and one setting.
Outcome draw(const std::string& program, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  std::ostringstream console;
  textio::ConsoleRedirect redirect(console);
  const DrawnFigures drawn =
      draw_figures({"zelvan.gp", "shown.gp", kFigures, {{"data_file", ".new.dat"}}}, GnuplotRun{program, limit});
  return {drawn.outcome, drawn.temporaries, console.str()};
}

// The files of the folder other than the stubs and the script.
std::vector<std::string> folder() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::current_path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("stub", 0) != 0 && name != "zelvan.gp") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class GnuplotRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream("zelvan.gp") << "# script\n";
    for (const std::string& name : kFigures) std::ofstream(name) << "old " << name;
  }
  // Every figure still holds its old contents, and no temporary file is left.
  void expect_old_figures() {
    for (const std::string& name : kFigures) EXPECT_EQ(read_file(name), "old " + name);
    EXPECT_EQ(folder(), kFigures);
  }
  ScratchWorkingDir dir_;
};

// The figures stay under their temporary names for the caller, which puts
// them in place with the other results; the settings reach gnuplot.
TEST_F(GnuplotRunTest, LeavesEveryFigureUnderItsTemporaryNameWhenGnuplotSucceeds) {
  const Outcome r = draw(stub("stub",
                              "for f in a.png b.png c.pdf; do echo \"$3\" > \"$prefix$f\"; done\n"
                              "echo 'a warning' >&2"));
  EXPECT_EQ(r.outcome, FigureOutcome::written);
  EXPECT_EQ(r.console, "*** Figures written: a.png b.png c.pdf\n");
  ASSERT_EQ(r.temporaries.size(), kFigures.size());
  const std::string prefix = ".zelvan-new-" + std::to_string(::getpid()) + "-";
  for (std::size_t i = 0; i < kFigures.size(); ++i) {
    EXPECT_EQ(r.temporaries[i], prefix + kFigures[i]);
    EXPECT_EQ(read_file(r.temporaries[i]), "out_prefix='" + prefix + "'; data_file='.new.dat'\n");
    EXPECT_EQ(read_file(kFigures[i]), "old " + kFigures[i]);
  }
}

// Each way gnuplot fails: one console line, the old figures kept, the
// temporary files removed.
struct FailureCase {
  const char* label;
  const char* body;
  const char* line;  // the console line begins with it
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.label; }

class GnuplotFailure : public GnuplotRunTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(GnuplotFailure, IsReportedInOneLineAndKeepsTheOldFigures) {
  const FailureCase& c = GetParam();
  const Outcome r = draw(stub("stub", c.body), std::chrono::milliseconds(1500));
  EXPECT_EQ(r.outcome, FigureOutcome::failed);
  EXPECT_EQ(r.console.rfind(c.line, 0), 0u) << r.console;
  EXPECT_EQ(std::count(r.console.begin(), r.console.end(), '\n'), 1) << r.console;
  expect_old_figures();
}

INSTANTIATE_TEST_SUITE_P(
    Ends, GnuplotFailure,
    ::testing::Values(
        FailureCase{"ExitStatus",
                    "echo \"new\" > \"${prefix}a.png\"\necho '         ^' >&2\n"
                    "echo '\"zelvan.gp\" line 12: undefined variable: x' >&2\necho '' >&2\nexit 1",
                    "!!! No figures: gnuplot ended with status 1: \"zelvan.gp\" line 12: undefined variable: x\n"},
        FailureCase{"Signal", "echo \"new\" > \"${prefix}a.png\"\nkill -9 $$",
                    "!!! No figures: gnuplot was ended by signal 9: no message\n"},
        FailureCase{"TimeLimit", "echo \"new\" > \"${prefix}a.png\"\nexec sleep 30",
                    "!!! No figures: gnuplot did not finish within 1 s and was stopped.\n"},
        FailureCase{"FigureMissing", "echo new > \"${prefix}a.png\"; echo new > \"${prefix}c.pdf\"",
                    "!!! No figures: gnuplot did not write \"b.png\".\n"},
        FailureCase{"EmptyFigure", "echo new > \"${prefix}a.png\"; : > \"${prefix}b.png\"; echo > \"${prefix}c.pdf\"",
                    "!!! No figures: gnuplot did not write \"b.png\".\n"}),
    [](const ::testing::TestParamInfo<FailureCase>& param_info) { return std::string(param_info.param.label); });

TEST_F(GnuplotRunTest, WithoutGnuplotSaysHowToInstallItAndThatTheScriptIsReady) {
  const Outcome r = draw("zelvan-no-such-program");
  EXPECT_EQ(r.outcome, FigureOutcome::gnuplot_missing);
  EXPECT_EQ(r.console,
            "!!! No figures: gnuplot was not found. Install it (apt-get install gnuplot-nox) and run \"gnuplot "
            "shown.gp\" in this folder; the script is ready.\n");
  expect_old_figures();
}

// A figure name taken by a folder could not be renamed over when the
// results are put in place: no figures, and nothing of them is left.
TEST_F(GnuplotRunTest, ReportsAFigureNameTakenByAFolder) {
  fs::remove("b.png");
  fs::create_directory("b.png");
  const Outcome r = draw(stub("stub", "for f in a.png b.png c.pdf; do echo \"new $f\" > \"$prefix$f\"; done"));
  EXPECT_EQ(r.outcome, FigureOutcome::failed);
  EXPECT_EQ(r.console, "!!! No figures: the figure file \"b.png\" cannot be written: Is a directory.\n");
  EXPECT_TRUE(r.temporaries.empty());
  EXPECT_EQ(read_file("a.png"), "old a.png");
  EXPECT_TRUE(fs::is_directory("b.png"));
  EXPECT_EQ(read_file("c.pdf"), "old c.pdf");
  EXPECT_EQ(folder(), kFigures);
}

}  // namespace
}  // namespace zelvan::plot
