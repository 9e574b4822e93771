// Output files report every failure instead of losing data silently.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

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

// A scratch folder for one test, removed afterwards.
class Folder {
 public:
  explicit Folder(const std::string& name) : path_(std::filesystem::temp_directory_path() / name) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(OutputFile, WritesUnderATemporaryNameAndReplacesTheOldFileOnlyOnASuccessfulClose) {
  reset_output_files();
  Folder dir("zelvan_output_file_atomic");
  const std::string path = dir / "zelvan.dat";
  std::ofstream(path) << "old\n";
  const std::string temporary = dir / (".zelvan.dat.tmp-" + std::to_string(::getpid()));
  EXPECT_EQ(OutputFile::temporary_name(path), temporary);
  {
    OutputFile file(path);
    file.stream() << "new\n";
    file.stream().flush();
    EXPECT_EQ(contents(path), "old\n");
    EXPECT_EQ(contents(temporary), "new\n");
    file.close();
  }
  EXPECT_EQ(contents(path), "new\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"zelvan.dat"});
  ASSERT_EQ(output_files().size(), 1u);
  EXPECT_EQ(output_files()[0].state, FileState::placed);

  // Abandoned (the run stops while it is open): the older file stays, no
  // temporary is left, and the report lists the file in place.
  {
    OutputFile file(path);
    file.stream() << "unfinished\n";
  }
  EXPECT_EQ(contents(path), "new\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"zelvan.dat"});
  EXPECT_EQ(output_files()[0].state, FileState::placed);
  EXPECT_EQ(output_files_report(), "*** Result files this run put in place before the stop:\n    " + path + "\n");
  reset_output_files();
}

TEST(OutputFile, KeepsTheLinkThePermissionsAndWriteProtectedFiles) {
  reset_output_files();
  Folder dir("zelvan_output_file_kinds");
  namespace fs = std::filesystem;
  // A link to a file: the target is replaced and the link stays a link.
  std::ofstream(dir / "target.dat") << "old\n";
  fs::create_symlink(dir / "target.dat", dir / "link.dat");
  {
    OutputFile file(dir / "link.dat");
    file.stream() << "new\n";
    file.close();
  }
  EXPECT_TRUE(fs::is_symlink(dir / "link.dat"));
  EXPECT_EQ(contents(dir / "target.dat"), "new\n");

  // The replacement keeps the permissions of the file it replaces.
  fs::permissions(dir / "target.dat", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  {
    OutputFile file(dir / "target.dat");
    file.close();
  }
  EXPECT_EQ(fs::status(dir / "target.dat").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // A file without write permission is kept, for every user.
  std::ofstream(dir / "kept.dat") << "kept\n";
  fs::permissions(dir / "kept.dat", fs::perms::owner_read);
  const std::string text = stop_text([&] { OutputFile file(dir / "kept.dat"); });
  EXPECT_EQ(text, "\n!!! Output error: cannot create the file \"" + (dir / "kept.dat") +
                      "\": Permission denied.\n\n*** ZELVAN terminated due to an output error\n");
  EXPECT_EQ(contents(dir / "kept.dat"), "kept\n");

  // A folder of that name is refused at once.
  fs::create_directory(dir / "folder.dat");
  EXPECT_NE(stop_text([&] { OutputFile file(dir / "folder.dat"); }).find("Is a directory."), std::string::npos);

  // A device is written in place; nothing is created beside it.
  if (fs::exists("/dev/null")) {
    OutputFile file("/dev/null");
    file.stream() << "discarded\n";
    file.close();
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
  }
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"folder.dat", "kept.dat", "link.dat", "target.dat"}));
  reset_output_files();
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

// While a result set is open, closed files wait under their temporaries;
// its commit puts them all in place, with a file another program wrote,
// and removes a file of an earlier run.
TEST(ResultSet, PutsEveryFileInPlaceAtItsCommitAndNoneBefore) {
  reset_output_files();
  Folder dir("zelvan_result_set_commit");
  for (const char* name : {"a.dat", "b.dat", "old.png"}) std::ofstream(dir / name) << "old\n";
  std::ofstream(dir / ".new.png") << "drawn\n";
  {
    ResultSet set;
    for (const char* name : {"a.dat", "b.dat"}) {
      OutputFile file(dir / name);
      file.stream() << "new " << name << "\n";
      file.close();
    }
    set.hold(dir / "c.png", dir / ".new.png");
    set.remove_at_commit(dir / "old.png");
    EXPECT_EQ(contents(dir / "a.dat"), "old\n");
    EXPECT_EQ(contents(set.temporary_of(dir / "b.dat")), "new b.dat\n");
    EXPECT_EQ(output_files()[0].state, FileState::computed);
    set.commit();
  }
  EXPECT_EQ(contents(dir / "a.dat"), "new a.dat\n");
  EXPECT_EQ(contents(dir / "b.dat"), "new b.dat\n");
  EXPECT_EQ(contents(dir / "c.png"), "drawn\n");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.dat", "b.dat", "c.png"}));
  for (const OutputFileState& f : output_files()) EXPECT_EQ(f.state, FileState::placed) << f.name;
  reset_output_files();
}

// A set that ends without its commit (the run stopped) removes everything
// it held, a file written twice included, and the report says that
// nothing was replaced and what had been computed.
TEST(ResultSet, WithoutItsCommitLeavesTheFolderAsItWas) {
  reset_output_files();
  Folder dir("zelvan_result_set_discard");
  std::ofstream(dir / "a.dat") << "old\n";
  std::ofstream(dir / ".drawn.png") << "drawn\n";
  {
    ResultSet set;
    for (int pass = 0; pass < 2; ++pass) {
      OutputFile file(dir / "a.dat");
      file.stream() << "pass " << pass << "\n";
      file.close();
    }
    set.hold(dir / "c.png", dir / ".drawn.png");
    OutputFile open_at_the_stop(dir / "b.dat");
  }
  EXPECT_EQ(contents(dir / "a.dat"), "old\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.dat"});
  EXPECT_EQ(output_files_report(),
            "*** No result file was replaced: the folder holds what it held before this run.\n"
            "*** Results this run had computed, not put in place:\n    " +
                (dir / "a.dat") + "\n    " + (dir / "c.png") + "\n");
  reset_output_files();
}

// A rename that fails at the commit stops the run; the files put in place
// before it are reported as such, the others are removed.
TEST(ResultSet, ReportsTheFilesPutInPlaceBeforeARenameFailed) {
  reset_output_files();
  Folder dir("zelvan_result_set_rename");
  std::ofstream(dir / ".drawn.png") << "drawn\n";
  {
    ResultSet set;
    OutputFile file(dir / "a.dat");
    file.close();
    // A folder made after the file was begun stands in the way of its
    // rename.
    set.hold(dir / "b.png", dir / ".drawn.png");
    std::filesystem::create_directories(dir / "b.png/inside");
    const std::string text = stop_text([&] { set.commit(); });
    EXPECT_NE(text.find("cannot create the file \"" + (dir / "b.png") + "\""), std::string::npos) << text;
  }
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.dat", "b.png"}));
  EXPECT_EQ(output_files_report(), "*** Result files this run put in place before the stop:\n    " + (dir / "a.dat") +
                                       "\n*** Results this run had computed, not put in place:\n    " +
                                       (dir / "b.png") + "\n");
  reset_output_files();
}

// One run per folder: a second lock of the folder stops naming the folder
// and the holder's process id (status 5); the lock file goes with the
// lock, and the folder can be locked again.
TEST(FolderLock, ASecondLockStopsNamingTheFolderAndTheHolder) {
  Folder dir("zelvan_folder_lock");
  const std::string folder = dir / "";
  {
    const FolderLock first(folder);
    EXPECT_TRUE(first.held());
    EXPECT_EQ(contents(dir / ".zelvan.lock"), std::to_string(::getpid()) + "\n");
    try {
      const FolderLock second(folder);
      ADD_FAILURE() << "no stop";
    } catch (const RunStop& stop) {
      EXPECT_EQ(stop.exit_status(), 5);
      EXPECT_EQ(stop.console_text(), "\n!!! The folder \"" + full_path(folder).string() +
                                         "\" is in use by another run of ZELVAN (process " +
                                         std::to_string(::getpid()) +
                                         ").\n    One run at a time writes its results into a folder: wait until it "
                                         "has ended, or\n    run this case in another folder.\n\n*** ZELVAN "
                                         "terminated: the folder is in use by another run\n");
    }
  }
  EXPECT_TRUE(dir.entries().empty());
  EXPECT_TRUE(FolderLock(folder).held());
  // A folder that cannot take the lock file: the run goes on unlocked.
  EXPECT_FALSE(FolderLock(dir / "missing").held());
}

}  // namespace
}  // namespace zelvan::textio
