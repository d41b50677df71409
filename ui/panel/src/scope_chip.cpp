#include "quillo/ui/panel/scope_chip.h"

#include <QPainter>
#include <QPainterPath>

namespace quillo::ui {
namespace {

constexpr int kChipIconSize = 16;
constexpr int kPadding = 8;
constexpr int kSpacing = 6;
constexpr int kHeight = 26;

}  // namespace

ScopeChip::ScopeChip(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ScopeChip::setScope(const RowIcon& icon, const QString& title) {
  icon_ = icon;
  title_ = title;
  setAccessibleName("Searching " + title);
  updateGeometry();
  update();
}

void ScopeChip::setAccent(std::optional<QColor> accent) {
  if (accent == accent_) return;
  accent_ = accent;
  update();
}

QSize ScopeChip::sizeHint() const {
  return {kPadding + kChipIconSize + kSpacing + fontMetrics().horizontalAdvance(title_) + kPadding, kHeight};
}

void ScopeChip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), height() / 2.0, height() / 2.0);
  painter.fillPath(shape, palette().color(QPalette::AlternateBase));
  if (accent_) {
    // A light tint keeps the title readable in either scheme; the edge carries the colour.
    QColor tint = *accent_;
    tint.setAlphaF(0.18F);
    painter.fillPath(shape, tint);
  }
  painter.setPen(QPen(accent_.value_or(palette().color(QPalette::Mid)), accent_ ? 1.5 : 1));
  painter.drawPath(shape);
  const QColor text = palette().color(QPalette::Text);
  painter.drawPixmap(QRect(kPadding, (height() - kChipIconSize) / 2, kChipIconSize, kChipIconSize),
                     iconPixmap(icon_, kChipIconSize, devicePixelRatioF(), text));
  painter.setPen(text);
  painter.drawText(QRect(kPadding + kChipIconSize + kSpacing, 0, width(), height()),
                   Qt::AlignVCenter | Qt::AlignLeft, title_);
}

}  // namespace quillo::ui
