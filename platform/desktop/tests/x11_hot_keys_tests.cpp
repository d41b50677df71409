#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <xcb/xtest.h>

#include "quillo/platform/desktop/x11_hot_keys.h"
#include "quillo/testing/manual_main_queue.h"

namespace quillo::platform::desktop {
namespace {

struct X11HotKeysTest : ::testing::Test {
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  XcbConnection user;

  void key(std::uint8_t type, std::uint16_t evdev) {
    xcb_test_fake_input(user.get(), type, static_cast<std::uint8_t>(evdev + 8), XCB_CURRENT_TIME, user.root(),
                        0, 0, 0);
    user.flush();
  }
};

TEST_F(X11HotKeysTest, ThePressOfARegisteredShortcutReachesTheHandlerOnTheMainThreadWithItsNumber) {
  X11HotKeys hotKeys(main);
  std::vector<std::pair<std::uint32_t, HotKeys::EventKind>> events;
  bool onMain = true;
  hotKeys.installHandler([&](std::uint32_t number, HotKeys::EventKind kind) {
    onMain = onMain && main.isMainThread();
    events.emplace_back(number, kind);
  });
  // Command+Shift+V, the clipboard shortcut, is Super+Shift+V here.
  ASSERT_TRUE(hotKeys.registerHotKey(9, 0x100 | 0x200, 2).has_value());
  key(XCB_KEY_PRESS, KEY_LEFTMETA);
  key(XCB_KEY_PRESS, KEY_LEFTSHIFT);
  key(XCB_KEY_PRESS, KEY_V);
  key(XCB_KEY_RELEASE, KEY_V);
  key(XCB_KEY_RELEASE, KEY_LEFTSHIFT);
  key(XCB_KEY_RELEASE, KEY_LEFTMETA);
  ASSERT_TRUE(main.runUntil([&] { return events.size() == 2; }));
  EXPECT_EQ(events[0], std::pair(2u, HotKeys::EventKind::pressed));
  EXPECT_EQ(events[1], std::pair(2u, HotKeys::EventKind::released));
  EXPECT_TRUE(onMain);
}

TEST_F(X11HotKeysTest, ACombinationAnotherProgramHoldsIsRefused) {
  X11HotKeys first(main);
  X11HotKeys second(main);
  ASSERT_TRUE(first.registerHotKey(49, 0x100, 1).has_value());
  EXPECT_FALSE(second.registerHotKey(49, 0x100, 1).has_value());
}

TEST_F(X11HotKeysTest, LabelsShowTheCurrentLayoutsCharacter) {
  X11HotKeys hotKeys(main);
  EXPECT_EQ(hotKeys.keyCharacter(9), "v");
  EXPECT_EQ(hotKeys.keyCharacter(12), "q");
  EXPECT_EQ(hotKeys.keyCharacter(53), std::nullopt);  // Escape prints nothing
  EXPECT_EQ(hotKeys.labelStyle(), KeyLabelStyle::words);
}

}  // namespace
}  // namespace quillo::platform::desktop
