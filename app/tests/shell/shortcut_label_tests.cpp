#include <gtest/gtest.h>

#include "quillo/app/shell/shortcut_label.h"
#include "quillo/testing/fake_hot_keys.h"

namespace quillo::app {
namespace {

using core::LauncherShortcut;

TEST(ShortcutLabel, ModifierSymbolsPrecedeTheKeyName) {
  testing::FakeHotKeys keys;
  EXPECT_EQ(shortcutLabel({49, LauncherShortcut::command | LauncherShortcut::shift}, keys), "⇧⌘Space");
  EXPECT_EQ(shortcutLabel({122, LauncherShortcut::control}, keys), "⌃F1");
  EXPECT_EQ(shortcutLabel({90, LauncherShortcut::option | LauncherShortcut::control}, keys), "⌃⌥F20");
}

TEST(ShortcutLabel, OtherKeysShowWhatTheLayoutTypes) {
  testing::FakeHotKeys keys;
  keys.characters[9] = "ü";
  EXPECT_EQ(shortcutLabel({9, LauncherShortcut::command}, keys), "⌘ü");
  EXPECT_EQ(shortcutLabel({50, LauncherShortcut::command}, keys), "⌘Key 50");
}

TEST(ShortcutLabel, LinuxShowsModifierWords) {
  testing::FakeHotKeys keys;
  keys.style = platform::KeyLabelStyle::words;
  EXPECT_EQ(shortcutLabel({49, LauncherShortcut::command | LauncherShortcut::shift}, keys),
            "Shift+Super+Space");
  EXPECT_EQ(shortcutLabel({36, LauncherShortcut::control | LauncherShortcut::option}, keys),
            "Ctrl+Alt+Return");
}

}  // namespace
}  // namespace quillo::app
