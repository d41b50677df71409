#include "quillo/testing/fake_processes.h"

namespace quillo::testing {
namespace {

class FakeChild final : public platform::ChildProcess {
 public:
  explicit FakeChild(std::shared_ptr<FakeProcesses::Child> child) : child_(std::move(child)) {}
  platform::ProcessID pid() const override { return child_->pid; }
  void terminate() override {
    if (!child_->ended) ++child_->terminateRequests;
  }

 private:
  std::shared_ptr<FakeProcesses::Child> child_;
};

}  // namespace

std::shared_ptr<platform::ChildProcess> FakeProcesses::spawn(
    const platform::ProcessLaunch& launch, std::function<void(platform::ProcessExit)> onExit) {
  if (refusal) throw platform::ProcessError(*refusal);
  auto child = std::make_shared<Child>(Child{launch, next_++, 0, false});
  children_.push_back(child);
  if (!launch.detached) callbacks_[child->pid] = std::move(onExit);
  return std::make_shared<FakeChild>(child);
}

void FakeProcesses::end(platform::ProcessID child, platform::ProcessExit exit) {
  for (const auto& launched : children_) {
    if (launched->pid == child) launched->ended = true;
  }
  const auto callback = callbacks_.find(child);
  if (callback == callbacks_.end()) return;
  if (callback->second) main_.post([onExit = std::move(callback->second), exit] { onExit(exit); });
  callbacks_.erase(callback);
}

}  // namespace quillo::testing
