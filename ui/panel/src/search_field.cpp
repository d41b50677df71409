#include "quillo/ui/panel/search_field.h"

#include <QInputMethodEvent>

namespace quillo::ui {

SearchField::SearchField(QWidget* parent) : QLineEdit(parent) {
  setFrame(false);
  setAttribute(Qt::WA_MacShowFocusRect, false);
  setClearButtonEnabled(false);
  blendWithPanel();
}

app::SearchFieldState SearchField::state() const {
  return {.isFirstResponder = hasFocus(),
          .isEmpty = text().isEmpty(),
          .hasSelectedText = hasSelectedText(),
          .isComposing = composing_,
          .belongsToPanel = true};
}

void SearchField::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) blendWithPanel();
}

void SearchField::blendWithPanel() {
  // The field is part of the panel's surface, not a box on it: its base is the window's colour,
  // kept when the desktop switches between light and dark.
  const QColor window = palette().color(QPalette::Window);
  if (palette().color(QPalette::Base) == window) return;
  QPalette own;
  own.setColor(QPalette::Base, window);
  setPalette(own);
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
