#pragma once

#include <filesystem>

#include "quillo/platform/accessibility.h"
#include "quillo/platform/posix/element_tree.h"

namespace quillo::platform::posix {

// Accessibility over an element tree captured from one application and saved as a file (see
// ElementTree for the format), so that the readers can replay menus and windows from another
// machine. Every process id reads as that application. The tree is read-only: setting an
// attribute or performing an action reports failure, and there is nothing to wait for or to be
// trusted for. Safe for concurrent use.
class SavedTreeAccessibility final : public Accessibility {
 public:
  explicit SavedTreeAccessibility(ElementTree tree);
  // Throws ElementTreeError when the file cannot be read or is not an element tree.
  static SavedTreeAccessibility load(const std::filesystem::path& file);

  bool isTrusted(TrustCheck check) override;
  void setMessagingTimeout(std::chrono::duration<double> timeout) override;
  std::optional<AXElement> applicationElement(ProcessID pid) override;
  std::optional<AttributeValue> attribute(const AXElement& element, std::string_view name) override;
  std::optional<std::vector<std::optional<AttributeValue>>> attributes(
      const AXElement& element, std::span<const std::string_view> names) override;
  bool setAttribute(const AXElement& element, std::string_view name, const AttributeValue& value) override;
  bool performAction(const AXElement& element, std::string_view action) override;

 private:
  ElementTree tree_;
};

}  // namespace quillo::platform::posix
