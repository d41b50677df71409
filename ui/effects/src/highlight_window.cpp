#include "quillo/ui/effects/highlight_window.h"

#include <cmath>

#include "ring_window.h"

namespace quillo::ui {
namespace {

// Whole pixels that cover the frame.
QRect covering(const platform::Rect& frame) {
  const int left = int(std::floor(frame.minX()));
  const int top = int(std::floor(frame.minY()));
  const int right = int(std::ceil(frame.maxX()));
  const int bottom = int(std::ceil(frame.maxY()));
  return QRect(QPoint(left, top), QSize(std::max(1, right - left), std::max(1, bottom - top)));
}

}  // namespace

HighlightWindow::HighlightWindow(std::function<bool()> animationsOff)
    : window_(std::make_unique<RingWindow>(std::move(animationsOff))) {}

HighlightWindow::~HighlightWindow() = default;

void HighlightWindow::show(const platform::Rect& frame) {
  window_->appear(covering(frame));
}

void HighlightWindow::hide() {
  window_->disappear();
}

QWidget& HighlightWindow::window() {
  return *window_;
}

}  // namespace quillo::ui
