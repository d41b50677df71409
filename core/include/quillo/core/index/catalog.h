#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A short description of a well-known application, by its display name.
std::optional<std::string_view> appHint(std::string_view appName);

}  // namespace quillo::core::Catalog
