#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/actions/linux_tools.h"
#include "quillo/core/actions/process_calls.h"
#include "quillo/core/commands/command.h"
#include "quillo/platform/system.h"

// The static tables the system index is built from.
namespace quillo::core::Catalog {

// The System Settings pane commands, 47 of them in display order. The first call builds the table
// for the running system and the process keeps it: one process runs on one system.
const std::vector<Command>& settings(const platform::System& system);
// The built-in Mac actions, 22 of them; the folder actions point into the user's home folder,
// fixed by the first call.
const std::vector<Command>& actions(const platform::System& system);

// The title of the pane that holds the menu bar's settings: "Menu Bar" from macOS 26 on and on
// systems that are not macOS, "Control Center" before.
std::string_view menuBarPaneTitle(const platform::System& system);

// The tables themselves, for a given menu-bar pane title and home folder.
std::vector<Command> settingsTable(std::string_view menuBarPaneTitle);
std::vector<Command> actionsTable(std::string_view homeFolder);

// The folders the folder actions open.
struct UserFolders {
  std::string home;
  std::string desktop;
  std::string documents;
  std::string downloads;
  bool operator==(const UserFolders&) const = default;

  // "Desktop", "Documents" and "Downloads" in the home folder.
  static UserFolders inHome(std::string_view home);
};

// On Linux: the panes that have a counterpart in the session's settings program (GNOME's panels,
// KDE's modules), each a shell target that opens it, ids, titles and hints as on the Mac; none
// without the settings program.
std::vector<Command> linuxSettingsTable(const LinuxTools& tools);
// On Linux: the actions this machine can run, ids, titles and hints as on the Mac: the immediate
// ones as shell targets of the tools found, the parameterised ones when `calls` offers them, the
// folder actions on the user's folders. Open Applications Folder has no counterpart.
std::vector<Command> linuxActionsTable(const LinuxTools& tools, const ProcessCalls& calls,
                                       const UserFolders& folders);
// The application id of the desktop's settings program, whose window the settings reader reads.
std::string_view settingsApplicationID(LinuxDesktop desktop);

// A short description of a well-known application, by its display name.
std::optional<std::string_view> appHint(std::string_view appName);

}  // namespace quillo::core::Catalog
