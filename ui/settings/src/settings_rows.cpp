#include "settings_rows.h"

#include <QStyle>

namespace quillo::ui {

QLabel* pageTitle(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() * 1.4);
  font.setBold(true);
  label->setFont(font);
  label->setAccessibleName(text);
  return label;
}

QLabel* sectionTitle(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  label->setContentsMargins(0, 10, 0, 0);
  return label;
}

QLabel* explanation(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setForegroundRole(QPalette::PlaceholderText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QLabel* failureLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setWordWrap(true);
  label->setObjectName(QStringLiteral("failure"));
  // The accent draws the eye without a colour that ignores the desktop's palette.
  label->setForegroundRole(QPalette::Highlight);
  label->hide();
  return label;
}

void showFailure(QLabel* label, const QString& message) {
  label->setText(message);
  label->setVisible(!message.isEmpty());
}

bool attempt(QLabel* failure, const std::function<void()>& change) {
  try {
    change();
    showFailure(failure, {});
    return true;
  } catch (const std::exception& error) {
    showFailure(failure, QString::fromUtf8(error.what()));
    return false;
  }
}

QCheckBox* addSwitch(QVBoxLayout* layout, const QString& name, const QString& label, const QString& text) {
  auto* parent = layout->parentWidget();
  auto* box = new QCheckBox(label, parent);
  box->setObjectName(name);
  layout->addWidget(box);
  if (!text.isEmpty()) {
    auto* note = explanation(text, parent);
    // Under the switch's text, not under its box.
    note->setContentsMargins(box->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                                 box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing),
                             0, 0, 4);
    box->setAccessibleDescription(text);
    layout->addWidget(note);
  }
  return box;
}

QVBoxLayout* pageLayout(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(24, 20, 24, 20);
  layout->setSpacing(6);
  layout->setAlignment(Qt::AlignTop);
  return layout;
}

}  // namespace quillo::ui
