#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillo::platform::desktop::atspi {

// The role the readers ask for ("AXMenuItem", "AXScrollArea", ...) of an element with this
// accessibility-bus role number; "AXUnknown" for roles the readers never look for.
std::string_view axRole(std::uint32_t role);

// Whether elements of this role are menu items that the toolkit folds together with the menu they
// open (a menu-bar title, an item with a submenu): their items are their own children, where the
// readers expect one menu element in between.
bool foldsItsMenu(std::uint32_t role);

// Whether the application (by the name it publishes) is a settings program whose window shows a
// sidebar of sections beside the open pane without a splitter between them, so that its first
// list is the sidebar and what follows it the pane.
bool laysOutSidebarBesidePane(std::string_view applicationName);

// A menu item's keyboard shortcut as the menu reader expects it: the command character as the
// menu shows it ("Q", ",", "F5", "⌫") and the modifier mask (1 Shift, 2 Option, 4 Control,
// 8 "no Command"). Control plays Command, as it does in every application on this desktop; Alt is
// Option, and Super, which has no key of its own in those masks, reads as Control.
struct MenuKey {
  std::string character;
  int modifiers = 0;
  bool operator==(const MenuKey&) const = default;
};

// Parses a key binding as toolkits publish it: "<Control><Shift>q" (GTK, also inside its
// "mnemonic;path;shortcut" triple, where only the shortcut counts) or "Ctrl+Shift+Q" (Qt). Absent
// for an empty binding or a key it does not know.
std::optional<MenuKey> menuKey(std::string_view binding);

// The value of a scroll bar or slider as a fraction of its range (0 at the top or left, 1 at the
// other end), and back.
double fractionOf(double value, double minimum, double maximum);
double valueAt(double fraction, double minimum, double maximum);

}  // namespace quillo::platform::desktop::atspi
