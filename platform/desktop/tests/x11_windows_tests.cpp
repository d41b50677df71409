#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "quillo/platform/desktop/x11_active_window.h"
#include "quillo/platform/desktop/x11_front_application.h"
#include "quillo/platform/desktop/x11_key_events.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/x11_test_window.h"

namespace quillo::platform::desktop {
namespace {

using testing::TestWindow;

class FrontWindows {
 public:
  void add(const ActiveWindow& window) {
    std::lock_guard lock(mutex_);
    last_ = window;
    changed_.notify_all();
  }
  ActiveWindow waitForClass(const std::string& className) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(5), [&] { return last_.className == className; });
    return last_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  ActiveWindow last_;
};

struct X11Windows : ::testing::Test {
  FrontWindows front;
  X11ActiveWindow follower{nullptr, [this](const ActiveWindow& window) { front.add(window); }};
  XTestKeyboard keys;
};

TEST_F(X11Windows, TheFrontWindowIsFollowedWithItsClassAndProcess) {
  TestWindow editor("gedit", "Gedit");
  TestWindow terminal("xterm", "XTerm");
  // The window manager gives a new window the focus: wait for that before asking for another.
  front.waitForClass("XTerm");
  keys.activate(editor.id());
  const auto first = front.waitForClass("Gedit");
  EXPECT_EQ(first.window, editor.id())
      << first.className << " " << first.instanceName << " terminal " << terminal.id();
  EXPECT_EQ(first.instanceName, "gedit");
  EXPECT_EQ(first.pid, getpid());
  keys.activate(terminal.id());
  EXPECT_EQ(front.waitForClass("XTerm").window, terminal.id());
}

TEST_F(X11Windows, ThePasteKeystrokeReachesTheActiveWindowWithOnlyItsOwnModifiers) {
  TestWindow terminal("xterm", "XTerm");
  keys.activate(terminal.id());
  front.waitForClass("XTerm");
  // The user still holds Super from the shortcut that opened the history.
  XcbConnection user;
  xcb_test_fake_input(user.get(), XCB_KEY_PRESS, KEY_LEFTMETA + 8, XCB_CURRENT_TIME, user.root(), 0, 0, 0);
  user.flush();

  X11KeyEvents events;
  ASSERT_TRUE(events.isTrusted());
  ASSERT_TRUE(events.post({.key = 'v', .control = true, .shift = true}));
  const auto state = terminal.nextPressOf(KEY_V + 8);
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(*state & (XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4),
            XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT);
}

TEST_F(X11Windows, TheFrontApplicationIsTheActiveWindowsDesktopEntryAndActivationsReachTheMainThread) {
  testing::TestClock clock;
  testing::ManualMainQueue main(clock);
  std::vector<FrontApplication> activations;
  X11FrontApplication applications(
      main,
      [](const ActiveWindow& window) -> std::optional<X11FrontApplication::Entry> {
        if (window.className == "Gnome-terminal")
          return X11FrontApplication::Entry{"org.gnome.Terminal", "Terminal"};
        return std::nullopt;
      },
      [&](const FrontApplication& front) { activations.push_back(front); });
  TestWindow terminal("gnome-terminal-server", "Gnome-terminal");
  TestWindow unknown("tool", "Tool");
  front.waitForClass("Tool");
  keys.activate(terminal.id());
  ASSERT_TRUE(
      main.runUntil([&] { return !activations.empty() && activations.back().id == "org.gnome.Terminal"; }));
  EXPECT_EQ(activations.back(),
            (FrontApplication{getpid(), "org.gnome.Terminal", "Terminal", "Gnome-terminal"}));
  keys.activate(unknown.id());
  ASSERT_TRUE(main.runUntil([&] { return activations.back().windowClass == "Tool"; }));
  main.drain();
  EXPECT_EQ(activations.back().id, "");
  EXPECT_EQ(applications.front()->windowClass, "Tool");
}

}  // namespace
}  // namespace quillo::platform::desktop
