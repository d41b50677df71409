#include "quillo/platform/posix/posix_processes.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>

#include "children_thread.h"

extern char** environ;

namespace quillo::platform::posix {

struct PosixProcesses::Owner {
  std::mutex mutex;
  MainQueue* main = nullptr;
};

namespace {

class PosixChild final : public ChildProcess {
 public:
  explicit PosixChild(std::shared_ptr<ChildState> state) : state_(std::move(state)) {}

  ProcessID pid() const override { return state_->pid; }
  // Through the pidfd, which keeps naming this child even after its identifier is reused.
  void terminate() override {
    if (state_->ended || !state_->pidfd.valid()) return;
    ::syscall(SYS_pidfd_send_signal, state_->pidfd.get(), SIGTERM, nullptr, 0);
  }

 private:
  std::shared_ptr<ChildState> state_;
};

}  // namespace

PosixProcesses::PosixProcesses(MainQueue& main) : owner_(std::make_shared<Owner>()) {
  owner_->main = &main;
}

PosixProcesses::~PosixProcesses() {
  std::lock_guard lock(owner_->mutex);
  owner_->main = nullptr;
}

std::shared_ptr<ChildProcess> PosixProcesses::spawn(const ProcessLaunch& launch,
                                                    std::function<void(ProcessExit)> onExit) {
  if (!launch.executable.starts_with('/'))
    throw ProcessError("'" + launch.executable + "' is not an absolute path");
  auto onEnd = [owner = owner_, onExit = std::move(onExit)](ProcessExit exit) {
    std::lock_guard lock(owner->mutex);
    if (owner->main && onExit) owner->main->post([onExit, exit] { onExit(exit); });
  };
  return std::make_shared<PosixChild>(ChildrenThread::shared().start(launch, std::move(onEnd)));
}

std::map<std::string, std::string> PosixProcesses::environment() const {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; entry && *entry; ++entry) {
    const std::string_view text(*entry);
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    variables.emplace(text.substr(0, equals), text.substr(equals + 1));
  }
  return variables;
}

ProcessID PosixProcesses::ownPid() const {
  return ::getpid();
}

}  // namespace quillo::platform::posix
