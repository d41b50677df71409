#include "quillo/ui/clipboard/clipboard_view.h"

#include <algorithm>

#include "clipboard_view_parts.h"

namespace quillo::ui {

ClipboardView::ClipboardView(app::ClipboardModel& model, Hooks hooks, QWidget* parent)
    : QWidget(parent), parts_(std::make_unique<ClipboardViewParts>(*this, model, std::move(hooks))) {
  setAccessibleName(QStringLiteral("Clipboard history"));
  setFocusProxy(&parts_->searchField());
  parts_->sync();
}

ClipboardView::~ClipboardView() {
  // The widgets call into the parts (rows, callbacks), so they go before the parts do.
  qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

void ClipboardView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  parts_->sync();
}

QSize ClipboardView::sizeHint() const {
  const int line = fontMetrics().height();
  const int row = std::max(48, 2 * line + 16);
  // Field, separator, filters, eight rows, separator, status line, with the spacing between.
  return {720, 3 * line + 30 + line + 16 + 8 * row + line + 24};
}

void ClipboardView::focusSearchField() {
  parts_->searchField().setFocus(Qt::OtherFocusReason);
}

}  // namespace quillo::ui
