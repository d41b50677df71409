#pragma once

#include <QLineEdit>
#include <functional>

#include "quillo/app/shell/key_event.h"
#include "quillo/app/shell/launcher_routing.h"

namespace quillo::ui {

// The history's search field: each key goes to the panel's routing first, and reaches the field
// only when the routing leaves it alone. Tab never moves the focus out of the panel: it changes
// the filter.
class ClipboardSearchField final : public QLineEdit {
 public:
  struct Callbacks {
    std::function<app::Routing(const app::KeyEvent&, const app::SearchFieldState&)> routeKey;
    std::function<void()> nextFilter;
  };

  ClipboardSearchField(Callbacks callbacks, QWidget* parent = nullptr);

  // The field as the routing sees it.
  app::SearchFieldState fieldState() const;

 protected:
  bool event(QEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  Callbacks callbacks_;
  bool isComposing_ = false;
};

}  // namespace quillo::ui
