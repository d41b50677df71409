#include "clipboard_filter_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace quillo::ui {

ClipboardFilterBar::ClipboardFilterBar(const std::function<void(clipboard::ClipboardFilter)>& choose,
                                       QWidget* parent)
    : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 0, 8, 0);
  layout->setSpacing(4);
  for (std::size_t at = 0; at < buttons_.size(); ++at) {
    const auto filter = clipboard::kAllClipboardFilters[at];
    auto* button = new QToolButton(this);
    button->setText(
        QString::fromUtf8(rawValue(filter).data(), static_cast<qsizetype>(rawValue(filter).size())));
    button->setCheckable(true);
    button->setAutoRaise(true);
    // The search field keeps the keyboard; Tab moves through the filters.
    button->setFocusPolicy(Qt::NoFocus);
    QObject::connect(button, &QToolButton::clicked, this, [choose, filter] { choose(filter); });
    layout->addWidget(button);
    buttons_[at] = button;
  }
  layout->addStretch(1);
  auto* hint = new QLabel(QStringLiteral("Tab changes the filter"), this);
  hint->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(hint);
  setAccessibleName(QStringLiteral("Filter"));
}

void ClipboardFilterBar::update(clipboard::ClipboardFilter current) {
  for (std::size_t at = 0; at < buttons_.size(); ++at)
    buttons_[at]->setChecked(clipboard::kAllClipboardFilters[at] == current);
}

}  // namespace quillo::ui
