#pragma once

#include <chrono>
#include <string_view>

#include "quillo/core/preferences/defaults_store.h"
#include "quillo/platform/screens.h"

namespace quillo::app {

using platform::Size;

// Where the launcher panel opens on each display. The panel's anchor is the middle of its top edge,
// 60 points down; the user's placement is remembered per display, under the display's id, as two
// fractions of its visible frame: "x" across from the left and "top" up from the bottom. The
// remembered placement of one display is never used on another. Main thread only.
class LauncherPosition {
 public:
  static constexpr std::string_view preferenceKey = "launcher.positionsByDisplay";

  explicit LauncherPosition(core::DefaultsStore& defaults) : defaults_(defaults) {}

  // The frame of a panel of `size` on `display`: at the remembered anchor, or a little above the
  // middle when none is remembered, moved (not resized) to lie inside the visible frame.
  platform::Rect frame(Size size, const platform::Display& display) const;
  // Remembers where the user moved the panel, keeping the other displays' entries. Nothing is
  // kept for a display without a visible area.
  void save(const platform::Rect& frame, const platform::Display& display);

 private:
  core::DefaultsStore& defaults_;
};

// How the panel fades in and out: a short fade with a small slide, or only the fade when the user
// asked for less motion.
struct PanelTransition {
  std::chrono::milliseconds duration{100};
  // How far the panel slides (downwards while appearing, upwards while leaving), in points.
  double slide = 8;
  bool operator==(const PanelTransition&) const = default;
};

PanelTransition panelTransition(bool reduceMotion);

}  // namespace quillo::app
