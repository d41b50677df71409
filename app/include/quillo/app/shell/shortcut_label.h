#pragma once

#include <string>

#include "quillo/core/preferences/launcher_shortcut.h"
#include "quillo/platform/hot_keys.h"

namespace quillo::app {

// The shortcut as the user reads it, in the seam's style: "⌃⌥⇧⌘" and the key's name ("⇧⌘Space",
// "⌃F1") on macOS; "Ctrl+Alt+Shift+Super+" and the key's name ("Shift+Super+Space") on Linux. A
// key without a fixed name shows what the keyboard layout types for it, else "Key " and its code.
std::string shortcutLabel(const core::LauncherShortcut& shortcut, const platform::HotKeys& keys);

}  // namespace quillo::app
