#include "result_list_accessible.h"

#include "quillo/ui/panel/result_list.h"

namespace quillo::ui {
namespace {

QAccessibleInterface* makeInterface(const QString& className, QObject* object) {
  if (className == QLatin1String(ResultList::staticMetaObject.className()) && object &&
      object->isWidgetType())
    return new ResultListAccessible(static_cast<QWidget*>(object));
  return nullptr;
}

}  // namespace

bool RowAccessible::isValid() const {
  return list_ && index_ < list_->rowCount();
}

QWindow* RowAccessible::window() const {
  return list_ ? list_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* RowAccessible::parent() const {
  return list_ ? QAccessible::queryAccessibleInterface(list_.data()) : nullptr;
}

QString RowAccessible::text(QAccessible::Text t) const {
  if (!isValid()) return {};
  const RowView& row = list_->row(index_);
  switch (t) {
    case QAccessible::Name:
      return row.title;
    case QAccessible::Description:
      return accessibleDescription(row);
    case QAccessible::Accelerator:
      return row.keyCaps.join('+');
    default:
      return {};
  }
}

QRect RowAccessible::rect() const {
  if (!isValid()) return {};
  const QRect local = list_->rowRect(index_);
  return {list_->mapToGlobal(local.topLeft()), local.size()};
}

QAccessible::State RowAccessible::state() const {
  QAccessible::State state;
  state.selectable = true;
  state.focusable = true;
  if (!isValid()) {
    state.invalid = true;
    return state;
  }
  state.selected = list_->selection() == index_;
  state.focused = state.selected && list_->window()->isActiveWindow();
  state.invisible = !list_->isVisible() || index_ < list_->firstVisibleRow() ||
                    index_ >= list_->firstVisibleRow() + list_->visibleRowCount();
  return state;
}

ResultListAccessible::ResultListAccessible(QWidget* list) : QAccessibleWidget(list, QAccessible::List) {}

ResultList* ResultListAccessible::list() const {
  return static_cast<ResultList*>(widget());
}

int ResultListAccessible::childCount() const {
  return list()->rowCount();
}

QAccessibleInterface* ResultListAccessible::child(int index) const {
  if (index < 0 || index >= list()->rowCount()) return nullptr;
  return list()->rowInterface(index);
}

int ResultListAccessible::indexOfChild(const QAccessibleInterface* child) const {
  for (int index = 0; index < list()->rowCount(); ++index)
    if (list()->rowInterface(index) == child) return index;
  return -1;
}

QAccessibleInterface* ResultListAccessible::childAt(int x, int y) const {
  const QPoint local = list()->mapFromGlobal(QPoint(x, y));
  for (int index = 0; index < list()->rowCount(); ++index)
    if (list()->rowRect(index).contains(local)) return child(index);
  return nullptr;
}

QAccessibleInterface* ResultListAccessible::focusChild() const {
  return child(list()->selection());
}

void installResultListAccessibility() {
  static const bool installed = (QAccessible::installFactory(&makeInterface), true);
  (void)installed;
}

}  // namespace quillo::ui
