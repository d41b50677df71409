#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "program_process.h"

namespace quillo::ui::testing {
namespace {

using nlohmann::json;

// The program on GNOME's Wayland session: no shortcuts portal, XWayland beside the compositor (the
// test display), GNOME's keyboard settings in a key file of the test's home.
struct GnomeWaylandProgram : ::testing::Test {
  static void SetUpTestSuite() { busTestApplication(); }

  TestHome home;

  void start() {
    program = std::make_unique<ProgramProcess>(
        home, std::vector<std::string>{}, std::nullopt,
        std::map<std::string, std::string>{
            {"XDG_SESSION_TYPE", "wayland"},
            {"WAYLAND_DISPLAY", "wayland-quillo-absent"},
            {"XDG_CURRENT_DESKTOP", "GNOME"},
            {"QT_QPA_PLATFORM", "xcb"},
            {"GSETTINGS_BACKEND", "keyfile"},
            {"XDG_DATA_DIRS", (home.folder / "system").string() + ":/usr/local/share:/usr/share"}});
    ASSERT_TRUE(stateWhen(programReady)) << "the program did not answer State";
  }
  // GNOME's keyboard settings as the settings daemon reads them.
  std::string gnomeSettings() const {
    std::ifstream file(home.folder / "config/glib-2.0/settings/keyfile");
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  std::unique_ptr<ProgramProcess> program;
};

TEST_F(GnomeWaylandProgram, WithTheUsersConsentItsShortcutsAreInGnomesKeyboardSettings) {
  home.stored("desktopShortcutsAllowed", true);
  start();
  const std::string settings = gnomeSettings();
  EXPECT_NE(settings.find("quillo-toggle"), std::string::npos) << settings;
  EXPECT_NE(settings.find("--toggle"), std::string::npos) << settings;
  EXPECT_NE(settings.find("--clipboard"), std::string::npos) << settings;
}

TEST_F(GnomeWaylandProgram, WithoutConsentGnomesKeyboardSettingsAreLeftAlone) {
  start();
  EXPECT_EQ(gnomeSettings().find("quillo-toggle"), std::string::npos) << gnomeSettings();
}

}  // namespace
}  // namespace quillo::ui::testing
