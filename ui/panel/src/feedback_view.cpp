#include "quillo/ui/panel/feedback_view.h"

#include <QVBoxLayout>

namespace quillo::ui {

FeedbackView::FeedbackView(QWidget* parent)
    : QWidget(parent), title_(new QLabel(this)), message_(new QLabel(this)), button_(new QPushButton(this)) {
  QFont titleFont = font();
  titleFont.setPointSizeF(font().pointSizeF() * 1.15);
  titleFont.setWeight(QFont::DemiBold);
  title_->setFont(titleFont);
  title_->setAlignment(Qt::AlignCenter);
  message_->setAlignment(Qt::AlignCenter);
  message_->setWordWrap(true);
  message_->setForegroundRole(QPalette::PlaceholderText);
  // Keyboard users reach the button with Tab only when the panel gives Tab to the scopes, so the
  // button takes no focus: it is a mouse target, and Return in the field never presses it.
  button_->setFocusPolicy(Qt::NoFocus);
  button_->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(40, 24, 40, 24);
  layout->setSpacing(8);
  layout->addStretch(1);
  layout->addWidget(title_);
  layout->addWidget(message_);
  layout->addSpacing(6);
  layout->addWidget(button_, 0, Qt::AlignHCenter);
  layout->addStretch(2);
  connect(button_, &QPushButton::clicked, this, &FeedbackView::buttonClicked);
}

void FeedbackView::setText(const FeedbackText& text) {
  title_->setText(text.title);
  message_->setText(text.message);
  message_->setVisible(!text.message.isEmpty());
  button_->setText(text.button);
  button_->setVisible(!text.button.isEmpty());
}

}  // namespace quillo::ui
