#pragma once

#include <QListView>
#include <functional>

#include "clipboard_rows.h"

class QLineEdit;

namespace quillo::ui {

// The history list: custom-painted rows, clicks turned into the model's calls, and the inline
// editor of a rename. It never takes the keyboard focus from the search field.
class ClipboardList final : public QListView {
 public:
  struct Callbacks {
    std::function<void(const base::Uuid&)> focus;
    std::function<void(const base::Uuid&)> toggleSelection;
    std::function<void(const base::Uuid&)> performPrimary;
    // The context menu for the rows, at a global position.
    std::function<void(const base::Uuid&, const QPoint&)> showMenu;
    std::function<void()> reachedEnd;
    std::function<void(const QString&)> commitRename;
    std::function<void()> cancelRename;
    std::function<void()> painted;
  };

  ClipboardList(ClipboardRows& rows, Callbacks callbacks, QWidget* parent = nullptr);

  // Shows the rename editor over the entry's row with `title`, or hides it.
  void showRename(const std::optional<base::Uuid>& id, const QString& title);
  // Keeps the focused row in sight and tells assistive technology that it has the focus: the
  // keyboard stays in the search field, so the row is announced as the field's active item.
  void reveal(const base::Uuid& id);
  QLineEdit& renameEditor() const { return *renameEditor_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::optional<base::Uuid> idAt(const QPoint& position) const;
  void placeRenameEditor();

  ClipboardRows& rows_;
  Callbacks callbacks_;
  QLineEdit* renameEditor_;
  std::optional<base::Uuid> renameID_;
  std::optional<base::Uuid> announced_;
};

}  // namespace quillo::ui
