#pragma once

#include <QWidget>

#include "quillo/app/clipboard/clipboard_model.h"

class QLabel;
class QPlainTextEdit;
class QStackedWidget;

namespace quillo::ui {

// The pane beside the list: the focused entry's text, image or files while it is previewed, or
// the cleaned text of the selection. A secret's text is never put on screen.
class ClipboardPreview final : public QWidget {
 public:
  explicit ClipboardPreview(QWidget* parent = nullptr);

  // Shows what the state asks for; hides the pane when there is nothing to preview.
  void update(const app::ClipboardModelState& state);

  // What the pane shows now, as text (the file names, the image's size, the message for a secret).
  QString shownText() const;

 private:
  void showText(const QString& heading, const QString& text, const QString& note);
  void showMessage(const QString& heading, const QString& message);

  QLabel* heading_;
  QStackedWidget* pages_;
  QPlainTextEdit* text_;
  QLabel* image_;
  QLabel* message_;
  QLabel* note_;
  QByteArray shownImage_;
};

}  // namespace quillo::ui
