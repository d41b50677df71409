#include "tray_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>

namespace quillo::ui {
namespace {

// The mark: a "Q", a ring crossed at its lower right by a short quill stroke.
QPainterPath mark(double size) {
  QPainterPath lines;
  const double c = size / 2;
  const double r = size * 0.30;
  lines.addEllipse(QPointF(c - size * 0.03, c - size * 0.03), r, r);
  lines.moveTo(c + size * 0.06, c + size * 0.06);
  lines.lineTo(c + size * 0.38, c + size * 0.38);
  QPainterPathStroker stroker;
  stroker.setWidth(size * 0.13);
  stroker.setCapStyle(Qt::RoundCap);
  stroker.setJoinStyle(Qt::RoundJoin);
  return stroker.createStroke(lines).simplified();
}

QPixmap render(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPainterPath path = mark(size);
  // The panel's colour is the desktop's, not ours: a light glyph with a dark rim reads on both.
  painter.setPen(
      QPen(QColor(0, 0, 0, 150), std::max(1.0, size / 16.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(QColor(245, 245, 245));
  painter.drawPath(path);
  return pixmap;
}

}  // namespace

QIcon trayIcon() {
  QIcon themed = QIcon::fromTheme(QStringLiteral("dev.tarnwick.Quillo-symbolic"));
  if (!themed.isNull()) return themed;
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64})
    icon.addPixmap(render(size));
  return icon;
}

}  // namespace quillo::ui
