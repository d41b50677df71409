#include "key_caps.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace quillo::ui {
namespace {

constexpr double gap = 4;
constexpr double padding = 7;

}  // namespace

QStringList shortcutKeys(const QString& shortcut) {
  QStringList keys;
  QString key;
  for (const QChar c : shortcut) {
    // A '+' that would start a key is the key itself ("Ctrl++").
    if (c == QLatin1Char('+') && !key.isEmpty()) {
      keys << key;
      key.clear();
    } else {
      key += c;
    }
  }
  if (!key.isEmpty()) keys << key;
  return keys;
}

KeyCaps::KeyCaps(const QString& shortcut, QWidget* parent) : QWidget(parent), keys_(shortcutKeys(shortcut)) {
  setAccessibleName(shortcut);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

double KeyCaps::capWidth(const QString& key) const {
  const QFontMetricsF metrics(font());
  return std::max(metrics.height() + 2, metrics.horizontalAdvance(key) + 2 * padding);
}

QRectF KeyCaps::capRect(int index) const {
  double x = 0;
  for (int i = 0; i < index; ++i)
    x += capWidth(keys_[i]) + gap;
  const double height = QFontMetricsF(font()).height() + 8;
  return QRectF(x + 0.5, 0.5, capWidth(keys_[index]), height);
}

QSize KeyCaps::sizeHint() const {
  if (keys_.isEmpty()) return QSize(0, 0);
  const QRectF last = capRect(int(keys_.size()) - 1);
  // One more pixel below for the cap's lower edge.
  return QSize(int(std::ceil(last.right() + 1)), int(std::ceil(last.bottom() + 2)));
}

void KeyCaps::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& colours = palette();
  for (int i = 0; i < keys_.size(); ++i) {
    const QRectF cap = capRect(i);
    // A slightly darker lower edge gives the cap its depth.
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.color(QPalette::Mid));
    painter.drawRoundedRect(cap.translated(0, 1.5), 5, 5);
    painter.setBrush(colours.color(QPalette::Button));
    painter.setPen(QPen(colours.color(QPalette::Mid), 1));
    painter.drawRoundedRect(cap, 5, 5);
    painter.setPen(colours.color(QPalette::ButtonText));
    painter.drawText(cap, Qt::AlignCenter, keys_[i]);
  }
}

}  // namespace quillo::ui
