#include "plot/gnuplot_run.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>
#include <vector>

#include "plot/detail/messages.hpp"
#include "textio/console.hpp"
#include "textio/messages.hpp"

extern char** environ;  // NOLINT(readability-redundant-declaration): the environment handed to gnuplot

namespace zelvan::plot {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kKeptOutput = 8192;  // the tail of gnuplot's standard error kept for the message
constexpr std::size_t kMessageLength = 240;
constexpr int kPollMilliseconds = 50;

// A descriptor closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

struct Finished {
  bool timed_out = false;
  int wait_status = 0;
  std::string error_output;  // the tail of standard error
};

void write_line(const std::string& line) {
  textio::console() << line << '\n';
  textio::console().flush();
}

// Reads what is available on `fd` into `tail`, keeping its last
// kKeptOutput characters; false at the end of the stream.
bool read_available(int fd, std::string& tail) {
  char buffer[4096];  // NOLINT(modernize-avoid-c-arrays): a read buffer
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      tail.append(buffer, static_cast<std::size_t>(n));
      if (tail.size() > kKeptOutput) tail.erase(0, tail.size() - kKeptOutput);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
}

// Waits for the child `pid`, reading its standard error from `err`, and
// kills it when the time limit has passed.
Finished wait_for(pid_t pid, Descriptor& err, std::chrono::milliseconds limit) {
  Finished result;
  const Clock::time_point deadline = Clock::now() + limit;
  bool open = err.get() >= 0;
  for (;;) {
    pollfd watched{err.get(), POLLIN, 0};
    const int ready = ::poll(open ? &watched : nullptr, open ? 1 : 0, kPollMilliseconds);
    if (ready > 0 && open && !read_available(err.get(), result.error_output)) open = false;
    const pid_t done = ::waitpid(pid, &result.wait_status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) break;
    if (Clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &result.wait_status, 0) < 0 && errno == EINTR) {
      }
      result.timed_out = true;
      break;
    }
  }
  if (open) read_available(err.get(), result.error_output);
  return result;
}

// The last line of gnuplot's standard error that holds text, blanks
// squeezed, shortened to kMessageLength.
std::string last_message(const std::string& output) {
  std::string last;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string_view line(output.data() + start, end - start);
    if (line.find_first_not_of(" \t\r^") != std::string_view::npos) last = line;
    start = end + 1;
  }
  std::string squeezed;
  for (const char c : last) {
    const bool blank = c == ' ' || c == '\t' || c == '\r';
    if (blank && (squeezed.empty() || squeezed.back() == ' ')) continue;
    squeezed += blank ? ' ' : c;
  }
  while (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
  if (squeezed.size() > kMessageLength) squeezed.replace(kMessageLength, std::string::npos, "...");
  return squeezed.empty() ? std::string(msg::kGnuplotNoMessage) : squeezed;
}

std::string joined(std::span<const std::string> names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
  return text.empty() ? std::string(msg::kNoFile) : text;
}

void remove_files(std::span<const std::string> names) {
  for (const std::string& name : names) {
    std::error_code ignored;
    fs::remove(name, ignored);
  }
}

// Starts the program; returns its process id, or the error of posix_spawnp.
struct Started {
  pid_t pid = -1;
  int error = 0;
};
Started start(const GnuplotRun& run, const std::string& script, const std::string& prefix,
              const std::vector<ScriptSetting>& settings, int err_fd, int err_read_fd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (err_fd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, err_fd, 2);
    posix_spawn_file_actions_addclose(&actions, err_read_fd);
  }
  // -d: the user's initialisation file does not change the figures.
  std::string program = run.program;
  std::string defaults = "-d";
  std::string option = "-e";
  std::string setting = "out_prefix='" + prefix + "'";
  for (const ScriptSetting& extra : settings) setting += "; " + extra.name + "='" + extra.value + "'";
  std::string script_name = script;
  std::vector<char*> argv{program.data(), defaults.data(), option.data(), setting.data(), script_name.data(), nullptr};
  Started started;
  started.error = ::posix_spawnp(&started.pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

}  // namespace

DrawnFigures draw_figures(const FigureRequest& request, const GnuplotRun& run) {
  const std::vector<std::string>& figures = request.figures;
  const std::string prefix = ".zelvan-new-" + std::to_string(::getpid()) + "-";
  std::vector<std::string> temporary;
  temporary.reserve(figures.size());
  for (const std::string& name : figures) temporary.push_back(prefix + name);

  // The run's own console lines come first.
  textio::console().flush();
  int pipe_fds[2] = {-1, -1};  // NOLINT(modernize-avoid-c-arrays): the argument of pipe2
  const bool piped = ::pipe2(pipe_fds, O_CLOEXEC) == 0;
  Descriptor err_read(piped ? pipe_fds[0] : -1);
  Descriptor err_write(piped ? pipe_fds[1] : -1);
  if (piped) ::fcntl(err_read.get(), F_SETFL, O_NONBLOCK);
  const Started started = start(run, request.script, prefix, request.settings, err_write.get(), err_read.get());
  err_write.reset();
  if (started.error != 0) {
    if (started.error == ENOENT) {
      write_line(textio::msg::compose(msg::kGnuplotMissing, {request.script_name}));
      return {FigureOutcome::gnuplot_missing, {}};
    }
    write_line(textio::msg::compose(msg::kGnuplotNotStarted, {std::strerror(started.error)}));
    return {};
  }

  const Finished finished = wait_for(started.pid, err_read, run.time_limit);
  std::optional<std::string> failure;
  if (finished.timed_out) {
    failure = textio::msg::compose(
        msg::kGnuplotTimeLimit,
        {std::to_string(std::chrono::duration_cast<std::chrono::seconds>(run.time_limit).count())});
  } else if (WIFSIGNALED(finished.wait_status)) {
    failure = textio::msg::compose(
        msg::kGnuplotSignal, {std::to_string(WTERMSIG(finished.wait_status)), last_message(finished.error_output)});
  } else if (!WIFEXITED(finished.wait_status) || WEXITSTATUS(finished.wait_status) != 0) {
    failure = textio::msg::compose(
        msg::kGnuplotFailed, {std::to_string(WEXITSTATUS(finished.wait_status)), last_message(finished.error_output)});
  }
  for (std::size_t i = 0; i < figures.size() && !failure; ++i) {
    std::error_code error;
    if (!fs::is_regular_file(temporary[i], error) || fs::file_size(temporary[i], error) == 0) {
      failure = textio::msg::compose(msg::kFigureMissing, {figures[i]});
    } else if (fs::is_directory(figures[i], error)) {
      // A rename over it would fail when the results are put in place.
      failure = textio::msg::compose(msg::kFigureNotWritten, {figures[i], std::strerror(EISDIR)});
    }
  }
  if (failure) {
    remove_files(temporary);
    write_line(*failure);
    return {};
  }
  write_line(textio::msg::compose(msg::kFiguresWritten, {joined(figures)}));
  return {FigureOutcome::written, temporary};
}

}  // namespace zelvan::plot
