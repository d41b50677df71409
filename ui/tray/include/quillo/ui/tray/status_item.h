#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "quillo/app/shell/status_menu.h"

namespace quillo::ui {

// The program's status item: a symbolic icon in the desktop's tray with the status menu. Where
// the desktop has no tray the menu is still built (and kept up to date) but nothing shows, so
// the program stays reachable through its shortcuts, `quillo --show` and the settings window.
// Main thread only; the menu belongs to the item.
class StatusItem {
 public:
  using Perform = std::function<void(app::StatusMenuItem::Action action)>;

  // `perform` runs the action of the item the user chose (and of a click on the icon: show).
  explicit StatusItem(Perform perform);
  ~StatusItem();
  StatusItem(const StatusItem&) = delete;
  StatusItem& operator=(const StatusItem&) = delete;

  // Builds the menu and puts the icon in the tray when there is one.
  void install(const app::StatusMenu& menu);
  // Brings titles, enabled states and separators up to date; items keep their place.
  void update(const app::StatusMenu& menu);

  // Whether the desktop has a tray right now: an XEmbed tray on X11, or a StatusNotifierItem
  // host behind the watcher on the session bus (GNOME has one only with its AppIndicator
  // extension).
  static bool available();

  // Whether the icon is in a tray.
  bool visible() const;
  QMenu& menu() { return menu_; }
  QSystemTrayIcon& icon() { return icon_; }

 private:
  void rebuild(const app::StatusMenu& menu);

  Perform perform_;
  QMenu menu_;
  QSystemTrayIcon icon_;
  app::StatusMenu shown_;
};

}  // namespace quillo::ui
