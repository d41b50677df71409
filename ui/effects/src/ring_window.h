#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "quillo/ui/effects/glow.h"

namespace quillo::ui {

// The window that draws a glowing ring just inside its edges: soft light where something
// composites, else an opaque line with everything else of the window masked away.
class RingWindow : public QWidget {
 public:
  explicit RingWindow(std::function<bool()> animationsOff);

  // Shows the window (restarting the glow when it was hidden) at `geometry`.
  void appear(const QRect& geometry);
  void disappear();

  // The steady look of the ring.
  static GlowLook steadyLook();
  // Where the ring's line runs in a window of `size`.
  static QRectF ringRect(const QSize& size);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  GlowLook currentLook() const;
  void updateMask();

  std::function<bool()> animationsOff_;
  bool reduceMotion_ = false;
  bool composited_ = true;
  QElapsedTimer since_;
  QTimer frames_;
};

}  // namespace quillo::ui
