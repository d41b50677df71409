#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "quillo/core/commands/command.h"

// Which menu commands look like the user's data (file names, addresses, history and window
// lists) rather than commands, so that they can be kept from the ranking service. Pure functions,
// safe from any thread.
namespace quillo::core::MenuPrivacy {

// A command under any of these menus is data, unless it has a keyboard shortcut.
inline constexpr std::array<std::string_view, 4> listMenus{"History", "Bookmarks", "Open Recent",
                                                           "Recently Closed"};

// True when the item titled `title`, under the menus `path` (from the menu bar down), with the
// rendered `shortcut` (empty for none), is data. In order: a file-name title and an address are
// data even with a shortcut; otherwise a shortcut makes it a command; then list menus and the
// "Window" menu make it data.
bool isData(std::string_view title, std::span<const std::string> path, std::string_view shortcut);

// The same for a menu command made by MenuReader; commands of any other kind are never data.
bool isData(const Command& command);

}  // namespace quillo::core::MenuPrivacy
