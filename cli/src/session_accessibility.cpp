#include "session_accessibility.h"

namespace quillo::cli {

void SessionAccessibility::use(std::shared_ptr<platform::Accessibility> tree) {
  const std::lock_guard lock(mutex_);
  tree_ = std::move(tree);
}

std::shared_ptr<platform::Accessibility> SessionAccessibility::target() {
  const std::lock_guard lock(mutex_);
  return tree_;
}

bool SessionAccessibility::isTrusted(TrustCheck) {
  return true;
}

void SessionAccessibility::setMessagingTimeout(std::chrono::duration<double>) {}

}  // namespace quillo::cli
