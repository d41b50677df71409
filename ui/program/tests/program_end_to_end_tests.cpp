#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <xcb/xtest.h>

#include <QCoreApplication>
#include <fstream>

#include "program_process.h"
#include "quillo/platform/desktop/xcb_connection.h"
#include "selection_owner_process.h"

namespace quillo::ui::testing {
namespace {

using nlohmann::json;
using std::chrono_literals::operator""s;

// The program as a user meets it on an X11 desktop: started in a session of its own, driven with
// real key presses from another X client, read through its State method.
struct ProgramEndToEndTest : ::testing::Test {
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "quillo-program-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
  }

  TestHome home;
  platform::desktop::XcbConnection user;
  std::unique_ptr<ProgramProcess> program;

  void start(const std::vector<std::string>& arguments = {}) {
    program = std::make_unique<ProgramProcess>(home, arguments);
    ASSERT_TRUE(stateWhen([](const json& state) { return state["search"]["query"].is_string(); }))
        << "the program did not answer State";
  }

  void key(std::uint8_t type, std::uint16_t evdev) {
    xcb_test_fake_input(user.get(), type, static_cast<std::uint8_t>(evdev + 8), XCB_CURRENT_TIME, user.root(),
                        0, 0, 0);
    user.flush();
  }
  void chord(std::vector<std::uint16_t> keys) {
    for (const auto k : keys)
      key(XCB_KEY_PRESS, k);
    for (auto k = keys.rbegin(); k != keys.rend(); ++k)
      key(XCB_KEY_RELEASE, *k);
  }
  // Super+Space and Super+Shift+V, the default shortcuts on Linux.
  void pressLauncherShortcut() { chord({KEY_LEFTMETA, KEY_SPACE}); }
  void pressClipboardShortcut() { chord({KEY_LEFTMETA, KEY_LEFTSHIFT, KEY_V}); }
};

bool panelShows(const json& state, std::string_view content) {
  return state["panel"]["visible"] == true && state["panel"]["content"] == content;
}

TEST_F(ProgramEndToEndTest, TheLauncherShortcutShowsTheLauncherAndPressingItAgainHidesIt) {
  start();
  pressLauncherShortcut();
  EXPECT_TRUE(stateWhen([](const json& state) { return panelShows(state, "launcher"); }));
  pressLauncherShortcut();
  EXPECT_TRUE(stateWhen([](const json& state) { return state["panel"]["visible"] == false; }));
}

TEST_F(ProgramEndToEndTest, TheClipboardShortcutOpensTheHistory) {
  start();
  pressClipboardShortcut();
  const auto state = stateWhen(
      [](const json& state) { return panelShows(state, "clipboard") && state["clipboard"]["open"] == true; });
  ASSERT_TRUE(state);
  EXPECT_TRUE(panelShows(*state, "clipboard")) << state->dump();
}

TEST_F(ProgramEndToEndTest, ALaterStartForwardsItsQueryAndTheRowsAppearInTheState) {
  start();
  ProgramProcess later(home, {"--show", "--query", "wifi"});
  EXPECT_EQ(later.wait(10s), 0) << "the later start did not forward and exit";
  const auto state = stateWhen([](const json& state) {
    const json& rows = state["search"]["rows"];
    return panelShows(state, "launcher") && state["search"]["query"] == "wifi" && !rows.empty() &&
           rows[0]["title"] == "Wi-Fi Analyzer";
  });
  ASSERT_TRUE(state);
  EXPECT_EQ((*state)["search"]["rows"][0]["title"], "Wi-Fi Analyzer") << state->dump();
}

TEST_F(ProgramEndToEndTest, ACopyInAnotherApplicationAppearsInTheHistory) {
  home.stored("clipboard.enabled", true);
  start();
  const auto file = home.folder / "copied.txt";
  std::ofstream(file) << "copied in another application";
  platform::desktop::SelectionOwner owner({"UTF8_STRING=" + file.string()});
  pressClipboardShortcut();
  const auto state = stateWhen([](const json& state) {
    const json& entries = state["clipboard"]["entries"];
    return !entries.empty() && entries[0]["title"] == "copied in another application";
  });
  ASSERT_TRUE(state);
  EXPECT_EQ((*state)["clipboard"]["entries"][0]["kind"], "text") << state->dump();
}

TEST_F(ProgramEndToEndTest, ASecondInstanceLeavesTheFirstRunning) {
  start();
  ProgramProcess second(home, {});
  EXPECT_EQ(second.wait(10s), 0);
  EXPECT_TRUE(programState());
}

}  // namespace
}  // namespace quillo::ui::testing
