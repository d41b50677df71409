#include "key_caps_field.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>

#include "quillo/ui/settings/shortcut_recorder.h"

namespace quillo::ui {

namespace {

constexpr int kPadding = 6;
constexpr int kCapGap = 4;
constexpr int kCapPadding = 7;
constexpr int kMinimumWidth = 180;

}  // namespace

KeyCapsField::KeyCapsField(ShortcutRecorder& owner) : QWidget(&owner), owner_(owner) {
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_Hover);
}

void KeyCapsField::setCaps(std::vector<QString> caps, bool recording) {
  caps_ = std::move(caps);
  recording_ = recording;
  if (!recording) held_.clear();
  updateGeometry();
  update();
}

void KeyCapsField::setHeldModifiers(std::vector<QString> held) {
  held_ = std::move(held);
  update();
}

QSize KeyCapsField::sizeHint() const {
  const QFontMetrics metrics(font());
  int width = 2 * kPadding;
  for (const QString& cap : caps_)
    width += metrics.horizontalAdvance(cap) + 2 * kCapPadding + kCapGap;
  return {std::max(width, kMinimumWidth), metrics.height() + 2 * kPadding + 6};
}

bool KeyCapsField::event(QEvent* event) {
  // While recording every key belongs to the recorder: no shortcut of the window fires, and Tab
  // does not move on.
  if (owner_.isRecording()) {
    if (event->type() == QEvent::ShortcutOverride) {
      event->accept();
      return true;
    }
    if (event->type() == QEvent::KeyPress) {
      keyPressEvent(static_cast<QKeyEvent*>(event));
      return true;
    }
  }
  return QWidget::event(event);
}

void KeyCapsField::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  if (!owner_.isRecording()) owner_.beginRecording();
}

void KeyCapsField::keyPressEvent(QKeyEvent* event) {
  if (owner_.isRecording()) {
    owner_.keyPressed(event);
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    owner_.beginRecording();
    return;
  }
  QWidget::keyPressEvent(event);
}

void KeyCapsField::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  owner_.focusLost();
}

void KeyCapsField::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& colours = palette();
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(
      QPen(recording_ || hasFocus() ? colours.color(QPalette::Highlight) : colours.color(QPalette::Mid),
           recording_ ? 2.0 : 1.0));
  painter.setBrush(colours.color(QPalette::Base));
  painter.drawRoundedRect(frame, 6, 6);

  const QFontMetrics metrics(font());
  const std::vector<QString>& shown = recording_ ? held_ : caps_;
  qreal x = kPadding;
  const qreal capHeight = height() - 2.0 * kPadding;
  for (const QString& cap : shown) {
    const qreal width = metrics.horizontalAdvance(cap) + 2.0 * kCapPadding;
    const QRectF box(x, kPadding, width, capHeight);
    painter.setPen(QPen(colours.color(QPalette::Mid), 1.0));
    painter.setBrush(colours.color(QPalette::AlternateBase));
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(colours.color(QPalette::Text));
    painter.drawText(box, Qt::AlignCenter, cap);
    x += width + kCapGap;
  }
  if (recording_) {
    painter.setPen(colours.color(QPalette::PlaceholderText));
    const QRectF rest(x, 0, width() - x - kPadding, height());
    painter.drawText(rest, Qt::AlignVCenter | Qt::AlignLeft,
                     shown.empty() ? tr("Type a shortcut…") : tr("…"));
  }
}

}  // namespace quillo::ui
