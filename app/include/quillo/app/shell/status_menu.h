#pragma once

#include <string>
#include <vector>

namespace quillo::app {

// One entry of the status item's menu, as the desktop front end draws it.
struct StatusMenuItem {
  enum class Action { none, showQuillo, openSettings, checkForUpdates, quit };

  std::string title;
  Action action = Action::none;
  bool enabled = true;
  bool isSeparator = false;
  bool operator==(const StatusMenuItem&) const = default;
};

struct StatusMenu {
  std::string accessibilityLabel;
  std::vector<StatusMenuItem> items;
  bool operator==(const StatusMenu&) const = default;
};

// The menu of the status item: show (with the launcher shortcut's label), settings, updates (the
// update checker's title; a disabled item when there is nothing to check), the version, and quit.
StatusMenu statusMenu(const std::string& launcherShortcutLabel, const std::string& updateTitle,
                      bool canCheckUpdates, const std::string& version);

}  // namespace quillo::app
