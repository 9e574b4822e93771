#include "study/run.hpp"

#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "study/case_runner.hpp"
#include "study/messages.hpp"
#include "study/progress.hpp"

namespace zelvan::study {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Blocks SIGINT, SIGTERM and SIGCHLD for the run so that they are taken
// with sigtimedwait; restores the previous mask, consuming what is left
// pending of them, when the run ends.
class BlockedSignals {
 public:
  BlockedSignals() {
    // A SIGCHLD inherited as ignored would make the kernel reap the cases
    // itself, and waitpid could not report how they ended.
    struct sigaction child_default {};
    child_default.sa_handler = SIG_DFL;
    sigemptyset(&child_default.sa_mask);
    sigaction(SIGCHLD, &child_default, &previous_child_);
    sigemptyset(&set_);
    for (int sig : {SIGINT, SIGTERM, SIGCHLD}) sigaddset(&set_, sig);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  }
  ~BlockedSignals() {
    const timespec zero{0, 0};
    while (sigtimedwait(&set_, nullptr, &zero) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    sigaction(SIGCHLD, &previous_child_, nullptr);
  }
  BlockedSignals(const BlockedSignals&) = delete;
  BlockedSignals& operator=(const BlockedSignals&) = delete;

  // Waits up to `milliseconds` for one of the signals; 0 when none came.
  int wait(long milliseconds) const {
    const timespec timeout{milliseconds / 1000, (milliseconds % 1000) * 1000000};
    const int sig = sigtimedwait(&set_, nullptr, &timeout);
    return sig > 0 ? sig : 0;
  }

 private:
  sigset_t set_{};
  sigset_t previous_{};
  struct sigaction previous_child_ {};
};

std::string seconds_text(double seconds) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(2) << seconds << " s";
  return text.str();
}

struct Running {
  std::size_t index;
  pid_t pid;
  Clock::time_point start;
};

class Pool {
 public:
  Pool(const PlannedStudy& study, const RunOptions& options) : study_(study), options_(options) {}

  RunSummary run(const std::vector<std::size_t>& which) {
    summary_.total = static_cast<int>(which.size());
    progress_.total = summary_.total;
    std::vector<std::size_t> pending;
    for (std::size_t index : which) {
      if (case_complete(case_dir(index))) {
        ++summary_.skipped;
        ++progress_.done;
      } else {
        pending.push_back(index);
      }
    }
    if (summary_.skipped > 0) note(std::to_string(summary_.skipped) + " case(s) complete already, skipped");
    const BlockedSignals signals;
    std::size_t next = 0;
    const int jobs = std::max(1, options_.jobs);
    try {
      while (true) {
        while (!summary_.stopped && static_cast<int>(running_.size()) < jobs && next < pending.size()) {
          const std::size_t index = pending[next++];
          running_.push_back({index, start_case(case_dir(index), options_.zelvan, study_.option), Clock::now()});
        }
        if (running_.empty()) break;
        const int sig = signals.wait(options_.terminal ? 200 : 500);
        if (sig == SIGINT || sig == SIGTERM) interrupt();
        reap();
        draw();
      }
    } catch (const msg::StudyError&) {
      interrupt();
      while (!running_.empty()) {
        signals.wait(200);
        reap();
      }
      finish_display();
      throw;
    }
    summary_.not_run = static_cast<int>(pending.size() - next);
    finish_display();
    return summary_;
  }

 private:
  fs::path case_dir(std::size_t index) const { return study_.dir / study_.cases[index].folder; }

  void interrupt() {
    const int sig = summary_.stopped ? SIGKILL : SIGINT;
    if (!summary_.stopped) note("interrupted: stopping the running cases");
    summary_.stopped = true;
    for (const Running& r : running_) ::kill(-r.pid, sig);  // the case's process group
  }

  void reap() {
    for (auto it = running_.begin(); it != running_.end();) {
      int status = 0;
      const pid_t pid = ::waitpid(it->pid, &status, WNOHANG);
      if (pid == 0 || (pid < 0 && errno == EINTR)) {
        ++it;
        continue;
      }
      if (pid < 0) status = 127 << 8;  // lost child: recorded as failed
      const CaseRecord record = record_case(case_dir(it->index), status, seconds_since(it->start), summary_.stopped);
      report(it->index, record);
      it = running_.erase(it);
    }
  }

  void report(std::size_t index, const CaseRecord& record) {
    ++progress_.done;
    ++progress_.ran;
    const PlannedCase& c = study_.cases[index];
    std::string line = "case " + std::to_string(c.id) + " (" + c.folder + "): ";
    if (record.state == "ok") {
      ++summary_.ok;
    } else if (record.state == "interrupted") {
      ++summary_.interrupted;
      line += "interrupted";
    } else {
      ++summary_.failed;
      ++progress_.failed;
      line += "failed with status " + std::to_string(record.status()) + ": " + record.summary();
    }
    if (record.state == "ok") {
      if (!options_.terminal) note(line + "ok, " + seconds_text(record.seconds));
    } else {
      note(line);
    }
  }

  void note(const std::string& line) {
    if (options_.log == nullptr) return;
    if (options_.terminal) *options_.log << "\r\033[K";
    *options_.log << line << '\n';
    if (options_.terminal) draw();
    options_.log->flush();
  }

  void draw() {
    if (options_.log == nullptr || !options_.terminal) return;
    progress_.elapsed = seconds_since(start_);
    *options_.log << '\r' << progress_line(progress_) << "\033[K" << std::flush;
  }

  void finish_display() {
    if (options_.log == nullptr) return;
    progress_.elapsed = seconds_since(start_);
    if (options_.terminal) {
      draw();
      *options_.log << '\n';
    } else {
      *options_.log << progress_line(progress_) << '\n';
    }
    options_.log->flush();
  }

  const PlannedStudy& study_;
  const RunOptions& options_;
  RunSummary summary_;
  ProgressState progress_;
  std::vector<Running> running_;
  Clock::time_point start_ = Clock::now();
};

}  // namespace

RunSummary run_cases(const PlannedStudy& study, const std::vector<std::size_t>& which, const RunOptions& options) {
  Pool pool(study, options);
  return pool.run(which);
}

int run_exit_status(const RunSummary& summary) {
  if (summary.stopped) return 130;
  return summary.failed > 0 ? 1 : 0;
}

int task_count(std::size_t count, int chunk) {
  const auto c = static_cast<std::size_t>(std::max(1, chunk));
  return static_cast<int>((count + c - 1) / c);
}

std::vector<std::size_t> task_cases(std::size_t count, int task, int chunk) {
  const int tasks = task_count(count, chunk);
  if (task < 0 || task >= tasks || chunk < 1) {
    throw msg::StudyError(
        msg::compose(msg::kTaskOutOfRange, {std::to_string(task), std::to_string(tasks), std::to_string(count)}));
  }
  std::vector<std::size_t> which;
  const auto first = static_cast<std::size_t>(task) * static_cast<std::size_t>(chunk);
  for (std::size_t i = first; i < count && i < first + static_cast<std::size_t>(chunk); ++i) which.push_back(i);
  return which;
}

}  // namespace zelvan::study
