#pragma once

#include <optional>

#include "quillo/base/hashing.h"
#include "quillo/platform/accessibility.h"
#include "quillo/platform/ax_element.h"

namespace quillo::core {

// A labelled item inside a settings window, as live accessibility elements. The operations go
// through the seam they are given; every failure reads as false or absent.
struct SettingsRowRef {
  struct ScrollOptions {
    // Scroll bar moves per axis before giving up.
    int maxSteps = 12;
    // The first move of a scroll bar, as a fraction of its range, before the distance one unit
    // scrolls is known.
    double firstStep = 0.1;
  };

  // The labelled item itself.
  platform::AXElement element;
  // What holds it: the enclosing table or outline row, or the item itself.
  platform::AXElement container;
  // Whether the item lies inside a table or outline row.
  bool isInRow = false;
  // The nearest enclosing scroll area, when there is one.
  std::optional<platform::AXElement> scrollArea;

  // The container's "AXSelected"; false when it cannot be read.
  bool isSelected(platform::Accessibility& accessibility) const;
  // Selects the container; true when the application accepted it.
  bool select(platform::Accessibility& accessibility) const;
  // Moves the scroll bars of the enclosing scroll area until the item lies wholly inside the
  // area's frame. True when it does (or there is no scroll area and the item has a frame); false
  // when it cannot get there: no scroll bar for the direction, a bar at its end, a bar that does
  // not move the item, an item larger than the area, or too many steps.
  bool scrollToVisible(platform::Accessibility& accessibility) const {
    return scrollToVisible(accessibility, ScrollOptions{});
  }
  bool scrollToVisible(platform::Accessibility& accessibility, const ScrollOptions& options) const;
  // The item's frame (top-left origin), absent when it cannot be read.
  std::optional<platform::Rect> visibleFrame(platform::Accessibility& accessibility) const;

  bool operator==(const SettingsRowRef&) const = default;
  friend void hashInto(base::Hasher& h, const SettingsRowRef& r) {
    h.addAll(r.element, r.container, r.isInRow, r.scrollArea);
  }
};

}  // namespace quillo::core
