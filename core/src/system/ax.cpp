#include "quillo/core/system/ax.h"

#include <array>

namespace quillo::core {

using platform::AXElement;

std::optional<std::string> AX::string(const AXElement& element, std::string_view name) const {
  return typed<std::string>(element, name);
}

std::optional<bool> AX::boolean(const AXElement& element, std::string_view name) const {
  return typed<bool>(element, name);
}

std::optional<double> AX::number(const AXElement& element, std::string_view name) const {
  return typed<double>(element, name);
}

std::optional<AXElement> AX::element(const AXElement& element, std::string_view name) const {
  return typed<AXElement>(element, name);
}

std::vector<AXElement> AX::elements(const AXElement& element, std::string_view name) const {
  return typed<std::vector<AXElement>>(element, name).value_or(std::vector<AXElement>{});
}

std::vector<AXElement> AX::children(const AXElement& element) const {
  return elements(element, "AXChildren");
}

std::optional<platform::Point> AX::point(const AXElement& element, std::string_view name) const {
  return typed<platform::Point>(element, name);
}

std::optional<platform::Size> AX::size(const AXElement& element, std::string_view name) const {
  return typed<platform::Size>(element, name);
}

AX::Values AX::attributes(const AXElement& element, std::span<const std::string_view> names) const {
  auto values = accessibility_.attributes(element, names);
  if (!values || values->size() != names.size()) return {};
  return std::move(*values);
}

std::optional<platform::Rect> AX::frame(const AXElement& element) const {
  static constexpr std::array<std::string_view, 2> kNames{"AXPosition", "AXSize"};
  const Values values = attributes(element, kNames);
  if (values.empty()) return std::nullopt;
  const auto position = as<platform::Point>(values[0]);
  const auto size = as<platform::Size>(values[1]);
  if (!position || !size) return std::nullopt;
  return platform::Rect{*position, *size};
}

}  // namespace quillo::core
