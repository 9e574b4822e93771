#include "study/slurm.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "study/atomic_file.hpp"
#include "study/messages.hpp"
#include "study/run.hpp"

extern char** environ;  // NOLINT(readability-redundant-declaration): POSIX declares it nowhere in a header

namespace zelvan::study {
namespace {

namespace fs = std::filesystem;

// A word for the shell in single quotes.
std::string quoted(const std::string& word) {
  std::string text = "'";
  for (char c : word) {
    if (c == '\'') {
      text += "'\\''";
    } else {
      text += c;
    }
  }
  return text + "'";
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace

std::string sbatch_script(const PlannedStudy& study, const SlurmOptions& options) {
  const int tasks = task_count(study.cases.size(), options.chunk);
  std::string s = "#!/bin/bash\n";
  s += "# Slurm job array of the study in " + study.dir.string() + ", written by zelvan-study slurm.\n";
  s += "# " + std::to_string(study.cases.size()) + " cases, " + std::to_string(options.chunk) +
       " per task; collect the results with: zelvan-study collect " + quoted(study.dir.string()) + "\n";
  s += "#SBATCH --job-name=zelvan-study\n";
  s += "#SBATCH --array=0-" + std::to_string(tasks - 1) + "\n";
  s += "#SBATCH --ntasks=1\n";
  s += "#SBATCH --cpus-per-task=1\n";
  s += "#SBATCH --output=" + (study.dir / "slurm" / "task-%A_%a.out").string() + "\n";
  if (options.partition) s += "#SBATCH --partition=" + *options.partition + "\n";
  if (options.time) s += "#SBATCH --time=" + *options.time + "\n";
  s += "exec " + quoted(options.study_exe.string()) + " run-case " + quoted(study.dir.string()) +
       " \"$SLURM_ARRAY_TASK_ID\" --chunk " + std::to_string(options.chunk) + " --zelvan " +
       quoted(options.zelvan.string()) + "\n";
  return s;
}

fs::path write_sbatch(const PlannedStudy& study, const SlurmOptions& options) {
  std::error_code error;
  fs::create_directories(study.dir / "slurm", error);
  if (error) throw msg::StudyError(msg::compose(msg::kCannotCreate, {(study.dir / "slurm").string(), error.message()}));
  fs::path script = study.dir / "study.sbatch";
  write_file_atomically(script, sbatch_script(study, options));
  fs::permissions(script, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec, fs::perm_options::add,
                  error);
  return script;
}

std::string submit_sbatch(const fs::path& script) {
  std::array<int, 2> pipe_fds{};
  if (::pipe2(pipe_fds.data(), O_CLOEXEC) != 0) {
    throw msg::StudyError(msg::compose(msg::kSbatchMissing, {std::strerror(errno)}));
  }
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addchdir_np(&actions, script.parent_path().c_str());
  ::posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  ::posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
  std::string program = "sbatch";
  std::string parsable = "--parsable";
  std::string path = script.string();
  std::array<char*, 4> argv{program.data(), parsable.data(), path.data(), nullptr};
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_fds[1]);
  if (rc != 0) {
    ::close(pipe_fds[0]);
    throw msg::StudyError(msg::compose(msg::kSbatchMissing, {std::strerror(rc)}));
  }
  std::string output;
  std::array<char, 4096> buffer{};
  while (true) {
    const ssize_t n = ::read(pipe_fds[0], buffer.data(), buffer.size());
    if (n > 0) {
      output.append(buffer.data(), static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  ::close(pipe_fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  const int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (exit_status != 0)
    throw msg::StudyError(msg::compose(msg::kSbatchFailed, {std::to_string(exit_status), trimmed(output)}));
  // --parsable prints "jobid" or "jobid;cluster", possibly after warnings.
  std::string id = trimmed(output);
  if (const std::size_t newline = id.rfind('\n'); newline != std::string::npos) id = id.substr(newline + 1);
  if (const std::size_t semicolon = id.find(';'); semicolon != std::string::npos) id.resize(semicolon);
  return id;
}

}  // namespace zelvan::study
