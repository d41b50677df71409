#pragma once

#include <QMenu>
#include <QPointer>

#include "clipboard_action_menu.h"
#include "clipboard_filter_bar.h"
#include "clipboard_list.h"
#include "clipboard_placeholder.h"
#include "clipboard_preview.h"
#include "clipboard_rows.h"
#include "clipboard_search_field.h"
#include "quillo/base/observers.h"
#include "quillo/ui/clipboard/clipboard_view.h"

class QLabel;
class QStackedWidget;
class QToolButton;

namespace quillo::ui {

// The widgets of a ClipboardView and how the model's state reaches them.
class ClipboardViewParts {
 public:
  ClipboardViewParts(ClipboardView& view, app::ClipboardModel& model, ClipboardView::Hooks hooks);
  ~ClipboardViewParts();
  ClipboardViewParts(const ClipboardViewParts&) = delete;
  ClipboardViewParts& operator=(const ClipboardViewParts&) = delete;

  // Shows the model's current state.
  void sync();
  ClipboardSearchField& searchField() { return *searchField_; }

 private:
  base::Date now() const;
  // The model's empty-state text, or what an empty Pinned filter says.
  std::optional<app::ClipboardPlaceholder> shownPlaceholder() const;
  QString statusText() const;
  void showMenu(const base::Uuid& id, const QPoint& at);
  void chooseFolder();
  void painted() const;

  ClipboardView& view_;
  app::ClipboardModel& model_;
  ClipboardView::Hooks hooks_;
  base::Observers::Token modelChanges_;
  std::function<void()> previousOnChooseFolder_;

  ClipboardRows rows_;
  ClipboardSearchField* searchField_;
  QToolButton* actionsButton_;
  QMenu* actionsMenu_;
  QMenu* contextMenu_;
  ClipboardFilterBar* filters_;
  ClipboardNotice* recordingNotice_;
  QStackedWidget* body_;
  ClipboardList* list_;
  ClipboardNotice* placeholder_;
  ClipboardPreview* preview_;
  QLabel* status_;
  QPointer<QWidget> folderDialog_;
};

}  // namespace quillo::ui
