#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/platform/accessibility.h"

namespace quillo::core {

// Typed reads over the Accessibility seam, for the menu and settings readers. A value of another
// type than asked for reads as absent, as does every failure.
// Holds a reference to the seam, which must outlive it; as thread-safe as the seam.
class AX {
 public:
  using Values = std::vector<std::optional<platform::AttributeValue>>;

  explicit AX(platform::Accessibility& accessibility) : accessibility_(accessibility) {}

  platform::Accessibility& accessibility() const { return accessibility_; }

  std::optional<std::string> string(const platform::AXElement& element, std::string_view name) const;
  std::optional<bool> boolean(const platform::AXElement& element, std::string_view name) const;
  std::optional<double> number(const platform::AXElement& element, std::string_view name) const;
  std::optional<platform::AXElement> element(const platform::AXElement& element, std::string_view name) const;
  // An absent list reads as empty.
  std::vector<platform::AXElement> elements(const platform::AXElement& element, std::string_view name) const;
  // The element's "AXChildren".
  std::vector<platform::AXElement> children(const platform::AXElement& element) const;
  std::optional<platform::Point> point(const platform::AXElement& element, std::string_view name) const;
  std::optional<platform::Size> size(const platform::AXElement& element, std::string_view name) const;

  // Several attributes in one round trip: one entry per name, absent where the application
  // reported an error. Used only when the call succeeds with exactly one value per name;
  // otherwise empty.
  Values attributes(const platform::AXElement& element, std::span<const std::string_view> names) const;

  // The element's frame from "AXPosition" and "AXSize", read together.
  std::optional<platform::Rect> frame(const platform::AXElement& element) const;

  // One entry of a batch as a given type; absent when it is absent or of another type.
  template <class T>
  static std::optional<T> as(const std::optional<platform::AttributeValue>& value) {
    if (!value) return std::nullopt;
    if (const T* typed = std::get_if<T>(&*value)) return *typed;
    return std::nullopt;
  }

 private:
  template <class T>
  std::optional<T> typed(const platform::AXElement& element, std::string_view name) const {
    return as<T>(accessibility_.attribute(element, name));
  }

  platform::Accessibility& accessibility_;
};

}  // namespace quillo::core
