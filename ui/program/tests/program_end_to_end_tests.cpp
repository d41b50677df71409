#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <fstream>

#include "program_process.h"
#include "quillo/platform/desktop/xcb_connection.h"
#include "quillo/platform/desktop/xtest_keyboard.h"
#include "quillo/testing/x11_test_window.h"
#include "selection_owner_process.h"

namespace quillo::ui::testing {
namespace {

using nlohmann::json;
using quillo::testing::TestWindow;
using std::chrono_literals::operator""s;

// The program as a user meets it on an X11 desktop: started in a session of its own, driven with
// real key presses from another X client, read through its State method.
struct ProgramEndToEndTest : ::testing::Test {
  static void SetUpTestSuite() { busTestApplication(); }

  TestHome home;
  platform::desktop::XcbConnection user;
  std::unique_ptr<ProgramProcess> program;

  void start(const std::vector<std::string>& arguments = {}) {
    program = std::make_unique<ProgramProcess>(home, arguments);
    ASSERT_TRUE(stateWhen(programReady)) << "the program did not answer State";
  }

  void key(std::uint8_t type, std::uint16_t evdev) {
    xcb_test_fake_input(user.get(), type, static_cast<std::uint8_t>(evdev + 8), XCB_CURRENT_TIME, user.root(),
                        0, 0, 0);
    user.flush();
  }
  void chord(const std::vector<std::uint16_t>& keys) {
    for (const auto k : keys)
      key(XCB_KEY_PRESS, k);
    std::for_each(keys.rbegin(), keys.rend(), [this](std::uint16_t k) { key(XCB_KEY_RELEASE, k); });
  }
  void type(std::vector<std::uint16_t> keys) {
    for (const auto k : keys)
      chord({k});
  }

