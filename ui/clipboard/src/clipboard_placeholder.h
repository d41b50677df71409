#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "quillo/app/clipboard/clipboard_model.h"

class QLabel;
class QPushButton;

namespace quillo::ui {

// A title, a detail line and, when it offers one, a button: what the window says when it has no
// entries to show, and the notice that recording is paused.
class ClipboardNotice final : public QWidget {
 public:
  // `button` is the action behind the detail when the detail names a button; without it the
  // detail is a line of text.
  ClipboardNotice(std::function<void()> button, std::function<void()> painted, QWidget* parent = nullptr);

  void update(const std::optional<app::ClipboardPlaceholder>& notice);
  QString titleText() const;
  QString detailText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QLabel* title_;
  QLabel* detail_;
  QPushButton* button_;
  bool offersButton_;
  std::function<void()> painted_;
};

}  // namespace quillo::ui
