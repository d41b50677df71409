#pragma once

#include <string>
#include <vector>

namespace quillo::platform {

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

// A rectangle in the desktop's coordinates: the origin at the top left of the primary display and
// y growing downwards, as on the Linux desktops.
struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  double left() const { return x; }
  double right() const { return x + width; }
  double top() const { return y; }
  double bottom() const { return y + height; }
  // Edges included, so that a pointer on the border between two displays belongs to both.
  bool contains(Point point) const {
    return point.x >= left() && point.x <= right() && point.y >= top() && point.y <= bottom();
  }
  bool operator==(const Rect&) const = default;
};

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
