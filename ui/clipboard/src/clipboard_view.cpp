#include "quillo/ui/clipboard/clipboard_view.h"

#include "clipboard_view_parts.h"

namespace quillo::ui {

ClipboardView::ClipboardView(app::ClipboardModel& model, Hooks hooks, QWidget* parent)
    : QWidget(parent), parts_(std::make_unique<ClipboardViewParts>(*this, model, std::move(hooks))) {
  setAccessibleName(QStringLiteral("Clipboard history"));
  parts_->sync();
}

ClipboardView::~ClipboardView() = default;

void ClipboardView::focusSearchField() {
  parts_->searchField().setFocus(Qt::OtherFocusReason);
}

}  // namespace quillo::ui
