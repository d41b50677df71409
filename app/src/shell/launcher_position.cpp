#include "quillo/app/shell/launcher_position.h"

#include <algorithm>
#include <optional>
#include <string>

namespace quillo::app {
namespace {

using core::DefaultsValue;
using platform::Point;
using platform::Rect;

constexpr double kAnchorBelowTop = 60;
constexpr double kDefaultHeightFraction = 0.78;
// The default anchor stays at least this far above the bottom of a short display.
constexpr double kDefaultMinimumAboveBottom = 8 + 446;

std::optional<double> number(const DefaultsValue::Dictionary& entry, std::string_view name) {
  const auto found = entry.find(name);
  if (found == entry.end()) return std::nullopt;
  if (const auto real = found->second.real()) return *real;
  if (const auto integer = found->second.integer()) return static_cast<double>(*integer);
  return std::nullopt;
}

std::optional<Point> rememberedAnchor(const std::optional<DefaultsValue>& stored,
                                      const platform::Display& display) {
  const auto* byDisplay = stored ? stored->dictionary() : nullptr;
  if (byDisplay == nullptr) return std::nullopt;
  const auto found = byDisplay->find(display.id);
  const auto* entry = found == byDisplay->end() ? nullptr : found->second.dictionary();
  if (entry == nullptr) return std::nullopt;
  const auto x = number(*entry, "x");
  const auto top = number(*entry, "top");
  const auto within = [](const std::optional<double>& fraction) {
    return fraction && *fraction >= 0 && *fraction <= 1;
  };
  if (!within(x) || !within(top)) return std::nullopt;
  const Rect& visible = display.visibleFrame;
  return Point{visible.minX() + *x * visible.size.width, visible.maxY() - *top * visible.size.height};
}

Point defaultAnchor(const Rect& visible) {
  const double aboveBottom =
      std::max(kDefaultHeightFraction * visible.size.height, kDefaultMinimumAboveBottom);
  return Point{visible.minX() + visible.size.width / 2, visible.maxY() - aboveBottom};
}

// The far edge first, then the near one, so that a panel larger than the area keeps its top left
// corner visible.
double keptWithin(double start, double length, double areaStart, double areaLength) {
  return std::max(std::min(start, areaStart + areaLength - length), areaStart);
}

}  // namespace

Rect LauncherPosition::frame(Size size, const platform::Display& display) const {
  const Rect& visible = display.visibleFrame;
  const Point anchor =
      rememberedAnchor(defaults_.value(preferenceKey), display).value_or(defaultAnchor(visible));
  return Rect{{keptWithin(anchor.x - size.width / 2, size.width, visible.origin.x, visible.size.width),
               keptWithin(anchor.y - kAnchorBelowTop, size.height, visible.origin.y, visible.size.height)},
              size};
}

void LauncherPosition::save(const Rect& frame, const platform::Display& display) {
  const Rect& visible = display.visibleFrame;
  if (visible.size.width <= 0 || visible.size.height <= 0) return;
  const double x = (frame.origin.x + frame.size.width / 2 - visible.minX()) / visible.size.width;
  const double top = (visible.maxY() - (frame.minY() + kAnchorBelowTop)) / visible.size.height;
  defaults_.update(
      preferenceKey, [&](const std::optional<DefaultsValue>& stored) -> std::optional<DefaultsValue> {
        DefaultsValue::Dictionary byDisplay;
        if (const auto* existing = stored ? stored->dictionary() : nullptr) byDisplay = *existing;
        byDisplay.insert_or_assign(display.id, DefaultsValue::Dictionary{{"x", x}, {"top", top}});
        return byDisplay;
      });
}

PanelTransition panelTransition(bool reduceMotion) {
  PanelTransition transition;
  if (reduceMotion) transition.slide = 0;
  return transition;
}

}  // namespace quillo::app
