#pragma once

#include <QAccessible>
#include <QWidget>
#include <vector>

#include "quillo/ui/panel/row_view.h"

namespace quillo::ui {

// The launcher's rows, drawn by hand: icon, title, detail, kind (or on the selected row what
// Return does), key caps and a small accent mark on rows the service placed. Each row is an
// accessible list item, so a screen reader reads the rows and follows the selection. Clicking a
// row reports it. Main thread only.
class ResultList : public QWidget {
  Q_OBJECT

 public:
  explicit ResultList(QWidget* parent = nullptr);
  ~ResultList() override;

  void setRows(std::vector<RowView> rows, int selection);
  int rowCount() const { return int(rows_.size()); }
  const RowView& row(int index) const { return rows_.at(std::size_t(index)); }
  int selection() const { return selection_; }
  // A row's height: two lines of the font in use with room around them, 48 at the usual sizes.
  int rowHeight() const;
  // The rows that fit; the list scrolls to keep the selection among them (the files scope lists
  // more than eight).
  int visibleRowCount() const;
  int firstVisibleRow() const { return first_; }
  // The row's frame in this widget's coordinates.
  QRect rowRect(int index) const;

  // The accessible interface of row `index`, made once per position and kept.
  QAccessibleInterface* rowInterface(int index) const;

  QSize sizeHint() const override;

 signals:
  void rowClicked(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int rowAt(QPoint point) const;
  void announceSelection();
  void scrollToSelection();

  std::vector<RowView> rows_;
  int selection_ = -1;
  int pressed_ = -1;
  int hovered_ = -1;
  int first_ = 0;
  mutable std::vector<QAccessible::Id> rowInterfaces_;
};

}  // namespace quillo::ui
