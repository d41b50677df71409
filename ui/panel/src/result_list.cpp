#include "quillo/ui/panel/result_list.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "quillo/ui/style/key_caps.h"
#include "result_list_accessible.h"

namespace quillo::ui {
namespace {

constexpr int kIconSize = 28;
constexpr int kInset = 8;

void paintRow(QPainter& painter, const QRect& frame, const RowView& row, const QWidget& widget, bool selected,
              bool hovered) {
  const QPalette& palette = widget.palette();
  if (selected || hovered) {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(frame.adjusted(kInset / 2, 2, -kInset / 2, -2)), 8, 8);
    painter.fillPath(shape, palette.color(selected ? QPalette::Highlight : QPalette::AlternateBase));
  }
  const QColor text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
  QColor quiet =
      selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::PlaceholderText);
  if (selected) quiet.setAlphaF(0.8f);

  const QRect iconFrame(frame.left() + 2 * kInset, frame.center().y() - kIconSize / 2 + 1, kIconSize,
                        kIconSize);
  painter.drawPixmap(iconFrame, iconPixmap(row.icon, kIconSize, widget.devicePixelRatioF(), text));

  // The right side: key caps, then what Return does (selected) or the kind.
  int right = frame.right() - 2 * kInset;
  const QString trailing = selected ? row.hint + "  \u21b5" : row.kind;
  QFont small = widget.font();
  small.setPointSizeF(widget.font().pointSizeF() * 0.88);
  const QFontMetrics smallMetrics(small);
  const int trailingWidth = smallMetrics.horizontalAdvance(trailing);
  painter.setFont(small);
  painter.setPen(quiet);
  painter.drawText(QRect(right - trailingWidth, frame.top(), trailingWidth, frame.height()),
                   Qt::AlignVCenter | Qt::AlignRight, trailing);
  right -= trailingWidth + 12;
  if (!row.keyCaps.isEmpty()) {
    const KeyCapsPainter caps(widget.font());
    const QSize size = caps.size(row.keyCaps);
    caps.paint(painter, QRect(right - size.width(), frame.top(), size.width(), frame.height()), row.keyCaps,
               palette, selected);
    right -= size.width() + 12;
  }

  const int left = iconFrame.right() + 12;
  const bool twoLines = !row.detail.isEmpty();
  const QFontMetrics metrics(widget.font());
  const int titleTop = twoLines ? frame.top() + 6 : frame.top();
  const int titleHeight = twoLines ? metrics.height() + 2 : frame.height();
  const int markWidth = row.ranked ? 14 : 0;
  painter.setFont(widget.font());
  painter.setPen(text);
  const QString title = metrics.elidedText(row.title, Qt::ElideRight, right - left - markWidth);
  const QRect titleFrame(left, titleTop, right - left - markWidth, titleHeight);
  painter.drawText(titleFrame, Qt::AlignVCenter | Qt::AlignLeft, title);
  if (row.ranked) {
    // A quiet dot after the title: the service, not the typed letters, put the row here.
    const int x = left + metrics.horizontalAdvance(title) + 8;
    const int y = titleTop + titleHeight / 2;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(selected ? text : palette.color(QPalette::Highlight));
    painter.drawEllipse(QPointF(x, y), 2.5, 2.5);
    painter.setBrush(Qt::NoBrush);
  }
  if (twoLines) {
    painter.setFont(small);
    painter.setPen(quiet);
    painter.drawText(QRect(left, titleTop + titleHeight, right - left, smallMetrics.height() + 2),
                     Qt::AlignTop | Qt::AlignLeft,
                     smallMetrics.elidedText(row.detail, Qt::ElideMiddle, right - left));
  }
}

}  // namespace

ResultList::ResultList(QWidget* parent) : QWidget(parent) {
  installResultListAccessibility();
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  setAccessibleName("Results");
  setMouseTracking(true);
}

ResultList::~ResultList() {
  for (const QAccessible::Id id : rowInterfaces_)
    QAccessible::deleteAccessibleInterface(id);
}

void ResultList::setRows(std::vector<RowView> rows, int selection) {
  const bool selectionMoved = selection != selection_;
  const bool countChanged = rows.size() != rows_.size();
  rows_ = std::move(rows);
  if (countChanged) hovered_ = -1;
  selection_ = rows_.empty() ? -1 : selection;
  scrollToSelection();
  if (QAccessible::isActive()) {
    if (countChanged) {
      QAccessibleEvent event(this, QAccessible::ObjectReorder);
      QAccessible::updateAccessibility(&event);
    }
    if (selectionMoved || countChanged) announceSelection();
  }
  updateGeometry();
  update();
}

int ResultList::rowHeight() const {
  return std::max(48, 2 * fontMetrics().height() + 14);
}

int ResultList::visibleRowCount() const {
  return std::max(1, (height() - 8) / rowHeight());
}

QRect ResultList::rowRect(int index) const {
  return {0, (index - first_) * rowHeight() + 4, width(), rowHeight()};
}

void ResultList::scrollToSelection() {
  const int visible = visibleRowCount();
  if (selection_ >= 0 && selection_ < first_) first_ = selection_;
  if (selection_ >= first_ + visible) first_ = selection_ - visible + 1;
  first_ = std::clamp(first_, 0, std::max(0, rowCount() - visible));
}

void ResultList::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  scrollToSelection();
}

int ResultList::rowAt(QPoint point) const {
  for (int index = 0; index < rowCount(); ++index)
    if (rowRect(index).contains(point)) return index;
  return -1;
}

QAccessibleInterface* ResultList::rowInterface(int index) const {
  while (int(rowInterfaces_.size()) <= index)
    rowInterfaces_.push_back(QAccessible::registerAccessibleInterface(
        new RowAccessible(const_cast<ResultList*>(this), int(rowInterfaces_.size()))));
  return QAccessible::accessibleInterface(rowInterfaces_[std::size_t(index)]);
}

void ResultList::announceSelection() {
  if (selection_ < 0) return;
  QAccessibleEvent event(this, QAccessible::Focus);
  event.setChild(selection_);
  QAccessible::updateAccessibility(&event);
  QAccessibleEvent selected(this, QAccessible::SelectionAdd);
  selected.setChild(selection_);
  QAccessible::updateAccessibility(&selected);
}

QSize ResultList::sizeHint() const {
  return {560, 8 * rowHeight() + 8};
}

void ResultList::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  for (int index = first_; index < std::min(rowCount(), first_ + visibleRowCount() + 1); ++index)
    paintRow(painter, rowRect(index), rows_[std::size_t(index)], *this, index == selection_,
             index == hovered_);
}

void ResultList::mouseMoveEvent(QMouseEvent* event) {
  const int hovered = rowAt(event->position().toPoint());
  if (hovered == hovered_) return;
  hovered_ = hovered;
  update();
}

void ResultList::leaveEvent(QEvent*) {
  hovered_ = -1;
  update();
}

void ResultList::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton ? rowAt(event->position().toPoint()) : -1;
}

void ResultList::mouseReleaseEvent(QMouseEvent* event) {
  // A click is a press and a release on the same row.
  const int released = rowAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && released >= 0 && released == pressed_) emit rowClicked(released);
  pressed_ = -1;
}

}  // namespace quillo::ui
