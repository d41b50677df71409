#pragma once

#include <QWidget>
#include <functional>

#include "quillo/base/observers.h"
#include "quillo/ui/settings/settings_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace quillo::ui {

// The clipboard history's settings: recording, what kinds are kept, for how long and how much,
// the applications whose copies are never kept, what joins pasted items, forgetting tokens, and
// clearing the history (asked first, with or without pinned items). While it shows, the history's
// size follows the clipboard model.
class ClipboardPage : public QWidget {
  Q_OBJECT

 public:
  ClipboardPage(SettingsContext& context, QWidget* parent);
  void refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void change(const std::function<void()>& write);
  void askToClear(bool includingPinned);
  void addExcludedApp();
  void removeExcludedApp();
  void setSeparator(const QString& text);

  SettingsContext& context_;
  QCheckBox* enabled_;
  QCheckBox* text_;
  QCheckBox* images_;
  QCheckBox* files_;
  QSpinBox* days_;
  QSpinBox* megabytes_;
  QListWidget* excluded_;
  QPushButton* removeExcluded_;
  QComboBox* separator_;
  QCheckBox* forgetsTokens_;
  QLabel* usage_;
  QLabel* failure_;
  base::Observers::Token modelChanges_;
};

}  // namespace quillo::ui
