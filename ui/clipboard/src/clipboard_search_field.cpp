#include "clipboard_search_field.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include "quillo/ui/style/qt_key_event.h"

namespace quillo::ui {

ClipboardSearchField::ClipboardSearchField(Callbacks callbacks, QWidget* parent)
    : QLineEdit(parent), callbacks_(std::move(callbacks)) {
  setPlaceholderText(QStringLiteral("Search clipboard history"));
  setAccessibleName(QStringLiteral("Search clipboard history"));
  setClearButtonEnabled(false);
  setFrame(false);
}

app::SearchFieldState ClipboardSearchField::fieldState() const {
  return {
      .isFirstResponder = hasFocus(),
      .isEmpty = text().isEmpty(),
      .hasSelectedText = hasSelectedText(),
      .isComposing = isComposing_,
      .belongsToPanel = true,
  };
}

bool ClipboardSearchField::event(QEvent* event) {
  // Tab arrives here before keyPressEvent would see it, so the routing is asked here.
  if (event->type() == QEvent::KeyPress) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // The key reached the field, so the field's editor is the one that has the keyboard.
    app::SearchFieldState field = fieldState();
    field.isFirstResponder = true;
    if (callbacks_.routeKey && callbacks_.routeKey(keyEventFrom(key), field) == app::Routing::consumed) {
      event->accept();
      return true;
    }
    const bool tab = key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab;
    if (tab && (key.modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier) {
      if (callbacks_.nextFilter) callbacks_.nextFilter();
      event->accept();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void ClipboardSearchField::inputMethodEvent(QInputMethodEvent* event) {
  isComposing_ = !event->preeditString().isEmpty();
  QLineEdit::inputMethodEvent(event);
}

}  // namespace quillo::ui
