#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "quillo/platform/desktop/gnome_custom_shortcuts.h"
#include "quillo/testing/gnome_settings_folder.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::desktop {
namespace {

constexpr const char* userEntry = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";
constexpr const char* toggleEntry =
    "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/quillo-toggle/";
constexpr const char* clipboardEntry =
    "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/quillo-clipboard/";

using testing::gnomeSettingsFolder;
using testing::gnomeSettingsInTestFolder;

struct GnomeShortcuts : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(gnomeSettingsInTestFolder);
    // The user's own shortcut, which ours must leave alone.
    setEntry(userEntry, "Terminal", "gnome-terminal", "<Control><Alt>t");
    const gchar* paths[] = {userEntry, nullptr};
    g_settings_set_strv(list(), "custom-keybindings", paths);
    for (const char* path : {toggleEntry, clipboardEntry})
      setEntry(path, "", "", "");
    g_settings_sync();
  }
  void TearDown() override { g_object_unref(list_); }

  GSettings* list() {
    if (!list_) list_ = g_settings_new("org.gnome.settings-daemon.plugins.media-keys");
    return list_;
  }
  std::vector<std::string> paths() {
    gchar** values = g_settings_get_strv(list(), "custom-keybindings");
    std::vector<std::string> result;
    for (gchar** value = values; *value; ++value)
      result.emplace_back(*value);
    g_strfreev(values);
    return result;
  }
  static std::string entry(const char* path, const char* key) {
    GSettings* settings =
        g_settings_new_with_path("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding", path);
    gchar* value = g_settings_get_string(settings, key);
    std::string text(value);
    g_free(value);
    g_object_unref(settings);
    return text;
  }
  static void setEntry(const char* path, const char* name, const char* command, const char* binding) {
    GSettings* settings =
        g_settings_new_with_path("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding", path);
    g_settings_set_string(settings, "name", name);
    g_settings_set_string(settings, "command", command);
    g_settings_set_string(settings, "binding", binding);
    g_object_unref(settings);
  }

  GSettings* list_ = nullptr;
};

TEST_F(GnomeShortcuts, OurTwoShortcutsJoinTheUsersOwnAndRunOurCommands) {
  GnomeCustomShortcuts shortcuts("/usr/bin/quillo");
  ASSERT_TRUE(shortcuts.registerHotKey(49, 0x100, 1).has_value());         // Command-Space
  ASSERT_TRUE(shortcuts.registerHotKey(9, 0x100 | 0x200, 2).has_value());  // Command-Shift-V

  EXPECT_EQ(paths(), (std::vector<std::string>{userEntry, toggleEntry, clipboardEntry}));
  EXPECT_EQ(entry(toggleEntry, "command"), "/usr/bin/quillo --toggle");
  EXPECT_EQ(entry(toggleEntry, "binding"), "<Super>space");
  EXPECT_EQ(entry(clipboardEntry, "command"), "/usr/bin/quillo --clipboard");
  EXPECT_EQ(entry(clipboardEntry, "binding"), "<Shift><Super>v");
  EXPECT_EQ(entry(userEntry, "binding"), "<Control><Alt>t");
  EXPECT_TRUE(GnomeCustomShortcuts::installed());

  // GNOME's settings daemon reads what is written to the settings' store, not our memory.
  std::ifstream file(gnomeSettingsFolder() / "glib-2.0/settings/keyfile");
  std::stringstream stored;
  stored << file.rdbuf();
  EXPECT_NE(stored.str().find("quillo-toggle"), std::string::npos);
  EXPECT_NE(stored.str().find("/usr/bin/quillo --clipboard"), std::string::npos);
}

TEST_F(GnomeShortcuts, AChangedShortcutRewritesItsOwnEntry) {
  GnomeCustomShortcuts shortcuts;
  const auto launcher = shortcuts.registerHotKey(49, 0x100, 1);
  ASSERT_TRUE(shortcuts.registerHotKey(9, 0x100 | 0x200, 2).has_value());
  shortcuts.unregisterHotKey(*launcher);
  ASSERT_TRUE(shortcuts.registerHotKey(49, 0x1000 | 0x800, 3).has_value());  // Control-Option-Space

  EXPECT_EQ(entry(toggleEntry, "command"), "quillo --toggle");
  EXPECT_EQ(entry(toggleEntry, "binding"), "<Control><Alt>space");
  EXPECT_EQ(entry(clipboardEntry, "binding"), "<Shift><Super>v");
  EXPECT_EQ(paths(), (std::vector<std::string>{userEntry, clipboardEntry, toggleEntry}));
}

TEST_F(GnomeShortcuts, UnregisteringRemovesOurEntriesAndKeepsTheUsers) {
  GnomeCustomShortcuts shortcuts;
  const auto launcher = shortcuts.registerHotKey(49, 0x100, 1);
  const auto clipboard = shortcuts.registerHotKey(9, 0x100 | 0x200, 2);
  shortcuts.unregisterHotKey(*launcher);
  shortcuts.unregisterHotKey(*clipboard);

  EXPECT_EQ(paths(), std::vector<std::string>{userEntry});
  EXPECT_EQ(entry(toggleEntry, "command"), "");
  EXPECT_EQ(entry(userEntry, "command"), "gnome-terminal");
  EXPECT_FALSE(GnomeCustomShortcuts::installed());
}

TEST_F(GnomeShortcuts, AKeyWithoutANameIsRefusedAndWritesNothing) {
  GnomeCustomShortcuts shortcuts;
  EXPECT_FALSE(shortcuts.registerHotKey(10, 0x100, 1).has_value());  // the ISO section key
  EXPECT_EQ(paths(), std::vector<std::string>{userEntry});
}

TEST(GnomeShortcutsSchema, MissingKeyboardSettingsAreAClearFailure) {
  const testing::TemporaryFolder noSchemas;
  try {
    GnomeCustomShortcuts shortcuts("quillo", noSchemas.path());
    FAIL() << "expected GnomeShortcutsError";
  } catch (const GnomeShortcutsError& error) {
    EXPECT_NE(std::string(error.what()).find("not installed"), std::string::npos);
  }
}

TEST(GnomeAccelerators, StoredShortcutsBecomeGnomesAcceleratorSyntax) {
  EXPECT_EQ(gnomeAccelerator(49, 0x100), "<Super>space");
  EXPECT_EQ(gnomeAccelerator(9, 0x100 | 0x200), "<Shift><Super>v");
  EXPECT_EQ(gnomeAccelerator(122, 0x1000 | 0x800), "<Control><Alt>F1");
  EXPECT_EQ(gnomeAccelerator(10, 0x100), std::nullopt);
}

}  // namespace
}  // namespace quillo::platform::desktop
