// Scratch folders for the tests and benchmarks of every module: a fresh
// folder under the system's temporary folder, removed with everything in it
// when the object goes away, and optionally the working folder meanwhile.
// Header only and free of any test framework, so benchmarks use it too.
#pragma once

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace zelvan::test_support {

// A fresh folder named `stem` followed by '_' and a random number (slashes
// and blanks in `stem` become '_'); removed with its contents on
// destruction.
class ScratchDir {
 public:
  explicit ScratchDir(std::string stem) {
    std::replace_if(
        stem.begin(), stem.end(), [](char c) { return c == '/' || c == ' '; }, '_');
    std::random_device seed;
    do {
      path_ = std::filesystem::temp_directory_path() / (stem + '_' + std::to_string(seed()));
    } while (!std::filesystem::create_directory(path_));
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

  // The names of the entries in the folder, sorted.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

// Makes `dir` the working folder for the lifetime of the object; then the
// previous working folder is restored.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::filesystem::path& dir) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~WorkingDirectory() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

// A scratch folder that is the working folder for the lifetime of the
// object (the working folder is restored before the folder is removed).
class ScratchWorkingDir {
 public:
  explicit ScratchWorkingDir(std::string stem) : dir_(std::move(stem)), cwd_(dir_.path()) {}

  const std::filesystem::path& path() const { return dir_.path(); }

 private:
  ScratchDir dir_;        // destroyed last: removed after ...
  WorkingDirectory cwd_;  // ... the previous working folder is back
};

}  // namespace zelvan::test_support
