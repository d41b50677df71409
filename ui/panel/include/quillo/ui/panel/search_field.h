#pragma once

#include <QLineEdit>

#include "quillo/app/shell/launcher_routing.h"

namespace quillo::ui {

// The panel's one search field: a plain line edit that also knows whether an input method is
// composing text in it, which the key routing needs. Main thread only.
class SearchField : public QLineEdit {
  Q_OBJECT

 public:
  explicit SearchField(QWidget* parent = nullptr);

  bool isComposing() const { return composing_; }
  // The field as the key routing reads it at this moment.
  app::SearchFieldState state() const;

 protected:
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void blendWithPanel();

  bool composing_ = false;
};

}  // namespace quillo::ui
