#include "quillo/app/shell/status_menu.h"

namespace quillo::app {

StatusMenu statusMenu(const std::string& launcherShortcutLabel, const std::string& updateTitle,
                      bool canCheckUpdates, const std::string& version) {
  using Action = StatusMenuItem::Action;
  return StatusMenu{
      .accessibilityLabel = "Quillo",
      .items =
          {
              {.title = "Show Quillo (" + launcherShortcutLabel + ")", .action = Action::showQuillo},
              {.title = "Settings…", .action = Action::openSettings},
              {.title = updateTitle, .action = Action::checkForUpdates, .enabled = canCheckUpdates},
              {.title = "Quillo " + version, .action = Action::none, .enabled = false},
              {.title = "", .action = Action::none, .enabled = false, .isSeparator = true},
              {.title = "Quit Quillo", .action = Action::quit},
          },
  };
}

}  // namespace quillo::app
