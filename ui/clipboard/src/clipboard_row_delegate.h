#pragma once

#include <QStyledItemDelegate>

namespace quillo::ui {

class ClipboardRows;

// Draws a history row with the application's palette: the thumbnail (or a tile naming the kind),
// the selection number, the title, kind and source, the age, the pin and the "copied" mark.
class ClipboardRowDelegate final : public QStyledItemDelegate {
 public:
  ClipboardRowDelegate(const ClipboardRows& rows, QObject* parent)
      : QStyledItemDelegate(parent), rows_(rows) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  const ClipboardRows& rows_;
};

}  // namespace quillo::ui
