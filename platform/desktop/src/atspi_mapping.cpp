#include "quillo/platform/desktop/atspi_mapping.h"

#include <atspi/atspi-constants.h>
#include <xkbcommon/xkbcommon.h>

#include <QString>
#include <algorithm>
#include <array>
#include <utility>

namespace quillo::platform::desktop::atspi {
namespace {

struct RoleName {
  AtspiRole role;
  std::string_view name;
};

constexpr std::array kRoles{
    RoleName{ATSPI_ROLE_APPLICATION, "AXApplication"},
    RoleName{ATSPI_ROLE_FRAME, "AXWindow"},
    RoleName{ATSPI_ROLE_WINDOW, "AXWindow"},
    RoleName{ATSPI_ROLE_DIALOG, "AXWindow"},
    RoleName{ATSPI_ROLE_MENU_BAR, "AXMenuBar"},
    // A menu-bar title or an item with a submenu, folded together with its menu.
    RoleName{ATSPI_ROLE_MENU, "AXMenuItem"},
    RoleName{ATSPI_ROLE_POPUP_MENU, "AXMenu"},
    RoleName{ATSPI_ROLE_MENU_ITEM, "AXMenuItem"},
    RoleName{ATSPI_ROLE_CHECK_MENU_ITEM, "AXMenuItem"},
    RoleName{ATSPI_ROLE_RADIO_MENU_ITEM, "AXMenuItem"},
    RoleName{ATSPI_ROLE_TEAROFF_MENU_ITEM, "AXMenuItem"},
    // Menu separators are untitled items, so that readers pass over them.
    RoleName{ATSPI_ROLE_SEPARATOR, "AXMenuItem"},
    RoleName{ATSPI_ROLE_SCROLL_PANE, "AXScrollArea"},
    RoleName{ATSPI_ROLE_SCROLL_BAR, "AXScrollBar"},
    RoleName{ATSPI_ROLE_SPLIT_PANE, "AXSplitGroup"},
    RoleName{ATSPI_ROLE_LABEL, "AXStaticText"},
    RoleName{ATSPI_ROLE_STATIC, "AXStaticText"},
    RoleName{ATSPI_ROLE_HEADING, "AXHeading"},
    RoleName{ATSPI_ROLE_LIST_ITEM, "AXRow"},
    RoleName{ATSPI_ROLE_TABLE_ROW, "AXRow"},
    RoleName{ATSPI_ROLE_TREE_ITEM, "AXRow"},
    RoleName{ATSPI_ROLE_LIST, "AXList"},
    RoleName{ATSPI_ROLE_LIST_BOX, "AXList"},
    RoleName{ATSPI_ROLE_TABLE, "AXTable"},
    RoleName{ATSPI_ROLE_TREE_TABLE, "AXOutline"},
    RoleName{ATSPI_ROLE_TREE, "AXOutline"},
    RoleName{ATSPI_ROLE_TABLE_CELL, "AXCell"},
    RoleName{ATSPI_ROLE_PUSH_BUTTON, "AXButton"},
    RoleName{ATSPI_ROLE_CHECK_BOX, "AXCheckBox"},
    RoleName{ATSPI_ROLE_TOGGLE_BUTTON, "AXCheckBox"},
    RoleName{ATSPI_ROLE_RADIO_BUTTON, "AXRadioButton"},
    RoleName{ATSPI_ROLE_TEXT, "AXTextField"},
    RoleName{ATSPI_ROLE_ENTRY, "AXTextField"},
    RoleName{ATSPI_ROLE_PASSWORD_TEXT, "AXTextField"},
    RoleName{ATSPI_ROLE_SLIDER, "AXSlider"},
    RoleName{ATSPI_ROLE_SPIN_BUTTON, "AXIncrementor"},
    RoleName{ATSPI_ROLE_COMBO_BOX, "AXPopUpButton"},
    RoleName{ATSPI_ROLE_PANEL, "AXGroup"},
    RoleName{ATSPI_ROLE_FILLER, "AXGroup"},
    RoleName{ATSPI_ROLE_GROUPING, "AXGroup"},
    RoleName{ATSPI_ROLE_SECTION, "AXGroup"},
    RoleName{ATSPI_ROLE_PAGE_TAB, "AXRadioButton"},
    RoleName{ATSPI_ROLE_PAGE_TAB_LIST, "AXTabGroup"},
    RoleName{ATSPI_ROLE_TOOL_BAR, "AXToolbar"},
    RoleName{ATSPI_ROLE_IMAGE, "AXImage"},
    RoleName{ATSPI_ROLE_LINK, "AXLink"},
};

// Keys without a character of their own, by the names both toolkits give them, as menus show them.
struct KeyName {
  std::string_view name;
  std::string_view shown;
};

constexpr std::array kKeys{
    KeyName{"BackSpace", "\u232B"}, KeyName{"Backspace", "\u232B"}, KeyName{"Delete", "\u2326"},
    KeyName{"Del", "\u2326"},       KeyName{"Return", "\u21A9"},    KeyName{"Enter", "\u2324"},
    KeyName{"KP_Enter", "\u2324"},  KeyName{"Escape", "\u238B"},    KeyName{"Esc", "\u238B"},
    KeyName{"Tab", "\u21E5"},       KeyName{"space", "Space"},      KeyName{"Space", "Space"},
    KeyName{"Left", "\u2190"},      KeyName{"Up", "\u2191"},        KeyName{"Right", "\u2192"},
    KeyName{"Down", "\u2193"},      KeyName{"Page_Up", "\u21DE"},   KeyName{"PgUp", "\u21DE"},
    KeyName{"Page_Down", "\u21DF"}, KeyName{"PgDown", "\u21DF"},    KeyName{"Home", "\u2196"},
    KeyName{"End", "\u2198"},       KeyName{"Insert", "Ins"},       KeyName{"Ins", "Ins"},
};

constexpr int kShift = 1;
constexpr int kOption = 2;
constexpr int kControl = 4;
constexpr int kNoCommand = 8;

// The mask bit a modifier name sets; Control and Primary are the command modifier, which is the
// absence of kNoCommand. Absent for names that are no modifier.
std::optional<int> modifierBit(std::string_view name) {
  if (name == "Control" || name == "Ctrl" || name == "Primary") return 0;
  if (name == "Shift") return kShift;
  if (name == "Alt" || name == "Mod1") return kOption;
  if (name == "Super" || name == "Meta" || name == "Mod4") return kControl;
  return std::nullopt;
}

bool isFunctionKey(std::string_view name) {
  if (name.size() < 2 || name.size() > 3 || name[0] != 'F') return false;
  return std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The key as the menu shows it: a character in upper case, a function key's name, or the symbol of
// a named key.
std::optional<std::string> shownKey(std::string_view name) {
  if (name.empty()) return std::nullopt;
  if (isFunctionKey(name)) return std::string(name);
  for (const KeyName& key : kKeys) {
    if (key.name == name) return std::string(key.shown);
  }
  QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  if (text.size() > 2 || (text.size() == 2 && !text.at(0).isHighSurrogate())) {
    // A key symbol's name ("comma", "plus"): the character it types.
    const xkb_keysym_t symbol = xkb_keysym_from_name(std::string(name).c_str(), XKB_KEYSYM_NO_FLAGS);
    if (symbol == XKB_KEY_NoSymbol) return std::nullopt;
    std::array<char, 8> typed{};
    if (xkb_keysym_to_utf8(symbol, typed.data(), typed.size()) <= 1) return std::nullopt;
    text = QString::fromUtf8(typed.data());
    if (text.isEmpty() || !text.at(0).isPrint()) return std::nullopt;
  }
  return text.toUpper().toStdString();
}

// "<Control><Shift>q": modifiers in angle brackets, then the key.
std::optional<MenuKey> fromBracketed(std::string_view binding) {
  int mask = kNoCommand;
  while (!binding.empty() && binding.front() == '<') {
    const std::size_t close = binding.find('>');
    if (close == std::string_view::npos) return std::nullopt;
    const auto bit = modifierBit(binding.substr(1, close - 1));
    if (!bit) return std::nullopt;
    mask = *bit == 0 ? mask & ~kNoCommand : mask | *bit;
    binding.remove_prefix(close + 1);
  }
  auto key = shownKey(binding);
  if (!key) return std::nullopt;
  return MenuKey{std::move(*key), mask};
}

// "Ctrl+Shift+Q": modifiers joined by "+", then the key, which may itself be "+".
std::optional<MenuKey> fromJoined(std::string_view binding) {
  int mask = kNoCommand;
  while (binding.size() > 1) {
    const std::size_t plus = binding.find('+');
    if (plus == std::string_view::npos || plus == 0) break;
    const auto bit = modifierBit(binding.substr(0, plus));
    if (!bit) return std::nullopt;
    mask = *bit == 0 ? mask & ~kNoCommand : mask | *bit;
    binding.remove_prefix(plus + 1);
  }
  auto key = shownKey(binding);
  if (!key) return std::nullopt;
  return MenuKey{std::move(*key), mask};
}

}  // namespace

std::string_view axRole(std::uint32_t role) {
  for (const RoleName& entry : kRoles) {
    if (static_cast<std::uint32_t>(entry.role) == role) return entry.name;
  }
  return "AXUnknown";
}

bool foldsItsMenu(std::uint32_t role) {
  return role == ATSPI_ROLE_MENU;
}

bool laysOutSidebarBesidePane(std::string_view applicationName) {
  // GNOME Settings (GTK 4) and KDE System Settings (QML).
  static constexpr std::array<std::string_view, 3> kPrograms{"gnome-control-center", "org.gnome.Settings",
                                                             "systemsettings"};
  return std::ranges::find(kPrograms, applicationName) != kPrograms.end();
}

std::optional<MenuKey> menuKey(std::string_view binding) {
  // Only the last part of GTK's "mnemonic;path;shortcut" is a shortcut.
  if (const std::size_t semicolon = binding.rfind(';');
      semicolon != std::string_view::npos && semicolon + 1 < binding.size())
    binding.remove_prefix(semicolon + 1);
  if (binding.empty()) return std::nullopt;
  if (binding.front() == '<') return fromBracketed(binding);
  return fromJoined(binding);
}

double fractionOf(double value, double minimum, double maximum) {
  if (maximum <= minimum) return 0;
  return std::clamp((value - minimum) / (maximum - minimum), 0.0, 1.0);
}

double valueAt(double fraction, double minimum, double maximum) {
  if (maximum <= minimum) return minimum;
  return minimum + std::clamp(fraction, 0.0, 1.0) * (maximum - minimum);
}

}  // namespace quillo::platform::desktop::atspi