  // The window the window manager made active, with its WM_CLASS and whether it is mapped.
  struct ActiveWindow {
    std::string wmClass;
    bool viewable = false;
  };
  ActiveWindow activeWindow() {
    using platform::desktop::XcbPointer;
    auto* c = user.get();
    XcbPointer<xcb_get_property_reply_t> active(xcb_get_property_reply(
        c, xcb_get_property(c, 0, user.root(), user.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!active || xcb_get_property_value_length(active.get()) < 4) return {};
    const xcb_window_t window = *static_cast<xcb_window_t*>(xcb_get_property_value(active.get()));
    XcbPointer<xcb_get_property_reply_t> wmClass(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr));
    XcbPointer<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    ActiveWindow result;
    if (wmClass)
      result.wmClass.assign(static_cast<const char*>(xcb_get_property_value(wmClass.get())),
                            xcb_get_property_value_length(wmClass.get()));
    result.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    return result;
  }
  bool quilloIsActive() {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < end) {
      const ActiveWindow window = activeWindow();
      if (window.viewable && window.wmClass.find("quillo") != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // Super+Space and Super+Shift+V, the default shortcuts on Linux.
  void pressLauncherShortcut() { chord({KEY_LEFTMETA, KEY_SPACE}); }
  void pressClipboardShortcut() { chord({KEY_LEFTMETA, KEY_LEFTSHIFT, KEY_V}); }
};

bool panelShows(const json& state, std::string_view content) {
  return state["panel"]["visible"] == true && state["panel"]["content"] == content;
}
// Shown with the keyboard in it: what typing needs.
bool panelTakesKeys(const json& state, std::string_view content) {
  return panelShows(state, content) && state["panel"]["focused"] == true;
}

TEST_F(ProgramEndToEndTest, TheLauncherShortcutShowsTheLauncherAndPressingItAgainHidesIt) {
  start();
  pressLauncherShortcut();
  EXPECT_TRUE(stateWhen([](const json& state) { return panelShows(state, "launcher"); }));
  pressLauncherShortcut();
  EXPECT_TRUE(stateWhen([](const json& state) { return state["panel"]["visible"] == false; }));
}

TEST_F(ProgramEndToEndTest, ThePanelIsMappedAndTakesTheKeyboard) {
  start();
  pressLauncherShortcut();
  ASSERT_TRUE(stateWhen([](const json& state) { return panelShows(state, "launcher"); }));
  EXPECT_TRUE(quilloIsActive()) << "active window: " << activeWindow().wmClass;
}

TEST_F(ProgramEndToEndTest, TypingInThePanelListsTheMatchingRows) {
  home.stored("openingScope", "mac");
  start();
  pressLauncherShortcut();
  ASSERT_TRUE(stateWhen([](const json& state) { return panelTakesKeys(state, "launcher"); }));
  ASSERT_TRUE(quilloIsActive());
  type({KEY_W, KEY_I, KEY_F, KEY_I});
  const auto state = stateWhen([](const json& state) {
    const json& rows = state["search"]["rows"];
    return state["search"]["query"] == "wifi" && !rows.empty() && rows[0]["title"] == "Wi-Fi Analyzer";
  });
  ASSERT_TRUE(state);
  EXPECT_EQ((*state)["search"]["rows"][0]["title"], "Wi-Fi Analyzer") << state->dump();
}

TEST_F(ProgramEndToEndTest, TabChangesTheScope) {
  start();
  pressLauncherShortcut();
  const auto before = stateWhen([](const json& state) { return panelTakesKeys(state, "launcher"); });
  ASSERT_TRUE(before);
  ASSERT_TRUE(quilloIsActive());
  const json scope = (*before)["search"]["scope"];
  chord({KEY_TAB});
  const auto after = stateWhen([&](const json& state) { return state["search"]["scope"] != scope; });
  ASSERT_TRUE(after);
  EXPECT_NE((*after)["search"]["scope"], scope);
}

TEST_F(ProgramEndToEndTest, EscapeHidesThePanel) {
  start();
  pressLauncherShortcut();
  ASSERT_TRUE(stateWhen([](const json& state) { return panelTakesKeys(state, "launcher"); }));
  ASSERT_TRUE(quilloIsActive());
  chord({KEY_ESC});
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
  home.stored("openingScope", "mac");
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

TEST_F(ProgramEndToEndTest, ChoosingACopyPastesItIntoTheApplicationInFront) {
  home.stored("clipboard.enabled", true);
  // A welcome appearing late would take the focus from the editor, leaving the paste no target.
  home.stored("welcomeShown", true);
  start();
  TestWindow editor("gedit", "Gedit");
  platform::desktop::XTestKeyboard keyboard;
  keyboard.activate(editor.id());
  const auto end = std::chrono::steady_clock::now() + 5s;
  while (activeWindow().wmClass.find("gedit") == std::string::npos && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_NE(activeWindow().wmClass.find("gedit"), std::string::npos) << "the editor never became active";
  const auto file = home.folder / "copied.txt";
  std::ofstream(file) << "pasted text";
  platform::desktop::SelectionOwner owner({"UTF8_STRING=" + file.string()});
  ASSERT_TRUE(stateWhen([](const json& state) {
    const json& entries = state["clipboard"]["entries"];
    return !entries.empty() && entries[0]["title"] == "pasted text";
  }));
  pressClipboardShortcut();
  ASSERT_TRUE(stateWhen([](const json& state) {
    return panelTakesKeys(state, "clipboard") && state["clipboard"]["mode"] == "paste" &&
           !state["clipboard"]["entries"].empty();
  }));
  ASSERT_TRUE(quilloIsActive());
  chord({KEY_ENTER});
  const auto modifiers = editor.nextPressOf(KEY_V + 8);
  ASSERT_TRUE(modifiers.has_value()) << "no paste keystroke reached the editor (the active window: "
                                     << activeWindow().wmClass << "): " << programState()->dump();
  EXPECT_EQ(*modifiers & (XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4), XCB_MOD_MASK_CONTROL);
  EXPECT_TRUE(stateWhen([](const json& state) { return state["panel"]["visible"] == false; }));
}

TEST_F(ProgramEndToEndTest, ASecondInstanceLeavesTheFirstRunning) {
  start();
  ProgramProcess second(home, {});
  EXPECT_EQ(second.wait(10s), 0);
  EXPECT_TRUE(programState());
}

}  // namespace
}  // namespace quillo::ui::testing
