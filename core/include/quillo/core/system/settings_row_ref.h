#pragma once

#include <optional>

#include "quillo/base/hashing.h"
#include "quillo/platform/ax_element.h"

namespace quillo::core {

// A labelled item inside a settings window, as live accessibility elements.
struct SettingsRowRef {
  // The labelled item itself.
  platform::AXElement element;
  // What holds it: the enclosing table or outline row, or the item itself.
  platform::AXElement container;
  // Whether the item lies inside a table or outline row.
  bool isInRow = false;
  // The nearest enclosing scroll area, when there is one.
  std::optional<platform::AXElement> scrollArea;

  bool operator==(const SettingsRowRef&) const = default;
  friend void hashInto(base::Hasher& h, const SettingsRowRef& r) {
    h.addAll(r.element, r.container, r.isInRow, r.scrollArea);
  }
};

}  // namespace quillo::core
