#pragma once

#include <filesystem>
#include <vector>

#include "quillo/platform/system.h"

namespace quillo::core {

// The folders desktop entries are read from, most important first (an entry in an earlier folder
// hides one with the same desktop-file id in a later one): the user's data folder, each of
// XDG_DATA_DIRS (relative entries ignored; /usr/local/share and /usr/share when unset), then
// the Flatpak and Snap export folders, which a session often leaves out of XDG_DATA_DIRS.
// Each folder appears once.
std::vector<std::filesystem::path> desktopEntryFolders(const platform::System& system);

}  // namespace quillo::core
