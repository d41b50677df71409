#include "clipboard_list.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include "clipboard_row_delegate.h"

namespace quillo::ui {

ClipboardList::ClipboardList(ClipboardRows& rows, Callbacks callbacks, QWidget* parent)
    : QListView(parent),
      rows_(rows),
      callbacks_(std::move(callbacks)),
      renameEditor_(new QLineEdit(viewport())) {
  setModel(&rows_);
  setItemDelegate(new ClipboardRowDelegate(rows_, this));
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformItemSizes(true);
  setFocusPolicy(Qt::NoFocus);
  setFrameShape(QFrame::NoFrame);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setAccessibleName(QStringLiteral("Clipboard history"));

  renameEditor_->setAccessibleName(QStringLiteral("Title"));
  renameEditor_->hide();
  renameEditor_->installEventFilter(this);
  connect(renameEditor_, &QLineEdit::returnPressed, this, [this] {
    if (renameEditor_->isVisible() && callbacks_.commitRename) callbacks_.commitRename(renameEditor_->text());
  });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (value > 0 && value == verticalScrollBar()->maximum() && callbacks_.reachedEnd)
      callbacks_.reachedEnd();
  });
}

void ClipboardList::showRename(const std::optional<base::Uuid>& id, const QString& title) {
  const bool starts = id && (!renameID_ || *renameID_ != *id || !renameEditor_->isVisible());
  renameID_ = id;
  if (!renameID_) {
    renameEditor_->hide();
    return;
  }
  if (starts) {
    renameEditor_->setText(title);
    renameEditor_->selectAll();
  }
  reveal(*renameID_);
  placeRenameEditor();
  renameEditor_->show();
  renameEditor_->setFocus(Qt::OtherFocusReason);
}

void ClipboardList::reveal(const base::Uuid& id) {
  const auto row = rows_.rowOf(id);
  if (!row) return;
  const QModelIndex index = rows_.index(*row);
  scrollTo(index, QAbstractItemView::EnsureVisible);
  if (announced_ == id && currentIndex() == index) return;
  announced_ = id;
  setCurrentIndex(index);
  if (!QAccessible::isActive()) return;
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(this);
  QAccessibleTableInterface* table = list ? list->tableInterface() : nullptr;
  if (QAccessibleInterface* cell = table ? table->cellAt(*row, 0) : nullptr) {
    QAccessibleEvent focused(cell, QAccessible::Focus);
    QAccessible::updateAccessibility(&focused);
  }
}

std::optional<base::Uuid> ClipboardList::idAt(const QPoint& position) const {
  const QModelIndex index = indexAt(position);
  if (!index.isValid()) return std::nullopt;
  return rows_.row(index.row()).id;
}

void ClipboardList::mousePressEvent(QMouseEvent* event) {
  const auto id = idAt(event->position().toPoint());
  if (!id || event->button() != Qt::LeftButton) return QListView::mousePressEvent(event);
  // Ctrl+click gathers several entries, numbered in the order they are clicked.
  if (event->modifiers().testFlag(Qt::ControlModifier)) {
    if (callbacks_.toggleSelection) callbacks_.toggleSelection(*id);
  } else if (callbacks_.focus) {
    callbacks_.focus(*id);
  }
  event->accept();
}

void ClipboardList::mouseDoubleClickEvent(QMouseEvent* event) {
  const auto id = idAt(event->position().toPoint());
  if (!id || event->button() != Qt::LeftButton || event->modifiers() != Qt::NoModifier)
    return QListView::mouseDoubleClickEvent(event);
  if (callbacks_.focus) callbacks_.focus(*id);
  if (callbacks_.performPrimary) callbacks_.performPrimary(*id);
  event->accept();
}

void ClipboardList::contextMenuEvent(QContextMenuEvent* event) {
  const auto id = idAt(event->pos());
  if (!id) return;
  if (callbacks_.showMenu) callbacks_.showMenu(*id, event->globalPos());
  event->accept();
}

void ClipboardList::paintEvent(QPaintEvent* event) {
  QListView::paintEvent(event);
  if (callbacks_.painted) callbacks_.painted();
}

void ClipboardList::resizeEvent(QResizeEvent* event) {
  QListView::resizeEvent(event);
  placeRenameEditor();
}

void ClipboardList::scrollContentsBy(int dx, int dy) {
  QListView::scrollContentsBy(dx, dy);
  placeRenameEditor();
}

bool ClipboardList::eventFilter(QObject* watched, QEvent* event) {
  if (watched == renameEditor_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    if (callbacks_.cancelRename) callbacks_.cancelRename();
    return true;
  }
  return QListView::eventFilter(watched, event);
}

void ClipboardList::placeRenameEditor() {
  if (!renameID_) return;
  const auto row = rows_.rowOf(*renameID_);
  if (!row) return renameEditor_->hide();
  const QRect rect = visualRect(rows_.index(*row));
  // Over the title, leaving the thumbnail in sight.
  const int left = 8 + 32 + 12;
  const int height = renameEditor_->sizeHint().height();
  renameEditor_->setGeometry(rect.left() + left, rect.center().y() - height / 2, rect.width() - left - 12,
                             height);
}

}  // namespace quillo::ui
