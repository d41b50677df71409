#include "quillo/platform/posix/posix_accessibility.h"

namespace quillo::platform::posix {

bool PosixAccessibility::isTrusted(TrustCheck) {
  return false;
}

void PosixAccessibility::setMessagingTimeout(std::chrono::duration<double>) {}

std::optional<AXElement> PosixAccessibility::applicationElement(ProcessID) {
  return std::nullopt;
}

std::optional<AttributeValue> PosixAccessibility::attribute(const AXElement&, std::string_view) {
  return std::nullopt;
}

std::optional<std::vector<std::optional<AttributeValue>>> PosixAccessibility::attributes(
    const AXElement&, std::span<const std::string_view>) {
  return std::nullopt;
}

bool PosixAccessibility::setAttribute(const AXElement&, std::string_view, const AttributeValue&) {
  return false;
}

bool PosixAccessibility::performAction(const AXElement&, std::string_view) {
  return false;
}

}  // namespace quillo::platform::posix
