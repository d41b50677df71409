#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quillo/platform/main_queue.h"
#include "quillo/platform/processes.h"

namespace quillo::testing {

// Processes that start nothing: each launch is recorded with the identifier it was given (1001,
// 1002, …), and the test ends a child with the status it chooses, whose callback is then posted
// to the main queue as the real one does. Terminating only records the request. Main thread only.
class FakeProcesses final : public platform::Processes {
 public:
  struct Child {
    platform::ProcessLaunch launch;
    platform::ProcessID pid = 0;
    int terminateRequests = 0;
    bool ended = false;
  };

  explicit FakeProcesses(platform::MainQueue& main) : main_(main) {}

  std::map<std::string, std::string> ownEnvironment{{"HOME", "/home/user"}, {"PATH", "/usr/bin:/bin"}};
  platform::ProcessID pid = 4242;
  // When set, every spawn throws ProcessError with this description.
  std::optional<std::string> refusal;

  std::shared_ptr<platform::ChildProcess> spawn(const platform::ProcessLaunch& launch,
                                                std::function<void(platform::ProcessExit)> onExit) override;
  std::map<std::string, std::string> environment() const override { return ownEnvironment; }
  platform::ProcessID ownPid() const override { return pid; }

  // Every launch so far, oldest first.
  const std::vector<std::shared_ptr<Child>>& children() const { return children_; }
  // Ends the child: its exit callback runs on the next drain of the main queue.
  void end(platform::ProcessID child, platform::ProcessExit exit);

 private:
  platform::MainQueue& main_;
  std::vector<std::shared_ptr<Child>> children_;
  std::map<platform::ProcessID, std::function<void(platform::ProcessExit)>> callbacks_;
  platform::ProcessID next_ = 1001;
};

}  // namespace quillo::testing
