#include "ring_window.h"

#include <QBitmap>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include "window_system.h"

namespace quillo::ui {

RingWindow::RingWindow(std::function<bool()> animationsOff) : animationsOff_(std::move(animationsOff)) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                 Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                 Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_X11DoNotAcceptFocus);
  setFocusPolicy(Qt::NoFocus);
  setAccessibleName(tr("Highlighted setting"));
  frames_.setInterval(16);
  connect(&frames_, &QTimer::timeout, this, [this] {
    // Only while something moves: a settled ring costs no processor time.
    if (since_.elapsed() >= glowSettleTime.count()) frames_.stop();
    update();
  });
}

GlowLook RingWindow::steadyLook() {
  return GlowLook{.opacity = 1, .spread = 8, .width = 3, .radius = 8};
}

QRectF RingWindow::ringRect(const QSize& size) {
  // Room for the widest breath of light on the outside of the line.
  const GlowLook look = steadyLook();
  const double inset =
      std::min({look.spread * 1.6 + look.width / 2, size.width() / 4.0, size.height() / 4.0});
  return QRectF(QPointF(0, 0), QSizeF(size)).adjusted(inset, inset, -inset, -inset);
}

void RingWindow::appear(const QRect& geometry) {
  if (isVisible()) {
    if (geometry != this->geometry()) setGeometry(geometry);
    raise();
    return;
  }
  // A ring the compositor puts somewhere else would mark the wrong thing: better none.
  if (!windowsCanBePlaced()) return;
  composited_ = desktopComposites();
  reduceMotion_ = animationsOff_ && animationsOff_();
  setGeometry(geometry);
  updateMask();
  winId();
  makeClickThrough(*this);
  since_.start();
  frames_.start();
  QWidget::show();
  raise();
}

void RingWindow::disappear() {
  frames_.stop();
  QWidget::hide();
}

GlowLook RingWindow::currentLook() const {
  const auto elapsed =
      std::chrono::milliseconds(since_.isValid() ? since_.elapsed() : glowSettleTime.count());
  return glowAt(elapsed, reduceMotion_, steadyLook());
}

void RingWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(rect(), Qt::transparent);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QColor accent = palette().color(QPalette::Highlight);
  if (composited_)
    paintGlowRing(painter, ringRect(size()), accent, currentLook());
  else
    paintSolidRing(painter, ringRect(size()), accent, currentLook());
}

void RingWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  updateMask();
}

void RingWindow::updateMask() {
  if (composited_) {
    clearMask();
    return;
  }
  // Nothing blends this window: show only the line's band, so the inside stays the desktop's.
  QBitmap band(size());
  band.fill(Qt::color0);
  QPainter painter(&band);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const GlowLook look = steadyLook();
  QPainterPath path;
  path.addRoundedRect(ringRect(size()), look.radius, look.radius);
  painter.setPen(QPen(Qt::color1, solidRingWidth(look) + 1));
  painter.drawPath(path);
  painter.end();
  setMask(band);
}

}  // namespace quillo::ui
