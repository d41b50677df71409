#pragma once

#include "quillo/base/hashing.h"
#include "quillo/platform/accessibility.h"
#include "quillo/platform/ax_element.h"

namespace quillo::core {

// A menu item of the application in front, as a live accessibility element. Equal when the
// accessibility service says the elements are the same.
struct MenuItemRef {
  platform::AXElement element;

  // Presses the item ("AXPress"); true when the application reports success. A stale item
  // (its application quit, its menu was rebuilt) reports failure.
  bool press(platform::Accessibility& accessibility) const;

  bool operator==(const MenuItemRef&) const = default;
  friend void hashInto(base::Hasher& h, const MenuItemRef& r) { h.add(r.element); }
};

}  // namespace quillo::core
