#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <xcb/xtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "quillo/platform/desktop/key_positions.h"
#include "quillo/platform/desktop/x11_key_grabber.h"

namespace quillo::platform::desktop {
namespace {

constexpr int space = 49;
constexpr int command = 0x100;

// A keyboard driven through XTest, as the user's would be.
class Keyboard {
 public:
  void press(std::uint16_t evdev) { send(XCB_KEY_PRESS, evdev); }
  void release(std::uint16_t evdev) { send(XCB_KEY_RELEASE, evdev); }
  void tap(std::uint16_t evdev) {
    press(evdev);
    release(evdev);
  }

 private:
  void send(std::uint8_t type, std::uint16_t evdev) {
    xcb_test_fake_input(connection_.get(), type, static_cast<std::uint8_t>(evdev + 8), XCB_CURRENT_TIME,
                        connection_.root(), 0, 0, 0);
    // A round trip, so the key has reached the server.
    const XcbPointer<xcb_get_input_focus_reply_t> roundTrip(
        xcb_get_input_focus_reply(connection_.get(), xcb_get_input_focus(connection_.get()), nullptr));
  }
  XcbConnection connection_;
};

// What the hot keys reported, waited for across their thread.
class Events {
 public:
  void add(int id, bool pressed) {
    std::lock_guard lock(mutex_);
    seen_.push_back(std::to_string(id) + (pressed ? " down" : " up"));
    changed_.notify_all();
  }
  std::vector<std::string> waitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(5), [&] { return seen_.size() >= count; });
    return seen_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> seen_;
};

struct X11KeyGrabberTest : ::testing::Test {
  Events events;
  X11KeyGrabber hotKeys{nullptr, [this](int id, bool pressed) { events.add(id, pressed); }};
  Keyboard keyboard;

  void pressSuperSpace() {
    keyboard.press(KEY_LEFTMETA);
    keyboard.tap(KEY_SPACE);
    keyboard.release(KEY_LEFTMETA);
  }
};

TEST_F(X11KeyGrabberTest, APressReachesTheHandlerOnceWithNumLockOffAndOn) {
  ASSERT_EQ(hotKeys.grab(1, *x11KeycodeForMacKey(space), x11ModifiersForCarbon(command)),
            X11KeyGrabber::Grab::grabbed);
  pressSuperSpace();
  EXPECT_EQ(events.waitFor(2), (std::vector<std::string>{"1 down", "1 up"}));
  keyboard.tap(KEY_NUMLOCK);
  pressSuperSpace();
  keyboard.tap(KEY_NUMLOCK);
  EXPECT_EQ(events.waitFor(4), (std::vector<std::string>{"1 down", "1 up", "1 down", "1 up"}));
}

TEST_F(X11KeyGrabberTest, HoldingTheShortcutPressesItOnce) {
  ASSERT_EQ(hotKeys.grab(7, *x11KeycodeForMacKey(space), x11ModifiersForCarbon(command)),
            X11KeyGrabber::Grab::grabbed);
  keyboard.press(KEY_LEFTMETA);
  keyboard.press(KEY_SPACE);
  // Held past the server's auto-repeat delay (660 ms), the key repeats.
  std::this_thread::sleep_for(std::chrono::milliseconds(900));
  keyboard.release(KEY_SPACE);
  keyboard.release(KEY_LEFTMETA);
  EXPECT_EQ(events.waitFor(2), (std::vector<std::string>{"7 down", "7 up"}));
}

TEST_F(X11KeyGrabberTest, AShortcutHeldByAnotherProgramIsReportedTaken) {
  ASSERT_EQ(hotKeys.grab(1, *x11KeycodeForMacKey(space), x11ModifiersForCarbon(command)),
            X11KeyGrabber::Grab::grabbed);
  X11KeyGrabber other(nullptr, [](int, bool) {});
  EXPECT_EQ(other.grab(1, *x11KeycodeForMacKey(space), x11ModifiersForCarbon(command)),
            X11KeyGrabber::Grab::alreadyTaken);
  // Once released it can be taken.
  hotKeys.ungrab(1);
  EXPECT_EQ(other.grab(1, *x11KeycodeForMacKey(space), x11ModifiersForCarbon(command)),
            X11KeyGrabber::Grab::grabbed);
}

TEST_F(X11KeyGrabberTest, OtherModifiersOrKeysDoNotFire) {
  ASSERT_EQ(hotKeys.grab(1, *x11KeycodeForMacKey(space), x11ModifiersForCarbon(command)),
            X11KeyGrabber::Grab::grabbed);
  ASSERT_EQ(hotKeys.grab(2, *x11KeycodeForMacKey(9), x11ModifiersForCarbon(command | 0x200)),
            X11KeyGrabber::Grab::grabbed);
  keyboard.press(KEY_LEFTMETA);
  keyboard.tap(KEY_V);  // without Shift: not the clipboard shortcut
  keyboard.press(KEY_LEFTSHIFT);
  keyboard.tap(KEY_V);
  keyboard.release(KEY_LEFTSHIFT);
  keyboard.release(KEY_LEFTMETA);
  EXPECT_EQ(events.waitFor(2), (std::vector<std::string>{"2 down", "2 up"}));
}

// The keyboard's modifier map changed for the test, as xmodmap or a desktop's keyboard settings
// change it, and put back afterwards.
class ModifierMapChange {
 public:
  // Moves the key at `evdev` from modifier `from` to modifier `to` (0 Shift ... 7 Mod5).
  ModifierMapChange(std::uint16_t evdev, int from, int to) {
    XcbPointer<xcb_get_modifier_mapping_reply_t> mapping(xcb_get_modifier_mapping_reply(
        connection_.get(), xcb_get_modifier_mapping(connection_.get()), nullptr));
    perModifier_ = mapping->keycodes_per_modifier;
    const auto* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    original_.assign(codes, codes + 8 * perModifier_);
    auto changed = original_;
    const auto keycode = static_cast<xcb_keycode_t>(evdev + 8);
    for (int i = 0; i < perModifier_; ++i)
      if (changed[from * perModifier_ + i] == keycode) changed[from * perModifier_ + i] = 0;
    for (int i = 0; i < perModifier_; ++i)
      if (changed[to * perModifier_ + i] == 0) {
        changed[to * perModifier_ + i] = keycode;
        break;
      }
    set(changed);
  }
  ~ModifierMapChange() { set(original_); }

