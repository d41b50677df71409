#include "quillo/ui/panel/search_field.h"

#include <QInputMethodEvent>

namespace quillo::ui {

SearchField::SearchField(QWidget* parent) : QLineEdit(parent) {
  setFrame(false);
  setAttribute(Qt::WA_MacShowFocusRect, false);
  setClearButtonEnabled(false);
}

app::SearchFieldState SearchField::state() const {
  return {.isFirstResponder = hasFocus(),
          .isEmpty = text().isEmpty(),
          .hasSelectedText = hasSelectedText(),
          .isComposing = composing_,
          .belongsToPanel = true};
}

void SearchField::inputMethodEvent(QInputMethodEvent* event) {
  // A composition is under way while the input method shows uncommitted text.
  composing_ = !event->preeditString().isEmpty();
  QLineEdit::inputMethodEvent(event);
}

void SearchField::focusOutEvent(QFocusEvent* event) {
  composing_ = false;
  QLineEdit::focusOutEvent(event);
}

}  // namespace quillo::ui
