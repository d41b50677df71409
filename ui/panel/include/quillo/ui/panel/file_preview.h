#pragma once

#include <QLabel>
#include <QWidget>

#include "quillo/core/commands/result_row.h"

namespace quillo::ui {

// A look at the selected file result beside the list: a picture for images, the first lines of
// text files, the type's icon otherwise, with the name, folder, size and day. Reads at most a few
// kilobytes of the file, on the main thread. Main thread only.
class FilePreview : public QWidget {
  Q_OBJECT

 public:
  static constexpr int width = 260;

  explicit FilePreview(QWidget* parent = nullptr);

  // Shows `row` when it is a file or folder result; returns whether it did.
  bool show(const core::ResultRow& row);

 private:
  QLabel* picture_;
  QLabel* text_;
  QLabel* name_;
  QLabel* facts_;
  std::string shown_;
};

}  // namespace quillo::ui
