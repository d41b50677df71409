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

std::optional<platform::AXElement> ThreadCheckedAccessibility::applicationElement(platform::ProcessID pid) {
  check();
  return inner_.applicationElement(pid);
}

std::optional<platform::AttributeValue> ThreadCheckedAccessibility::attribute(
    const platform::AXElement& element, std::string_view name) {
  check();
  return inner_.attribute(element, name);
}

std::optional<std::vector<std::optional<platform::AttributeValue>>> ThreadCheckedAccessibility::attributes(
    const platform::AXElement& element, std::span<const std::string_view> names) {
  check();
  return inner_.attributes(element, names);
}

bool ThreadCheckedAccessibility::setAttribute(const platform::AXElement& element, std::string_view name,
                                              const platform::AttributeValue& value) {
  check();
  return inner_.setAttribute(element, name, value);
}

bool ThreadCheckedAccessibility::performAction(const platform::AXElement& element, std::string_view action) {
  check();
  return inner_.performAction(element, action);
}

}  // namespace quillo::testing
