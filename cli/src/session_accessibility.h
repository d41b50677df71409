#pragma once

#include <memory>
#include <mutex>

#include "quillo/platform/accessibility.h"

namespace quillo::cli {

// The accessibility of a scripted session: the saved tree of the application opened last (none
// reads as an application without menus). Trusted, as a saved tree needs no permission. Safe for
// concurrent use: a read in flight keeps the tree it started with.
class SessionAccessibility final : public platform::Accessibility {
 public:
  void use(std::shared_ptr<platform::Accessibility> tree);

  bool isTrusted(TrustCheck check) override;
  void setMessagingTimeout(std::chrono::duration<double> timeout) override;
  std::optional<platform::AXElement> applicationElement(platform::ProcessID pid) override;
  std::optional<platform::AttributeValue> attribute(const platform::AXElement& element,
                                                    std::string_view name) override;
  std::optional<std::vector<std::optional<platform::AttributeValue>>> attributes(
      const platform::AXElement& element, std::span<const std::string_view> names) override;
  bool setAttribute(const platform::AXElement& element, std::string_view name,
                    const platform::AttributeValue& value) override;
  bool performAction(const platform::AXElement& element, std::string_view action) override;

 private:
  std::shared_ptr<platform::Accessibility> current() const;

  mutable std::mutex mutex_;
  std::shared_ptr<platform::Accessibility> tree_;
};

}  // namespace quillo::cli
