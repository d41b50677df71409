#pragma once

#include <memory>

#include "quillo/platform/main_queue.h"
#include "quillo/platform/processes.h"

namespace quillo::platform::posix {

// Children started without a shell from one thread that lives as long as the program, so that a
// child that ends with its parent ends with the program and not with whichever thread asked.
// Exit callbacks are posted to `main`; callbacks of children that end after this object is gone
// are dropped. Detached children are never waited for and get no callback. Safe for concurrent
// use; `main` must outlive this object.
class PosixProcesses final : public Processes {
 public:
  explicit PosixProcesses(MainQueue& main);
  ~PosixProcesses() override;
  PosixProcesses(const PosixProcesses&) = delete;
  PosixProcesses& operator=(const PosixProcesses&) = delete;

  std::shared_ptr<ChildProcess> spawn(const ProcessLaunch& launch,
                                      std::function<void(ProcessExit)> onExit) override;
  std::map<std::string, std::string> environment() const override;
  ProcessID ownPid() const override;

 private:
  struct Owner;
  std::shared_ptr<Owner> owner_;
};

}  // namespace quillo::platform::posix