 private:
  void set(const std::vector<xcb_keycode_t>& codes) {
    XcbPointer<xcb_set_modifier_mapping_reply_t> reply(xcb_set_modifier_mapping_reply(
        connection_.get(), xcb_set_modifier_mapping(connection_.get(), perModifier_, codes.data()), nullptr));
    EXPECT_TRUE(reply && reply->status == XCB_MAPPING_STATUS_SUCCESS);
  }
  XcbConnection connection_;
  std::uint8_t perModifier_ = 0;
  std::vector<xcb_keycode_t> original_;
};

// Runs setxkbmap on the test display, as a desktop does when the user picks another layout.
void setLayout(const std::string& layout) {
  ASSERT_EQ(std::system(("setxkbmap -layout " + layout).c_str()), 0) << "setxkbmap (x11-xkb-utils) is needed";
}

TEST_F(X11KeyGrabberTest, NumLockKeepsTheShortcutAliveAfterTheModifierMapMovesIt) {
  ASSERT_EQ(hotKeys.grab(1, *x11KeycodeForMacKey(space), x11ModifiersForCarbon(command)),
            X11KeyGrabber::Grab::grabbed);
  const ModifierMapChange numLockOnMod3(KEY_NUMLOCK, 4, 5);
  // The grabber hears of the change on its own thread; a press right away may beat it.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  keyboard.tap(KEY_NUMLOCK);
  pressSuperSpace();
  keyboard.tap(KEY_NUMLOCK);
  EXPECT_EQ(events.waitFor(2), (std::vector<std::string>{"1 down", "1 up"}));
}

TEST_F(X11KeyGrabberTest, TheShortcutStillFiresAfterTheLayoutChanges) {
  ASSERT_EQ(hotKeys.grab(1, *x11KeycodeForMacKey(space), x11ModifiersForCarbon(command)),
            X11KeyGrabber::Grab::grabbed);
  setLayout("ru");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  pressSuperSpace();
  keyboard.tap(KEY_NUMLOCK);
  pressSuperSpace();
  keyboard.tap(KEY_NUMLOCK);
  setLayout("us");
  EXPECT_EQ(events.waitFor(4), (std::vector<std::string>{"1 down", "1 up", "1 down", "1 up"}));
}

TEST(KeyPositions, ShortcutsMapByPlaceAndCommandIsSuper) {
  EXPECT_EQ(x11KeycodeForMacKey(49), KEY_SPACE + 8);
  EXPECT_EQ(x11KeycodeForMacKey(9), KEY_V + 8);
  EXPECT_EQ(x11KeycodeForMacKey(122), KEY_F1 + 8);
  EXPECT_EQ(x11KeycodeForMacKey(127), std::nullopt);
  EXPECT_EQ(macKeyForEvdevCode(KEY_Q), 12);
  EXPECT_EQ(x11ModifiersForCarbon(0x100 | 0x200), XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT);
  EXPECT_EQ(x11ModifiersForCarbon(0x800 | 0x1000), XCB_MOD_MASK_1 | XCB_MOD_MASK_CONTROL);
}

}  // namespace
}  // namespace quillo::platform::desktop
