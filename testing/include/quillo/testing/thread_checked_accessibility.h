#pragma once

#include <atomic>

#include "quillo/platform/forwarding_accessibility.h"
#include "quillo/platform/main_queue.h"

namespace quillo::testing {

// Forwards to another Accessibility and counts the calls that block on another application
// (every call but the silent trust check) made on the main thread, where they must never run.
// Thread-safety: as the wrapped seam.
class ThreadCheckedAccessibility final : public platform::ForwardingAccessibility {
 public:
  ThreadCheckedAccessibility(platform::Accessibility& inner, const platform::MainQueue& main)
      : inner_(inner), main_(main) {}

  // Blocking calls seen on the main thread.
  int mainThreadCalls() const { return mainThreadCalls_.load(); }
  // Blocking calls seen anywhere.
  int calls() const { return calls_.load(); }

  bool isTrusted(TrustCheck check) override;
  void setMessagingTimeout(std::chrono::duration<double> timeout) override;

 protected:
  std::shared_ptr<platform::Accessibility> target() override;

 private:
  void check();

  platform::Accessibility& inner_;
  const platform::MainQueue& main_;
  std::atomic<int> mainThreadCalls_{0};
  std::atomic<int> calls_{0};
};

}  // namespace quillo::testing
