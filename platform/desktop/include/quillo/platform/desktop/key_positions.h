#pragma once

#include <cstdint>
#include <optional>

namespace quillo::platform::desktop {

// Stored shortcuts name keys by the Mac virtual key code of their place on the keyboard. On
// Linux a key's place is its evdev code; an X keycode is that code plus 8. Mapping by place keeps
// a shortcut on the same key whatever layout is active (a Cyrillic layout, a second layout).
std::optional<std::uint16_t> evdevCodeForMacKey(int macKeyCode);
std::optional<int> macKeyForEvdevCode(std::uint16_t evdevCode);

inline std::optional<std::uint8_t> x11KeycodeForMacKey(int macKeyCode) {
  const auto evdev = evdevCodeForMacKey(macKeyCode);
  if (!evdev || *evdev + 8 > 255) return std::nullopt;
  return static_cast<std::uint8_t>(*evdev + 8);
}

// Global shortcuts belong to the desktop's Super key: Command is Super (Mod4), Option is Alt
// (Mod1), Control is Ctrl and Shift is Shift. `carbonModifiers` is the stored mask (command
// 0x100, shift 0x200, option 0x800, control 0x1000).
std::uint16_t x11ModifiersForCarbon(int carbonModifiers);

}  // namespace quillo::platform::desktop
