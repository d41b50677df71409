#include "session_accessibility.h"

namespace quillo::cli {

void SessionAccessibility::use(std::shared_ptr<platform::Accessibility> tree) {
  const std::lock_guard lock(mutex_);
  tree_ = std::move(tree);
}

std::shared_ptr<platform::Accessibility> SessionAccessibility::current() const {
  const std::lock_guard lock(mutex_);
  return tree_;
}

bool SessionAccessibility::isTrusted(TrustCheck) {
  return true;
}

void SessionAccessibility::setMessagingTimeout(std::chrono::duration<double>) {}

std::optional<platform::AXElement> SessionAccessibility::applicationElement(platform::ProcessID pid) {
  const auto tree = current();
  return tree ? tree->applicationElement(pid) : std::nullopt;
}

std::optional<platform::AttributeValue> SessionAccessibility::attribute(const platform::AXElement& element,
                                                                        std::string_view name) {
  const auto tree = current();
  return tree ? tree->attribute(element, name) : std::nullopt;
}

std::optional<std::vector<std::optional<platform::AttributeValue>>> SessionAccessibility::attributes(
    const platform::AXElement& element, std::span<const std::string_view> names) {
  const auto tree = current();
  if (!tree) return std::nullopt;
  return tree->attributes(element, names);
}

bool SessionAccessibility::setAttribute(const platform::AXElement& element, std::string_view name,
                                        const platform::AttributeValue& value) {
  const auto tree = current();
  return tree && tree->setAttribute(element, name, value);
}

bool SessionAccessibility::performAction(const platform::AXElement& element, std::string_view action) {
  const auto tree = current();
  return tree && tree->performAction(element, action);
}

}  // namespace quillo::cli
