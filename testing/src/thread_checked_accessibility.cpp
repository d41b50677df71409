#include "quillo/testing/thread_checked_accessibility.h"

namespace quillo::testing {

void ThreadCheckedAccessibility::check() {
  ++calls_;
  if (main_.isMainThread()) ++mainThreadCalls_;
}

bool ThreadCheckedAccessibility::isTrusted(TrustCheck check) {
  // A prompt waits for the user; the silent check is a flag read.
  if (check == TrustCheck::prompt) this->check();
  return inner_.isTrusted(check);
}

void ThreadCheckedAccessibility::setMessagingTimeout(std::chrono::duration<double> timeout) {
  inner_.setMessagingTimeout(timeout);
}

std::shared_ptr<platform::Accessibility> ThreadCheckedAccessibility::target() {
  check();
  // The wrapped seam outlives this wrapper: share it without owning it.
  return {std::shared_ptr<void>(), &inner_};
}

}  // namespace quillo::testing
