#include "quillo/app/shell/shortcut_label.h"

#include <array>
#include <string_view>

namespace quillo::app {
namespace {

using core::LauncherShortcut;
using platform::KeyLabelStyle;

struct NamedKey {
  int keyCode;
  std::string_view symbol;
  std::string_view word;
};

constexpr std::array<NamedKey, 14> kNamedKeys{{
    {49, "Space", "Space"},
    {36, "↩", "Return"},
    {48, "⇥", "Tab"},
    {51, "⌫", "Backspace"},
    {117, "⌦", "Delete"},
    {123, "←", "Left"},
    {124, "→", "Right"},
    {126, "↑", "Up"},
    {125, "↓", "Down"},
    {115, "↖", "Home"},
    {119, "↘", "End"},
    {116, "⇞", "Page Up"},
    {121, "⇟", "Page Down"},
    {76, "⌤", "Enter"},
}};

// F1 to F20, in order.
constexpr std::array<int, 20> kFunctionKeys{122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                            103, 111, 105, 107, 113, 106, 64, 79,  80,  90};

struct Modifier {
  int mask;
  std::string_view symbol;
  std::string_view word;
};

// In the order they are shown.
constexpr std::array<Modifier, 4> kModifiers{{
    {LauncherShortcut::control, "⌃", "Ctrl+"},
    {LauncherShortcut::option, "⌥", "Alt+"},
    {LauncherShortcut::shift, "⇧", "Shift+"},
    {LauncherShortcut::command, "⌘", "Super+"},
}};

std::string keyName(int keyCode, const platform::HotKeys& keys) {
  const bool words = keys.labelStyle() == KeyLabelStyle::words;
  for (const auto& named : kNamedKeys) {
    if (named.keyCode == keyCode) return std::string(words ? named.word : named.symbol);
  }
  for (std::size_t index = 0; index < kFunctionKeys.size(); ++index) {
    if (kFunctionKeys[index] == keyCode) return "F" + std::to_string(index + 1);
  }
  if (auto character = keys.keyCharacter(static_cast<std::uint32_t>(keyCode));
      character && !character->empty()) {
    return *character;
  }
  return "Key " + std::to_string(keyCode);
}

}  // namespace

std::string shortcutLabel(const LauncherShortcut& shortcut, const platform::HotKeys& keys) {
  const bool words = keys.labelStyle() == KeyLabelStyle::words;
  std::string label;
  for (const auto& modifier : kModifiers) {
    if ((shortcut.modifiers & modifier.mask) != 0) label += words ? modifier.word : modifier.symbol;
  }
  return label + keyName(shortcut.keyCode, keys);
}

}  // namespace quillo::app
