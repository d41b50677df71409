#include <atspi/atspi-constants.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "quillo/platform/desktop/atspi_mapping.h"

namespace quillo::platform::desktop::atspi {
namespace {

TEST(AtspiRoles, MenuRolesReadAsTheRolesTheMenuReaderAsksFor) {
  const struct {
    AtspiRole role;
    std::string_view expected;
  } cases[] = {
      {ATSPI_ROLE_MENU_BAR, "AXMenuBar"},
      {ATSPI_ROLE_POPUP_MENU, "AXMenu"},
      {ATSPI_ROLE_MENU, "AXMenuItem"},
      {ATSPI_ROLE_MENU_ITEM, "AXMenuItem"},
      {ATSPI_ROLE_CHECK_MENU_ITEM, "AXMenuItem"},
      {ATSPI_ROLE_RADIO_MENU_ITEM, "AXMenuItem"},
      {ATSPI_ROLE_SEPARATOR, "AXMenuItem"},
      {ATSPI_ROLE_APPLICATION, "AXApplication"},
      {ATSPI_ROLE_FRAME, "AXWindow"},
      {ATSPI_ROLE_DIALOG, "AXWindow"},
  };
  for (const auto& [role, expected] : cases)
    EXPECT_EQ(axRole(role), expected) << role;
}

TEST(AtspiRoles, SettingsRolesReadAsTheRolesTheSettingsReaderAsksFor) {
  const struct {
    AtspiRole role;
    std::string_view expected;
  } cases[] = {
      {ATSPI_ROLE_SCROLL_PANE, "AXScrollArea"}, {ATSPI_ROLE_SCROLL_BAR, "AXScrollBar"},
      {ATSPI_ROLE_SPLIT_PANE, "AXSplitGroup"},  {ATSPI_ROLE_LABEL, "AXStaticText"},
      {ATSPI_ROLE_HEADING, "AXHeading"},        {ATSPI_ROLE_LIST_ITEM, "AXRow"},
      {ATSPI_ROLE_TABLE_ROW, "AXRow"},          {ATSPI_ROLE_CHECK_BOX, "AXCheckBox"},
      {ATSPI_ROLE_PUSH_BUTTON, "AXButton"},     {ATSPI_ROLE_REDUNDANT_OBJECT, "AXUnknown"},
  };
  for (const auto& [role, expected] : cases)
    EXPECT_EQ(axRole(role), expected) << role;
}

TEST(AtspiRoles, OnlyMenusFoldTheirItemsIntoThemselves) {
  EXPECT_TRUE(foldsItsMenu(ATSPI_ROLE_MENU));
  EXPECT_FALSE(foldsItsMenu(ATSPI_ROLE_MENU_ITEM));
  EXPECT_FALSE(foldsItsMenu(ATSPI_ROLE_POPUP_MENU));
  EXPECT_FALSE(foldsItsMenu(ATSPI_ROLE_MENU_BAR));
}

TEST(AtspiSettingsLayouts, OnlyTheDesktopsSettingsProgramsShowASidebarBesideThePane) {
  for (std::string_view program : {"gnome-control-center", "org.gnome.Settings", "systemsettings"})
    EXPECT_TRUE(laysOutSidebarBesidePane(program)) << program;
  for (std::string_view program : {"", "gedit", "System Settings", "gnome-control-center-search-provider"})
    EXPECT_FALSE(laysOutSidebarBesidePane(program)) << program;
}

TEST(AtspiKeyBindings, BothToolkitsBindingsReadAsCharacterAndMask) {
  const struct {
    std::string_view binding;
    std::string character;
    int modifiers;
  } cases[] = {
      {"<Control>q", "Q", 0},
      {"<Control><Shift>q", "Q", 1},
      {"<Primary><Alt>n", "N", 2},
      {"<Control>comma", ",", 0},
      {"<Shift>F5", "F5", 9},
      {"<Alt>f;<Alt>f:o;<Control>o", "O", 0},
      {"<Control>BackSpace", "\u232B", 0},
      {"<Super>l", "L", 12},
      {"Ctrl+N", "N", 0},
      {"Ctrl+Shift+Q", "Q", 1},
      {"Ctrl+Alt+A", "A", 2},
      {"Ctrl++", "+", 0},
      {"Ctrl+;", ";", 0},
      {"F5", "F5", 8},
      {"Del", "\u2326", 8},
      {"Meta+Space", "Space", 12},
  };
  for (const auto& [binding, character, modifiers] : cases) {
    const auto key = menuKey(binding);
    ASSERT_TRUE(key) << binding;
    EXPECT_EQ(*key, (MenuKey{character, modifiers})) << binding;
  }
}

TEST(AtspiKeyBindings, EmptyOrUnknownBindingsHaveNoShortcut) {
  for (std::string_view binding :
       {"", "<Control>", "<Hyper>q", "Ctrl+NoSuchKey", "<Alt>f;<Alt>f:o;", "Fancy+Q"})
    EXPECT_FALSE(menuKey(binding)) << binding;
}

TEST(AtspiValues, ScrollBarValuesAreFractionsOfTheirRange) {
  EXPECT_DOUBLE_EQ(fractionOf(50, 0, 200), 0.25);
  EXPECT_DOUBLE_EQ(fractionOf(300, 0, 200), 1);
  EXPECT_DOUBLE_EQ(fractionOf(5, 5, 5), 0);
  EXPECT_DOUBLE_EQ(valueAt(0.25, 100, 300), 150);
  EXPECT_DOUBLE_EQ(valueAt(2, 100, 300), 300);
}

}  // namespace
}  // namespace quillo::platform::desktop::atspi
