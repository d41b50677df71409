#pragma once

#include <memory>

#include "quillo/platform/accessibility.h"

namespace quillo::platform {

// An Accessibility that hands every call reaching another application to the one `target()`
// names: none reads as an application without elements (no element, no value, nothing done).
// The trust check and the messaging timeout stay with the subclass.
class ForwardingAccessibility : public Accessibility {
 public:
  std::optional<AXElement> applicationElement(ProcessID pid) override;
  std::optional<AttributeValue> attribute(const AXElement& element, std::string_view name) override;
  std::optional<std::vector<std::optional<AttributeValue>>> attributes(
      const AXElement& element, std::span<const std::string_view> names) override;
  bool setAttribute(const AXElement& element, std::string_view name, const AttributeValue& value) override;
  bool performAction(const AXElement& element, std::string_view action) override;

 protected:
  // Called once per forwarded call; the pointer keeps the target alive for that call.
  virtual std::shared_ptr<Accessibility> target() = 0;
};

}  // namespace quillo::platform
