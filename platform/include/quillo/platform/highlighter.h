#pragma once

#include "quillo/platform/accessibility.h"

namespace quillo::platform {

// The settings guide's ring: one borderless, transparent window that ignores the mouse, floats
// above normal windows on every workspace and draws a glowing ring inside its bounds. Created on
// first use and kept. Called on the main thread.
class Highlighter {
 public:
  virtual ~Highlighter() = default;

  // Places the ring's window at `frame` (screen points, origin at the top left of the main
  // display, as accessibility reports frames) and brings it to the front without activating
  // the program. The implementation converts to its window system's coordinates.
  virtual void show(const Rect& frame) = 0;
  virtual void hide() = 0;
};

}  // namespace quillo::platform
