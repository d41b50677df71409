#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "quillo/platform/highlighter.h"

namespace quillo::ui {

class RingWindow;

// The settings guide's ring on the desktop: a frameless, transparent window that floats above
// every other window, takes no focus, no taskbar entry and no clicks (they reach the window
// below), and draws a glowing ring in the accent colour inside its bounds. It fades in and
// breathes softly, then holds still; with the desktop's animations off it only fades in.
// Frames are in the desktop's device-independent pixels, the coordinates of the `Screens` seam,
// so that HiDPI and fractional scaling place it on the same spot as the desktop draws it. As a
// Wayland client, where only the compositor places windows, it shows nothing rather than ring
// the wrong spot. Main thread only.
class HighlightWindow final : public platform::Highlighter {
 public:
  // `animationsOff` answers whether the desktop turned its animations off; asked at each appearance.
  explicit HighlightWindow(std::function<bool()> animationsOff);
  ~HighlightWindow() override;

  // Moves the ring to `frame`; a ring already showing keeps its animation, so that callers can
  // follow a moving target.
  void show(const platform::Rect& frame) override;
  void hide() override;

  // The window the ring is drawn in.
  QWidget& window();

 private:
  std::unique_ptr<RingWindow> window_;
};

}  // namespace quillo::ui
