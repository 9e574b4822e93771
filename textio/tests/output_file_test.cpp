// Output files report every failure instead of losing data silently.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "textio/textio.hpp"

namespace zelvan::textio {
namespace {

std::string stop_text(const std::function<void()>& action) {
  try {
    action();
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.exit_status(), 4);
    return stop.console_text();
  }
  ADD_FAILURE() << "no stop";
  return {};
}

TEST(OutputFile, CreatesOrReplacesTheFileAndWritesItCompletely) {
  const auto dir = std::filesystem::temp_directory_path() / "zelvan_output_file_test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "out.dat").string();
  std::ofstream(path) << "old contents that are longer than the new ones\n";
  OutputFile file(path);
  write(file.stream(), Layout("(F8.3)"), {1.5});
  file.close();
  std::ifstream in(path);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all, "   1.500\n");
  std::filesystem::remove_all(dir);
}

TEST(OutputFile, StopsTheRunWhenTheFileCannotBeCreated) {
  const std::string text = stop_text([] { OutputFile file("/nonexistent-folder/zelvan.dat"); });
  EXPECT_EQ(text,
            "\n!!! Output error: cannot create the file \"/nonexistent-folder/zelvan.dat\": No such file or "
            "directory.\n\n*** ZELVAN terminated due to an output error\n");
}

TEST(OutputFile, StopsTheRunWhenTheDataCannotBeWritten) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  OutputFile file("/dev/full");
  file.stream() << std::string(100000, 'x') << '\n';
  const std::string text = stop_text([&] { file.close(); });
  EXPECT_NE(text.find("the file \"/dev/full\" could not be written completely"), std::string::npos) << text;
}

}  // namespace
}  // namespace zelvan::textio
