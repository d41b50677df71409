#include "quillo/platform/forwarding_accessibility.h"

namespace quillo::platform {

std::optional<AXElement> ForwardingAccessibility::applicationElement(ProcessID pid) {
  const auto to = target();
  return to ? to->applicationElement(pid) : std::nullopt;
}

std::optional<AttributeValue> ForwardingAccessibility::attribute(const AXElement& element,
                                                                 std::string_view name) {
  const auto to = target();
  return to ? to->attribute(element, name) : std::nullopt;
}

std::optional<std::vector<std::optional<AttributeValue>>> ForwardingAccessibility::attributes(
    const AXElement& element, std::span<const std::string_view> names) {
  const auto to = target();
  if (!to) return std::nullopt;
  return to->attributes(element, names);
}

bool ForwardingAccessibility::setAttribute(const AXElement& element, std::string_view name,
                                           const AttributeValue& value) {
  const auto to = target();
  return to && to->setAttribute(element, name, value);
}

bool ForwardingAccessibility::performAction(const AXElement& element, std::string_view action) {
  const auto to = target();
  return to && to->performAction(element, action);
}

}  // namespace quillo::platform
