#pragma once

#include <QWidget>

#include "quillo/ui/settings/settings_context.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace quillo::ui {

// The folders file search reads: each with why it cannot be searched when it cannot, and the
// buttons to add folders, choose one again and remove one.
class FoldersPage : public QWidget {
  Q_OBJECT

 public:
  FoldersPage(SettingsContext& context, QWidget* parent);
  void refresh();

 private:
  std::optional<std::string> selectedFolder() const;
  void updateButtons();

  SettingsContext& context_;
  QListWidget* list_;
  QPushButton* add_;
  QPushButton* replace_;
  QPushButton* remove_;
  QLabel* state_;
  QLabel* failure_;
};

}  // namespace quillo::ui
