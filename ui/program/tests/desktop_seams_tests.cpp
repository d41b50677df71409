#include <gio/gio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "desktop_seams.h"
#include "quillo/app/shell/hot_key.h"
#include "quillo/platform/desktop/gnome_custom_shortcuts.h"
#include "quillo/testing/fake_remote_desktop.h"
#include "quillo/testing/gnome_settings_folder.h"
#include "quillo/testing/qt_test_loop.h"
#include "quillo/testing/temporary_folder.h"
#include "quillo/testing/widget_test_application.h"

namespace quillo::ui {
namespace {

using platform::desktop::SessionFacts;

std::string gnomeCommand(const char* entry) {
  GSettings* settings = g_settings_new_with_path(
      "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding",
      (std::string("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/") + entry + "/")
          .c_str());
  gchar* value = g_settings_get_string(settings, "command");
  std::string command(value);
  g_free(value);
  g_object_unref(settings);
  return command;
}

// GNOME's Wayland session with XWayland beside it; `portal`: the RemoteDesktop portal is there.
SessionFacts gnomeWayland(bool portal) {
  SessionFacts facts;
  facts.displayServer = SessionFacts::DisplayServer::wayland;
  facts.desktop = SessionFacts::Desktop::gnome;
  facts.xDisplay = facts.xTest = facts.xFixes = true;
  facts.remoteDesktopPortal = portal;
  facts.gnomeKeyboardSettings = true;
  return facts;
}

bool chose(const DesktopSeams& seams, const std::string& choice) {
  const auto& choices = seams.choices();
  return std::find(choices.begin(), choices.end(), choice) != choices.end();
}

struct WaylandPaste : ::testing::Test {
  void SetUp() override {
    testing::widgetTestApplication();
    ASSERT_TRUE(desktop.registered);
    setenv("XDG_STATE_HOME", state.path().c_str(), 1);
  }
  void TearDown() override { unsetenv("XDG_STATE_HOME"); }

  testing::TemporaryFolder state;
  testing::RemoteDesktopOnBus desktop;
};

TEST_F(WaylandPaste, ThePasteKeysGoThroughTheRemoteDesktopPortalAndItsConsentIsKeptInTheStateFolder) {
  DesktopSeams seams(gnomeWayland(true));
  EXPECT_TRUE(chose(seams, "paste: the RemoteDesktop portal"));

  platform::KeyEvents& keys = seams.keyEvents();
  keys.isTrusted();  // asks the desktop, which asks the user
  ASSERT_TRUE(testing::runQtUntil([&] { return keys.isTrusted(); }));
  ASSERT_TRUE(keys.post({.key = 'v', .control = true}));
  ASSERT_TRUE(testing::runQtUntil([&] {
    const auto calls = desktop.portal.calls();
    return std::find(calls.begin(), calls.end(), "keysym v down") != calls.end();
  }));

  std::ifstream kept(state / "quillo/paste-token");
  std::string token;
  std::getline(kept, token);
  EXPECT_EQ(token, "consent-kept");
}

TEST_F(WaylandPaste, WithoutThePortalThePasteIsLeftToTheUser) {
  DesktopSeams seams(gnomeWayland(false));
  EXPECT_TRUE(chose(seams, "paste: by hand"));
  EXPECT_FALSE(seams.keyEvents().isTrusted());
  EXPECT_TRUE(desktop.portal.calls().empty());
}

struct GnomeWaylandShortcuts : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(testing::gnomeSettingsInTestFolder);
    testing::widgetTestApplication();
    ASSERT_TRUE(platform::desktop::GnomeCustomShortcuts::available())
        << "GNOME's settings schemas are missing";
    // Each test starts from GNOME's settings without our shortcuts.
    GSettings* list = g_settings_new("org.gnome.settings-daemon.plugins.media-keys");
    g_settings_reset(list, "custom-keybindings");
    g_object_unref(list);
    g_settings_sync();
  }
};

TEST_F(GnomeWaylandShortcuts, WithoutConsentTheShortcutsAreRefusedAndGnomesSettingsAreLeftAlone) {
  DesktopSeams seams(gnomeWayland(false));
  ASSERT_NE(seams.desktopShortcuts(), nullptr);
  EXPECT_FALSE(seams.hotKeys().registerHotKey(49, 0x100, 1).has_value());  // Super+Space
  EXPECT_FALSE(platform::desktop::GnomeCustomShortcuts::installed());
}

TEST_F(GnomeWaylandShortcuts, ConsentPutsBothShortcutsInGnomesSettingsAndWithdrawingItTakesThemOut) {
  DesktopSeams seams(gnomeWayland(false));
  seams.desktopShortcuts()->setConsent(true);
  ASSERT_TRUE(seams.hotKeys().registerHotKey(49, 0x100, 1).has_value());         // Super+Space
  ASSERT_TRUE(seams.hotKeys().registerHotKey(9, 0x100 | 0x200, 2).has_value());  // Super+Shift+V
  EXPECT_TRUE(platform::desktop::GnomeCustomShortcuts::installed());
  EXPECT_TRUE(gnomeCommand("quillo-toggle").ends_with(" --toggle")) << gnomeCommand("quillo-toggle");
  EXPECT_TRUE(gnomeCommand("quillo-clipboard").ends_with(" --clipboard"));

  seams.desktopShortcuts()->setConsent(false);
  EXPECT_FALSE(platform::desktop::GnomeCustomShortcuts::installed());
  EXPECT_EQ(gnomeCommand("quillo-toggle"), "");
  EXPECT_FALSE(seams.hotKeys().registerHotKey(49, 0x100, 1).has_value());
}

TEST(WaylandFrontApplication, OnPlasmaWhoseKWinRunsNoScriptTheAccessibilityBusSaysWhichApplicationIsInFront) {
  testing::widgetTestApplication();
  SessionFacts plasma;
  plasma.displayServer = SessionFacts::DisplayServer::wayland;
  plasma.desktop = SessionFacts::Desktop::kde;
  plasma.kwinScripting = true;  // but nothing on the test's bus answers as KWin
  DesktopSeams seams(plasma);
  EXPECT_TRUE(chose(seams, "front application: the accessibility bus's active window"));
}

TEST_F(GnomeWaylandShortcuts, TheShortcutsStayInGnomesSettingsWhenTheProgramQuits) {
  DesktopSeams seams(gnomeWayland(false));
  seams.desktopShortcuts()->setConsent(true);
  {
    app::HotKeyCenter center(seams.hotKeys());
    auto launcher = app::HotKey::make(center, 49, 0x100, [] {});
    auto clipboard = app::HotKey::make(center, 9, 0x100 | 0x200, [] {});
    ASSERT_TRUE(launcher && clipboard);
    // As the program does on its way out, before the shortcuts' owners go.
    seams.desktopShortcuts()->leaveInDesktop();
  }
  EXPECT_TRUE(platform::desktop::GnomeCustomShortcuts::installed());
  EXPECT_TRUE(gnomeCommand("quillo-toggle").ends_with(" --toggle"));
  EXPECT_TRUE(gnomeCommand("quillo-clipboard").ends_with(" --clipboard"));
}

}  // namespace
}  // namespace quillo::ui
