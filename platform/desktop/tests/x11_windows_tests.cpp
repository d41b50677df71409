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

namespace quillo::platform::desktop {
namespace {

// Another application's window, on a connection of its own, that records the keys it gets.
class TestWindow {
 public:
  TestWindow(const std::string& instance, const std::string& className) {
    auto* c = connection_.get();
    window_ = xcb_generate_id(c);
    const std::uint32_t mask[] = {XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_FOCUS_CHANGE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, connection_.root(), 10, 10, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, mask);
    const std::string wmClass = instance + '\0' + className + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(wmClass.size()), wmClass.data());
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, connection_.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                        32, 1, &pid);
    xcb_map_window(c, window_);
    connection_.flush();
    waitUntilManaged();
  }

  xcb_window_t id() const { return window_; }

  // The window manager marks the windows it manages with WM_STATE; before that it ignores
  // requests to activate them.
  void waitUntilManaged() {
    const xcb_atom_t state = connection_.atom("WM_STATE");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      XcbPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(
          connection_.get(), xcb_get_property(connection_.get(), 0, window_, state, XCB_ATOM_ANY, 0, 1),
          nullptr));
      if (reply && reply->type != XCB_NONE) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  // The modifier state of the next press of `keycode`; none within a few seconds.
  std::optional<std::uint16_t> nextPressOf(std::uint8_t keycode) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      while (XcbPointer<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get())}) {
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS) continue;
        const auto* key = reinterpret_cast<xcb_key_press_event_t*>(event.get());
        if (key->detail == keycode) return key->state;
      }
      pollfd fd{connection_.fileDescriptor(), POLLIN, 0};
      poll(&fd, 1, 50);
    }
    return std::nullopt;
  }

 private:
  XcbConnection connection_;
  xcb_window_t window_ = 0;
};

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
