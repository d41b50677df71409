#include "child_launch.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace quillo::platform::posix {
namespace {

// Signals whose handling the child gets back to the default, whatever this program set.
constexpr std::array kDefaultSignals{SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2};

// The argument and environment vectors, built before forking: the child of a threaded program
// may not allocate.
class ExecVectors {
 public:
  explicit ExecVectors(const ProcessLaunch& launch) {
    strings_.push_back(launch.executable);
    strings_.insert(strings_.end(), launch.arguments.begin(), launch.arguments.end());
    const std::size_t argumentCount = strings_.size();
    for (const auto& [name, value] : launch.environment)
      strings_.push_back(name + "=" + value);
    for (std::size_t i = 0; i < strings_.size(); ++i) {
      (i < argumentCount ? argv_ : envp_).push_back(strings_[i].data());
    }
    argv_.push_back(nullptr);
    envp_.push_back(nullptr);
  }
  char* const* argv() { return argv_.data(); }
  char* const* envp() { return envp_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> argv_;
  std::vector<char*> envp_;
};

ProcessError launchError(int error) {
  return ProcessError(std::strerror(error));
}

UniqueFd openPidfd(pid_t pid) {
  return UniqueFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
}

pid_t spawnPlain(const ProcessLaunch& launch, ExecVectors& vectors) {
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal : kDefaultSignals)
    sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int error =
      ::posix_spawn(&pid, launch.executable.c_str(), nullptr, &attributes, vectors.argv(), vectors.envp());
  posix_spawnattr_destroy(&attributes);
  if (error != 0) throw launchError(error);
  return pid;
}

// What the forked side reports through the close-on-exec pipe: a detached grandchild's process
// identifier, or the error that kept the program from starting. End of file means it started.
struct Report {
  enum Kind : int { grandchild, failure } kind;
  int value;
};

[[noreturn]] void failInChild(int pipe, int error) {
  const Report report{Report::failure, error};
  [[maybe_unused]] auto written = ::write(pipe, &report, sizeof report);
  ::_exit(127);
}

// Runs in the forked child: only async-signal-safe calls from here to exec.
[[noreturn]] void execInChild(const ProcessLaunch& launch, ExecVectors& vectors, int pipe, pid_t parent) {
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  for (int signal : kDefaultSignals)
    ::signal(signal, SIG_DFL);
  if (launch.detached) {
    if (::setsid() < 0) failInChild(pipe, errno);
    const pid_t grandchild = ::fork();
    if (grandchild < 0) failInChild(pipe, errno);
    if (grandchild > 0) {
      const Report report{Report::grandchild, grandchild};
      [[maybe_unused]] auto written = ::write(pipe, &report, sizeof report);
      ::_exit(0);
    }
  } else if (launch.endsWithParent) {
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) < 0) failInChild(pipe, errno);
    // The parent may have gone before the signal was asked for.
    if (::getppid() != parent) ::_exit(127);
  }
  ::execve(launch.executable.c_str(), vectors.argv(), vectors.envp());
  failInChild(pipe, errno);
}

pid_t forkAndExec(const ProcessLaunch& launch, ExecVectors& vectors) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) < 0) throw launchError(errno);
  UniqueFd readEnd(ends[0]);
  UniqueFd writeEnd(ends[1]);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) throw launchError(errno);
  if (pid == 0) execInChild(launch, vectors, writeEnd.get(), parent);
  writeEnd.reset();

  std::optional<pid_t> grandchild;
  std::optional<int> failure;
  Report report{};
  ssize_t count = 0;
  while ((count = ::read(readEnd.get(), &report, sizeof report)) != 0) {
    if (count < 0 && errno == EINTR) continue;
    if (count != sizeof report) break;
    if (report.kind == Report::grandchild) grandchild = report.value;
    if (report.kind == Report::failure) failure = report.value;
  }
  if (launch.detached) {
    // The middle child exits at once; it is ours, so reaping it touches no one else's.
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  } else if (failure) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  if (failure) throw launchError(*failure);
  if (launch.detached) {
    if (!grandchild) throw launchError(ECHILD);
    return *grandchild;
  }
  return pid;
}

}  // namespace

LaunchedChild launchChild(const ProcessLaunch& launch) {
  ExecVectors vectors(launch);
  const bool needsFork = launch.detached || launch.endsWithParent;
  const pid_t pid = needsFork ? forkAndExec(launch, vectors) : spawnPlain(launch, vectors);
  LaunchedChild child{pid, openPidfd(pid)};
  if (!child.pidfd.valid() && !launch.detached) {
    // Without a pidfd the child could be neither watched nor signalled safely.
    const int error = errno;
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    throw launchError(error);
  }
  return child;
}

}  // namespace quillo::platform::posix
