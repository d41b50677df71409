#pragma once

#include <string>
#include <vector>

#include "quillo/platform/geometry.h"

namespace quillo::platform {

struct Display {
  // Stable across restarts and reconnections: the output's connector name with its EDID serial
  // where known ("DP-1:5KX0A123").
  std::string id;
  Rect frame;
  // The frame without panels, docks and menu bars.
  Rect visibleFrame;
  bool operator==(const Display&) const = default;
};

// The displays and the pointer. Main thread only.
class Screens {
 public:
  virtual ~Screens() = default;

  // The main display first; empty when there is no display at all.
  virtual std::vector<Display> displays() const = 0;
  virtual Point pointer() const = 0;
  // The user asked for less motion (on Linux: the desktop's animations are turned off).
  virtual bool reduceMotion() const = 0;
};

}  // namespace quillo::platform
