#pragma once

namespace quillo::platform {

// Screen geometry in points, the origin at the top left of the main display and y growing downwards,
// as accessibility and the Linux desktops have it.
struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  double width = 0;
  double height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {
  Point origin;
  Size size;

  double minX() const { return origin.x; }
  double minY() const { return origin.y; }
  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }
  // Edges included, so that a point on the border between two displays belongs to both.
  bool contains(Point point) const {
    return point.x >= minX() && point.x <= maxX() && point.y >= minY() && point.y <= maxY();
  }
  bool operator==(const Rect&) const = default;
};

}  // namespace quillo::platform
