#include "study/case_runner.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <vector>

#include "driver/flutter_solution_files.hpp"
#include "study/atomic_file.hpp"
#include "study/messages.hpp"

extern char** environ;  // NOLINT(readability-redundant-declaration): POSIX declares it nowhere in a header

namespace zelvan::study {
namespace {

namespace fs = std::filesystem;

bool is_blank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

std::string trimmed(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

// "!!!" or "***" and a blank (or nothing), after blanks: a message line,
// not a heading framed in stars ("****** Results *******").
bool is_message_line(const std::string& line) {
  const std::string text = trimmed(line);
  return (text.starts_with("!!!") || text.starts_with("***")) && (text.size() == 3 || text[3] == ' ');
}

bool executable(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

// The environment of a case: this process's, with ZELVAN_PLOT=0.
std::vector<std::string> case_environment() {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "ZELVAN_PLOT=", 12) != 0) env.emplace_back(*entry);
  }
  env.emplace_back("ZELVAN_PLOT=0");
  return env;
}

// posix_spawn's file actions and attributes, released on every path.
class SpawnSetup {
 public:
  SpawnSetup() {
    ::posix_spawn_file_actions_init(&actions_);
    ::posix_spawnattr_init(&attributes_);
  }
  ~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&actions_);
    ::posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  posix_spawn_file_actions_t* actions() { return &actions_; }
  posix_spawnattr_t* attributes() { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_{};
  posix_spawnattr_t attributes_{};
};

}  // namespace

fs::path find_zelvan(const std::optional<fs::path>& given) {
  std::vector<fs::path> candidates;
  if (given) {
    candidates.push_back(*given);
  } else {
    if (const char* env = std::getenv("ZELVAN_EXE"); env != nullptr && *env != '\0') candidates.emplace_back(env);
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
      candidates.push_back(self.parent_path() / "zelvan");
      candidates.push_back(self.parent_path().parent_path() / "driver" / "zelvan");
    }
  }
  for (const fs::path& candidate : candidates) {
    if (executable(candidate)) return fs::absolute(candidate).lexically_normal();
  }
  std::string tried;
  for (const fs::path& candidate : candidates) tried += (tried.empty() ? "" : ", ") + candidate.string();
  throw msg::StudyError(msg::compose(msg::kNoProgram, {tried}));
}

pid_t start_case(const fs::path& case_dir, const fs::path& zelvan, const std::string& option) {
  std::error_code ignored;
  fs::remove(case_dir / "run.json", ignored);
  SpawnSetup setup;
  const auto fail = [&](int error) -> pid_t {
    throw msg::StudyError(msg::compose(msg::kSpawnFailed, {zelvan.string(), case_dir.string(), std::strerror(error)}));
  };
  int rc = ::posix_spawn_file_actions_addchdir_np(setup.actions(), case_dir.c_str());
  if (rc == 0) {
    rc = ::posix_spawn_file_actions_addopen(setup.actions(), STDOUT_FILENO, "console.txt", O_WRONLY | O_CREAT | O_TRUNC,
                                            0644);
  }
  if (rc == 0) rc = ::posix_spawn_file_actions_adddup2(setup.actions(), STDOUT_FILENO, STDERR_FILENO);
  if (rc == 0) rc = ::posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  sigset_t empty;
  sigset_t defaults;
  sigemptyset(&empty);
  sigemptyset(&defaults);
  for (int sig : {SIGINT, SIGTERM, SIGCHLD, SIGPIPE, SIGHUP}) sigaddset(&defaults, sig);
  if (rc == 0) rc = ::posix_spawnattr_setsigmask(setup.attributes(), &empty);
  if (rc == 0) rc = ::posix_spawnattr_setsigdefault(setup.attributes(), &defaults);
  if (rc == 0) rc = ::posix_spawnattr_setpgroup(setup.attributes(), 0);
  if (rc == 0) {
    rc = ::posix_spawnattr_setflags(setup.attributes(),
                                    POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  }
  if (rc != 0) return fail(rc);

  std::string program = zelvan.string();
  std::string input = "zelvan.inp";
  std::string opt = option;
  std::array<char*, 4> argv{program.data(), opt.data(), input.data(), nullptr};
  std::vector<std::string> env = case_environment();
  std::vector<char*> envp;
  envp.reserve(env.size() + 1);
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  rc = ::posix_spawn(&pid, program.c_str(), setup.actions(), setup.attributes(), argv.data(), envp.data());
  if (rc != 0) return fail(rc);
  return pid;
}

std::string last_line(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  std::string last;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!is_blank(line)) last = line;
  }
  return last;
}

