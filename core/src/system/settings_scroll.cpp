#include <algorithm>
#include <cmath>

#include "quillo/core/system/ax.h"
#include "quillo/core/system/settings_row_ref.h"

namespace quillo::core {
namespace {

using platform::AXElement;
using platform::Rect;

// Frames are in points; anything closer than this is in place.
constexpr double kTolerance = 0.5;

enum class Axis { vertical, horizontal };

std::string_view orientation(Axis axis) {
  return axis == Axis::vertical ? "AXVerticalOrientation" : "AXHorizontalOrientation";
}
double leading(const Rect& r, Axis axis) {
  return axis == Axis::vertical ? r.minY() : r.minX();
}
double trailing(const Rect& r, Axis axis) {
  return axis == Axis::vertical ? r.maxY() : r.maxX();
}
double extent(const Rect& r, Axis axis) {
  return axis == Axis::vertical ? r.size.height : r.size.width;
}

// Where a move aims: this far inside the area's edge, so that rounding in the application never
// leaves the item a fraction of a point outside.
constexpr double kMargin = 8;

bool fits(const Rect& item, const Rect& area, Axis axis) {
  return leading(item, axis) >= leading(area, axis) - kTolerance &&
         trailing(item, axis) <= trailing(area, axis) + kTolerance;
}

bool tooLarge(const Rect& item, const Rect& area, Axis axis) {
  return extent(item, axis) > extent(area, axis) + kTolerance;
}

// How far the item must travel (towards smaller coordinates when positive) to lie inside the area.
// An item larger than the area is aligned at its leading edge.
double distance(const Rect& item, const Rect& area, Axis axis) {
  if (tooLarge(item, area, axis)) return leading(item, axis) - leading(area, axis);
  const double margin = std::min(kMargin, (extent(area, axis) - extent(item, axis)) / 2);
  if (leading(item, axis) < leading(area, axis)) return leading(item, axis) - (leading(area, axis) + margin);
  return trailing(item, axis) - (trailing(area, axis) - margin);
}

std::optional<AXElement> scrollBar(const AX& ax, const AXElement& area, Axis axis) {
  for (const AXElement& child : ax.children(area)) {
    if (ax.string(child, "AXRole") == "AXScrollBar" && ax.string(child, "AXOrientation") == orientation(axis))
      return child;
  }
  return std::nullopt;
}

// Moves one scroll bar until the item fits along `axis`. The first move is a fixed fraction of
// the bar's range in the item's direction; it shows how many points one unit of the bar scrolls,
// and every later move goes straight to where the item should land. Stops at the bar's ends.
bool scrollAlong(const AX& ax, const AXElement& element, const AXElement& area, Axis axis,
                 const SettingsRowRef::ScrollOptions& options) {
  std::optional<double> pointsPerUnit;
  for (int step = 0; step <= options.maxSteps; ++step) {
    const auto item = ax.frame(element);
    const auto visible = ax.frame(area);
    if (!item || !visible) return false;
    if (fits(*item, *visible, axis)) return true;
    const double need = distance(*item, *visible, axis);
    // Aligned as well as it can be, and still not inside.
    if (std::abs(need) <= kTolerance || step == options.maxSteps) return false;

    const auto bar = scrollBar(ax, area, axis);
    if (!bar) return false;
    const auto value = ax.number(*bar, "AXValue");
    if (!value) return false;
    const double move = pointsPerUnit ? need / *pointsPerUnit : std::copysign(options.firstStep, need);
    const double next = std::clamp(*value + move, 0.0, 1.0);
    if (next == *value) return false;
    if (!ax.accessibility().setAttribute(*bar, "AXValue", next)) return false;

    const auto moved = ax.frame(element);
    if (!moved) return false;
    const double travelled = leading(*item, axis) - leading(*moved, axis);
    if (std::abs(travelled) < kTolerance / 10) return false;
    pointsPerUnit = travelled / (next - *value);
  }
  return false;
}

}  // namespace

bool SettingsRowRef::scrollToVisible(platform::Accessibility& accessibility,
                                     const ScrollOptions& options) const {
  const AX ax(accessibility);
  if (!scrollArea) return ax.frame(element).has_value();
  return scrollAlong(ax, element, *scrollArea, Axis::vertical, options) &&
         scrollAlong(ax, element, *scrollArea, Axis::horizontal, options);
}

}  // namespace quillo::core
