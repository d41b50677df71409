#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "quillo/ui/panel/panel_texts.h"

namespace quillo::ui {

// What the panel shows in place of an empty list: a title, a line of explanation and at most one
// button. Main thread only.
class FeedbackView : public QWidget {
  Q_OBJECT

 public:
  explicit FeedbackView(QWidget* parent = nullptr);

  void setText(const FeedbackText& text);
  QPushButton* button() const { return button_; }

 signals:
  void buttonClicked();

 private:
  QLabel* title_;
  QLabel* message_;
  QPushButton* button_;
};

}  // namespace quillo::ui