std::string stop_message(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  // The lines since the last line of ordinary output, trimmed ("" for a
  // blank one).
  std::vector<std::string> block;
  bool after_message = false;  // the previous line belongs to a message
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (is_blank(line)) {
      block.emplace_back();
      after_message = false;
    } else if (is_message_line(line) || (after_message && (line.front() == ' ' || line.front() == '\t'))) {
      block.push_back(trimmed(line));
      after_message = true;
    } else {
      block.clear();
      after_message = false;
    }
  }
  std::string first, last_bang;
  for (std::size_t i = 0; i < block.size(); ++i) {
    const bool opens_paragraph = !block[i].empty() && (i == 0 || block[i - 1].empty());
    if (!opens_paragraph) continue;
    if (first.empty()) first = block[i];
    if (block[i].starts_with("!!!")) last_bang = block[i];
  }
  return last_bang.empty() ? first : last_bang;
}

CaseRecord record_case(const fs::path& case_dir, int wait_status, double seconds, bool interrupted) {
  CaseRecord record;
  if (WIFEXITED(wait_status)) record.exit_status = WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) record.signal = WTERMSIG(wait_status);
  record.state = record.status() == 0 ? "ok" : interrupted ? "interrupted" : "failed";
  record.last_console_line = last_line(case_dir / "console.txt");
  if (record.state != "ok") record.stop_message = stop_message(case_dir / "console.txt");
  record.seconds = seconds;
  nlohmann::ordered_json json;
  json["state"] = record.state;
  json["exit_status"] = record.exit_status ? nlohmann::json(*record.exit_status) : nlohmann::json();
  json["signal"] = record.signal ? nlohmann::json(*record.signal) : nlohmann::json();
  json["last_console_line"] = record.last_console_line;
  json["stop_message"] = record.stop_message.empty() ? nlohmann::json() : nlohmann::json(record.stop_message);
  json["seconds"] = record.seconds;
  json["ended"] = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  write_file_atomically(case_dir / "run.json",
                        json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
  return record;
}

std::optional<CaseRecord> read_case_record(const fs::path& case_dir) {
  std::ifstream in(case_dir / "run.json");
  if (!in) return std::nullopt;
  try {
    const auto json = nlohmann::json::parse(in);
    CaseRecord record;
    record.state = json.at("state").get<std::string>();
    if (!json.at("exit_status").is_null()) record.exit_status = json.at("exit_status").get<int>();
    if (!json.at("signal").is_null()) record.signal = json.at("signal").get<int>();
    record.last_console_line = json.at("last_console_line").get<std::string>();
    // A run.json of an earlier zelvan-study has no stop message: it is
    // taken from the case's console.txt, which belongs to the same run.
    if (const auto it = json.find("stop_message"); it != json.end()) {
      if (!it->is_null()) record.stop_message = it->get<std::string>();
    } else if (record.state != "ok") {
      record.stop_message = stop_message(case_dir / "console.txt");
    }
    record.seconds = json.at("seconds").get<double>();
    return record;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

bool case_complete(const fs::path& case_dir) {
  const auto record = read_case_record(case_dir);
  std::error_code error;
  return record && record->state == "ok" && fs::is_regular_file(case_dir / driver::kFlutterJsonFile, error);
}

}  // namespace zelvan::study
