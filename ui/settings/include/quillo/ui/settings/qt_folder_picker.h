#pragma once

#include <QPointer>
#include <QWidget>

#include "quillo/platform/folder_picker.h"

class QFileDialog;

namespace quillo::ui {

// The folder panel over QFileDialog: the desktop's own dialog through its portal where Qt uses
// one, Qt's dialog elsewhere. Folders only; several may be chosen. A choice the validator refuses
// is not confirmed: the refusal is shown and the panel stays open. Main thread only.
class QtFolderPicker final : public platform::FolderPicker {
 public:
  // The panel's parent when no window is active; may be null.
  explicit QtFolderPicker(QWidget* fallbackParent = nullptr);
  ~QtFolderPicker() override;

  void show(const Request& request, Done done) override;

  // The panel while it is shown, for the program's own tests and window placement.
  QFileDialog* dialog() const { return dialog_; }

 private:
  QPointer<QWidget> fallbackParent_;
  QPointer<QFileDialog> dialog_;
};

}  // namespace quillo::ui
