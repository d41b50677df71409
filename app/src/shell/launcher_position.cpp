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
  return Point{visible.left() + *x * visible.width, visible.bottom() - *top * visible.height};
}

Point defaultAnchor(const Rect& visible) {
  const double aboveBottom = std::max(kDefaultHeightFraction * visible.height, kDefaultMinimumAboveBottom);
  return Point{visible.left() + visible.width / 2, visible.bottom() - aboveBottom};
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
  return Rect{keptWithin(anchor.x - size.width / 2, size.width, visible.x, visible.width),
              keptWithin(anchor.y - kAnchorBelowTop, size.height, visible.y, visible.height), size.width,
              size.height};
}

void LauncherPosition::save(const Rect& frame, const platform::Display& display) {
  const Rect& visible = display.visibleFrame;
  if (visible.width <= 0 || visible.height <= 0) return;
  const double x = (frame.x + frame.width / 2 - visible.left()) / visible.width;
  const double top = (visible.bottom() - (frame.top() + kAnchorBelowTop)) / visible.height;
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
