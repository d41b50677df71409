#pragma once

#include <memory>
#include <mutex>

#include "quillo/platform/forwarding_accessibility.h"

namespace quillo::cli {

// The accessibility of a scripted session: the saved tree of the application opened last (none
// reads as an application without menus). Trusted, as a saved tree needs no permission. Safe for
// concurrent use: a read in flight keeps the tree it started with.
class SessionAccessibility final : public platform::ForwardingAccessibility {
 public:
  void use(std::shared_ptr<platform::Accessibility> tree);

  bool isTrusted(TrustCheck check) override;
  void setMessagingTimeout(std::chrono::duration<double> timeout) override;

 protected:
  std::shared_ptr<platform::Accessibility> target() override;

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<platform::Accessibility> tree_;
};

}  // namespace quillo::cli
