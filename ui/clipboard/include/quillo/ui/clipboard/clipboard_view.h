#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "quillo/app/clipboard/clipboard_model.h"
#include "quillo/app/shell/key_event.h"
#include "quillo/app/shell/launcher_routing.h"
#include "quillo/base/date.h"

namespace quillo::ui {

class ClipboardViewParts;

// The clipboard history as the launcher panel shows it: a search field, the filters, the list of
// entries with their thumbnails and selection numbers, the preview, the actions and a status line.
// It presents the model's state and turns the user's clicks and typing into calls on the model;
// the panel's key routing decides what keys do. It takes over the model's onChange (calling the
// handler set before it first) and onChooseFolder (a folder dialog, then saveSelection), and gives
// both back when it goes. Main thread only; the model must outlive the view.
class ClipboardView : public QWidget {
 public:
  struct Hooks {
    // Every key pressed in the search field goes here first; `consumed` keeps it from the field.
    std::function<app::Routing(const app::KeyEvent&, const app::SearchFieldState&)> routeKey{};
    // After the view painted new content (for timing the panel).
    std::function<void()> painted{};
    // The button of the "Recording paused" notice; without it the notice has no button.
    std::function<void()> turnOnRecording{};
    // The wall-clock time that entries' ages are counted from; the computer's clock without it.
    std::function<base::Date()> now{};
  };

  ClipboardView(app::ClipboardModel& model, Hooks hooks, QWidget* parent = nullptr);
  ~ClipboardView() override;
  ClipboardView(const ClipboardView&) = delete;
  ClipboardView& operator=(const ClipboardView&) = delete;

  // Focusing the view focuses its search field (the field is its focus proxy).
  void focusSearchField();
  // The panel's width, and room for eight rows with the field, filters and status line.
  QSize sizeHint() const override;

 protected:
  // Ages move on while the panel is hidden: they are counted again each time it shows.
  void showEvent(QShowEvent* event) override;

 private:
  std::unique_ptr<ClipboardViewParts> parts_;
};

}  // namespace quillo::ui
