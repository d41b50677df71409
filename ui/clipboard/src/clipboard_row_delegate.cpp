#include "clipboard_row_delegate.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

#include "clipboard_rows.h"

namespace quillo::ui {
namespace {

constexpr int kMargin = 8;
constexpr int kTile = 32;

void paintTile(QPainter& painter, const QRect& tile, const ClipboardRow& row, const QPalette& palette) {
  if (!row.thumbnail.isNull()) {
    const QPixmap scaled = row.thumbnail.scaled(tile.size() * painter.device()->devicePixelRatioF(),
                                                Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap shown = scaled;
    shown.setDevicePixelRatio(painter.device()->devicePixelRatioF());
    const QSize size = shown.deviceIndependentSize().toSize();
    painter.drawPixmap(
        QRect(QPoint(0, 0), size).translated(tile.center() - QPoint(size.width() / 2, size.height() / 2)),
        shown);
    return;
  }
  painter.setPen(Qt::NoPen);
  // Set apart from the row behind it, which is AlternateBase while selected.
  painter.setBrush(palette.color(row.selectionNumber > 0 ? QPalette::Base : QPalette::AlternateBase));
  painter.drawRoundedRect(tile, 6, 6);
  if (const QIcon icon = QIcon::fromTheme(row.iconName); !icon.isNull()) {
    icon.paint(&painter, tile.adjusted(6, 6, -6, -6));
    return;
  }
  // Without an icon theme the tile names the kind by its first letter.
  painter.setPen(palette.color(QPalette::PlaceholderText));
  QFont font = painter.font();
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(tile, Qt::AlignCenter, row.kind.left(1));
}

void paintNumber(QPainter& painter, const QRect& tile, int number, const QPalette& palette) {
  const int side = painter.fontMetrics().height() + 2;
  const QRect badge(tile.right() - side + 6, tile.top() - 4, side, side);
  painter.setPen(QPen(palette.color(QPalette::Base), 2));
  painter.setBrush(palette.color(QPalette::Highlight));
  painter.drawEllipse(badge);
  painter.setPen(palette.color(QPalette::HighlightedText));
  QFont font = painter.font();
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(badge, Qt::AlignCenter, QString::number(number));
}

// A small pin: a round head on a short needle.
void paintPin(QPainter& painter, const QPoint& at, const QColor& color) {
  painter.setPen(QPen(color, 1.5));
  painter.drawLine(at + QPoint(0, 3), at + QPoint(0, 9));
  painter.setPen(Qt::NoPen);
  painter.setBrush(color);
  painter.drawEllipse(at + QPoint(-4, -4), 4, 4);
}

void paintCheck(QPainter& painter, const QPoint& at, const QColor& color) {
  QPainterPath check;
  check.moveTo(at + QPoint(-5, 0));
  check.lineTo(at + QPoint(-1, 4));
  check.lineTo(at + QPoint(6, -5));
  painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(check);
}

}  // namespace

void ClipboardRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  const ClipboardRow& row = rows_.row(index.row());
  const QPalette& palette = option.palette;
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const QRect area = option.rect.adjusted(4, 1, -4, -1);
  QColor text = palette.color(QPalette::Text);
  QColor quiet = palette.color(QPalette::PlaceholderText);
  if (row.isFocused) {
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette.color(QPalette::Highlight));
    painter->drawRoundedRect(area, 8, 8);
    text = palette.color(QPalette::HighlightedText);
    quiet = text;
    quiet.setAlphaF(0.75F);
  } else if (row.selectionNumber > 0) {
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette.color(QPalette::AlternateBase));
    painter->drawRoundedRect(area, 8, 8);
  }

  const QRect tile(area.left() + kMargin, area.center().y() - kTile / 2, kTile, kTile);
  paintTile(*painter, tile, row, palette);
  if (row.selectionNumber > 0) paintNumber(*painter, tile, row.selectionNumber, palette);

  const QFontMetrics metrics(option.font);
  const int right = area.right() - kMargin;
  painter->setFont(option.font);
  const int ageWidth = metrics.horizontalAdvance(row.age);
  const int marks = (row.isPinned ? 14 : 0) + (row.isCopied ? 16 : 0);
  const int textLeft = tile.right() + kMargin + 4;
  const int textRight = right - ageWidth - marks - kMargin;
  const int lineHeight = metrics.height();
  const int top = area.center().y() - lineHeight;

  painter->setPen(text);
  painter->drawText(QRect(textLeft, top, textRight - textLeft, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                    metrics.elidedText(row.title.simplified(), Qt::ElideRight, textRight - textLeft));
  QString detail = row.kind;
  if (!row.source.isEmpty()) detail += QStringLiteral(" · ") + row.source;
  QFont small = option.font;
  small.setPointSizeF(small.pointSizeF() * 0.9);
  painter->setFont(small);
  painter->setPen(quiet);
  const QFontMetrics smallMetrics(small);
  painter->drawText(QRect(textLeft, top + lineHeight, textRight - textLeft, lineHeight),
                    Qt::AlignLeft | Qt::AlignVCenter,
                    smallMetrics.elidedText(detail, Qt::ElideRight, textRight - textLeft));
  painter->drawText(QRect(right - ageWidth, area.top(), ageWidth, area.height()),
                    Qt::AlignRight | Qt::AlignVCenter, row.age);

  int markX = right - ageWidth - kMargin;
  if (row.isPinned) {
    paintPin(*painter, QPoint(markX - 4, area.center().y() - 2), quiet);
    markX -= 14;
  }
  if (row.isCopied) paintCheck(*painter, QPoint(markX - 6, area.center().y()), text);
  painter->restore();
}

QSize ClipboardRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  const int lines = 2 * QFontMetrics(option.font).height() + 2 * kMargin;
  return {option.rect.width(), std::max(kTile + 2 * kMargin, lines)};
}

}  // namespace quillo::ui
