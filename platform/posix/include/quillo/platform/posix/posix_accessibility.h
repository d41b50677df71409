#pragma once

#include "quillo/platform/accessibility.h"

namespace quillo::platform::posix {

// Accessibility on Linux, for now: the process is never trusted and no application has elements,
// so every reader finds nothing. Reading real menus and windows over the desktop's accessibility
// bus is a later step. Stateless and safe for concurrent use.
class PosixAccessibility final : public Accessibility {
 public:
  bool isTrusted(TrustCheck check) override;
  void setMessagingTimeout(std::chrono::duration<double> timeout) override;
  std::optional<AXElement> applicationElement(ProcessID pid) override;
  std::optional<AttributeValue> attribute(const AXElement& element, std::string_view name) override;
  std::optional<std::vector<std::optional<AttributeValue>>> attributes(
      const AXElement& element, std::span<const std::string_view> names) override;
  bool setAttribute(const AXElement& element, std::string_view name, const AttributeValue& value) override;
  bool performAction(const AXElement& element, std::string_view action) override;
};

}  // namespace quillo::platform::posix
