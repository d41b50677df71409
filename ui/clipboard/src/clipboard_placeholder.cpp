#include "clipboard_placeholder.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillo::ui {

ClipboardNotice::ClipboardNotice(std::function<void()> button, std::function<void()> painted, QWidget* parent)
    : QWidget(parent),
      title_(new QLabel(this)),
      detail_(new QLabel(this)),
      button_(new QPushButton(this)),
      offersButton_(static_cast<bool>(button)),
      painted_(std::move(painted)) {
  auto* layout = new QVBoxLayout(this);
  layout->addStretch(1);
  QFont font = title_->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.15);
  title_->setFont(font);
  title_->setAlignment(Qt::AlignCenter);
  title_->setWordWrap(true);
  detail_->setAlignment(Qt::AlignCenter);
  detail_->setWordWrap(true);
  detail_->setForegroundRole(QPalette::PlaceholderText);
  button_->setFocusPolicy(Qt::NoFocus);
  button_->hide();
  if (button) connect(button_, &QPushButton::clicked, this, [button = std::move(button)] { button(); });
  layout->addWidget(title_);
  layout->addWidget(detail_);
  layout->addWidget(button_, 0, Qt::AlignHCenter);
  layout->addStretch(1);
  hide();
}

void ClipboardNotice::update(const std::optional<app::ClipboardPlaceholder>& notice) {
  setVisible(notice.has_value());
  if (!notice) return;
  const QString title = QString::fromStdString(notice->title);
  const QString detail = QString::fromStdString(notice->detail);
  title_->setText(title);
  setAccessibleName(title);
  button_->setVisible(offersButton_ && !detail.isEmpty());
  detail_->setVisible(!offersButton_ && !detail.isEmpty());
  button_->setText(detail);
  detail_->setText(detail);
}

QString ClipboardNotice::titleText() const {
  return isHidden() ? QString() : title_->text();
}
QString ClipboardNotice::detailText() const {
  return isHidden() ? QString() : detail_->text();
}

void ClipboardNotice::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (painted_) painted_();
}

}  // namespace quillo::ui
