#include "quillo/platform/posix/saved_tree_accessibility.h"

namespace quillo::platform::posix {

SavedTreeAccessibility::SavedTreeAccessibility(ElementTree tree) : tree_(std::move(tree)) {}

SavedTreeAccessibility SavedTreeAccessibility::load(const std::filesystem::path& file) {
  return SavedTreeAccessibility(ElementTree::load(file));
}

bool SavedTreeAccessibility::isTrusted(TrustCheck) {
  return true;
}

void SavedTreeAccessibility::setMessagingTimeout(std::chrono::duration<double>) {}

std::optional<AXElement> SavedTreeAccessibility::applicationElement(ProcessID) {
  return tree_.element(tree_.root());
}

std::optional<AttributeValue> SavedTreeAccessibility::attribute(const AXElement& element,
                                                                std::string_view name) {
  const auto node = tree_.node(element);
  if (!node) return std::nullopt;
  return tree_.read(*node, name);
}

std::optional<std::vector<std::optional<AttributeValue>>> SavedTreeAccessibility::attributes(
    const AXElement& element, std::span<const std::string_view> names) {
  const auto node = tree_.node(element);
  if (!node) return std::nullopt;
  std::vector<std::optional<AttributeValue>> values;
  values.reserve(names.size());
  for (std::string_view name : names)
    values.push_back(tree_.read(*node, name));
  return values;
}

bool SavedTreeAccessibility::setAttribute(const AXElement&, std::string_view, const AttributeValue&) {
  return false;
}

bool SavedTreeAccessibility::performAction(const AXElement&, std::string_view) {
  return false;
}

}  // namespace quillo::platform::posix
