#pragma once

#include <optional>

#include "quillo/core/preferences/defaults_value.h"

namespace quillo::core {

// A global shortcut: a virtual key code and a modifier mask (command 0x100, shift 0x200,
// option 0x800, control 0x1000).
struct LauncherShortcut {
  static constexpr int command = 0x100;
  static constexpr int shift = 0x200;
  static constexpr int option = 0x800;
  static constexpr int control = 0x1000;

  int keyCode = 0;
  int modifiers = 0;

  // None for a key code outside 0 to 127, a modifier key itself (Escape, Command, Shift, Option,
  // Control, Caps Lock, Function), or no command, option or control key: shift alone would
  // steal ordinary typing. Other modifier bits are dropped.
  static std::optional<LauncherShortcut> make(int keyCode, int modifiers);

  // ⌘Space and ⇧⌘V.
  static const LauncherShortcut launcherDefault;
  static const LauncherShortcut clipboardDefault;

  // Stored as a dictionary of the integers "keyCode" and "modifiers".
  static std::optional<LauncherShortcut> fromDefaults(const DefaultsValue& value);
  DefaultsValue toDefaults() const;

  bool operator==(const LauncherShortcut&) const = default;
};

inline constexpr LauncherShortcut LauncherShortcut::launcherDefault{49, LauncherShortcut::command};
inline constexpr LauncherShortcut LauncherShortcut::clipboardDefault{
    9, LauncherShortcut::command | LauncherShortcut::shift};

}  // namespace quillo::core
