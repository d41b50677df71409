#include "quillo/ui/tray/status_item.h"

#include <QAction>
#include <QString>
#include <algorithm>

#include "tray_availability.h"
#include "tray_icon.h"

namespace quillo::ui {
namespace {

// A menu title is plain text: an ampersand in it is not a mnemonic.
QString menuText(const std::string& title) {
  return QString::fromStdString(title).replace(QLatin1Char('&'), QLatin1String("&&"));
}

bool sameShape(const app::StatusMenu& a, const app::StatusMenu& b) {
  return std::equal(a.items.begin(), a.items.end(), b.items.begin(), b.items.end(),
                    [](const app::StatusMenuItem& x, const app::StatusMenuItem& y) {
                      return x.isSeparator == y.isSeparator && x.action == y.action;
                    });
}

void apply(QAction& action, const app::StatusMenuItem& item) {
  action.setText(menuText(item.title));
  action.setEnabled(item.enabled);
}

}  // namespace

StatusItem::StatusItem(Perform perform) : perform_(std::move(perform)) {
  icon_.setIcon(trayIcon());
  icon_.setContextMenu(&menu_);
  // A click on the icon shows the launcher; the menu is on the context click.
  QObject::connect(&icon_, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger && perform_) perform_(app::StatusMenuItem::Action::showQuillo);
  });
}

StatusItem::~StatusItem() {
  icon_.hide();
}

void StatusItem::install(const app::StatusMenu& menu) {
  rebuild(menu);
  icon_.show();
}

void StatusItem::update(const app::StatusMenu& menu) {
  if (!sameShape(menu, shown_)) {
    rebuild(menu);
    return;
  }
  const auto actions = menu_.actions();
  for (std::size_t i = 0; i < menu.items.size(); ++i)
    if (!menu.items[i].isSeparator) apply(*actions[static_cast<qsizetype>(i)], menu.items[i]);
  icon_.setToolTip(QString::fromStdString(menu.accessibilityLabel));
  menu_.setAccessibleName(QString::fromStdString(menu.accessibilityLabel));
  shown_ = menu;
}

void StatusItem::rebuild(const app::StatusMenu& menu) {
  menu_.clear();
  for (const auto& item : menu.items) {
    if (item.isSeparator) {
      menu_.addSeparator();
      continue;
    }
    QAction* action = menu_.addAction(QString());
    apply(*action, item);
    QObject::connect(action, &QAction::triggered, [this, kind = item.action] {
      if (perform_) perform_(kind);
    });
  }
  icon_.setToolTip(QString::fromStdString(menu.accessibilityLabel));
  menu_.setAccessibleName(QString::fromStdString(menu.accessibilityLabel));
  shown_ = menu;
}

bool StatusItem::available() {
  return QSystemTrayIcon::isSystemTrayAvailable() || statusNotifierHostRegistered();
}

bool StatusItem::visible() const {
  return icon_.isVisible() && available();
}

}  // namespace quillo::ui
