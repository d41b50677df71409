#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>
#include <vector>

#include "quillo/platform/desktop/atspi_front_application.h"
#include "quillo/platform/desktop/xtest_keyboard.h"
#include "quillo/testing/accessible_test_app.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/qt_test_loop.h"

namespace quillo::platform::desktop {
namespace {

using namespace std::chrono_literals;

// The top-level window the window manager lists for a process; none within a few seconds.
xcb_window_t windowOf(ProcessID pid) {
  XcbConnection x;
  const xcb_atom_t clients = x.atom("_NET_CLIENT_LIST");
  const xcb_atom_t wmPid = x.atom("_NET_WM_PID");
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (std::chrono::steady_clock::now() < deadline) {
    XcbPointer<xcb_get_property_reply_t> list(xcb_get_property_reply(
        x.get(), xcb_get_property(x.get(), 0, x.root(), clients, XCB_ATOM_WINDOW, 0, 1024), nullptr));
    const int count = list ? xcb_get_property_value_length(list.get()) / 4 : 0;
    const auto* windows =
        list ? static_cast<const xcb_window_t*>(xcb_get_property_value(list.get())) : nullptr;
    for (int index = 0; index < count; ++index) {
      XcbPointer<xcb_get_property_reply_t> owner(xcb_get_property_reply(
          x.get(), xcb_get_property(x.get(), 0, windows[index], wmPid, XCB_ATOM_CARDINAL, 0, 1), nullptr));
      if (owner && xcb_get_property_value_length(owner.get()) == 4 &&
          *static_cast<const std::uint32_t*>(xcb_get_property_value(owner.get())) ==
              static_cast<std::uint32_t>(pid))
        return windows[index];
    }
    std::this_thread::sleep_for(20ms);
  }
  return XCB_NONE;
}

// A window of a program that publishes nothing on the accessibility bus, managed by the window manager.
class SilentWindow {
 public:
  SilentWindow() {
    window_ = connection_.createHiddenWindow();
    xcb_map_window(connection_.get(), window_);
    connection_.flush();
    const xcb_atom_t state = connection_.atom("WM_STATE");
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
      XcbPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(
          connection_.get(), xcb_get_property(connection_.get(), 0, window_, state, XCB_ATOM_ANY, 0, 1),
          nullptr));
      if (reply && reply->type != XCB_NONE) return;
      std::this_thread::sleep_for(5ms);
    }
  }
  xcb_window_t id() const { return window_; }

 private:
  XcbConnection connection_;
  xcb_window_t window_ = XCB_NONE;
};

struct AtspiFrontApplicationTest : ::testing::Test {
  void SetUp() override { testing::switchAccessibility(true); }

  // Waits (running the main queue) until the front application is the one that `matches`.
  bool frontBecomes(const std::function<bool(const std::optional<FrontApplication>&)>& matches) {
    return testing::runQtUntil([&] {
      main.drain();
      return matches(source->front());
    });
  }
  bool frontIs(ProcessID pid) {
    return frontBecomes([&](const auto& front) { return front && front->pid == pid; });
  }
  // The front application is `pid`, and its activation has reached the main thread.
  bool activatedIs(ProcessID pid) {
    return frontBecomes([&](const auto& front) {
      return front && front->pid == pid && !activations.empty() && activations.back().pid == pid;
    });
  }

  void follow() {
    source = std::make_unique<AtspiFrontApplication>(
        main,
        [](const AtspiFrontApplication::Published& published) -> std::optional<FrontEntry> {
          static const std::map<std::string, FrontEntry> entries{
              {"quillo-test-menu-app", {"dev.example.QtMenus", "Qt Menus"}},
              {"quillo-test-gtk-menu-app", {"dev.example.GtkMenus", "GTK Menus"}}};
          const auto found = entries.find(published.process.executable);
          if (found == entries.end()) return std::nullopt;
          return found->second;
        },
        [this](const FrontApplication& front) { activations.push_back(front); });
  }

  testing::TestCoreApplication application;
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  XTestKeyboard keys;
  std::vector<FrontApplication> activations;
  std::unique_ptr<AtspiFrontApplication> source;
};

// Programs started after the program listens learn at their start that someone does: toolkits send
// only the events someone registered for.
TEST_F(AtspiFrontApplicationTest, TheFrontApplicationFollowsActivationBetweenQtAndGtkPrograms) {
  follow();
  testing::AccessibleTestApp qt(QUILLO_TEST_MENU_APP);
  testing::AccessibleTestApp gtk(QUILLO_TEST_GTK_MENU_APP);
  // The window manager gives the newest window the activation: wait for that before moving it.
  ASSERT_TRUE(frontIs(gtk.pid()));
  keys.activate(windowOf(qt.pid()));
  ASSERT_TRUE(activatedIs(qt.pid()));
  EXPECT_EQ(activations.back(), (FrontApplication{qt.pid(), "dev.example.QtMenus", "Qt Menus", ""}));
  keys.activate(windowOf(gtk.pid()));
  ASSERT_TRUE(activatedIs(gtk.pid()));
  EXPECT_EQ(activations.back(), (FrontApplication{gtk.pid(), "dev.example.GtkMenus", "GTK Menus", ""}));
}

TEST_F(AtspiFrontApplicationTest, TheWindowActiveBeforeListeningIsKnown) {
  testing::AccessibleTestApp qt(QUILLO_TEST_MENU_APP);
  keys.activate(windowOf(qt.pid()));
  // The toolkit has marked its window active once it tells the bus its window's state.
  std::this_thread::sleep_for(300ms);
  follow();
  EXPECT_TRUE(frontIs(qt.pid()));
}

// A toolkit announces activations only once it knows someone listens: a window that became active
// while its application was still joining the bus is found when the application joins.
TEST_F(AtspiFrontApplicationTest, AnApplicationJoiningTheBusWithItsWindowActiveIsInFront) {
  follow();
  QProcessEnvironment late;
  late.insert("NO_AT_BRIDGE", "1");
  testing::AccessibleTestApp gtk(QUILLO_TEST_GTK_MENU_APP, {}, late);
  keys.activate(windowOf(gtk.pid()));
  gtk.write("join");
  ASSERT_EQ(gtk.nextLine(), "joined");
  EXPECT_TRUE(frontIs(gtk.pid()));
}

TEST_F(AtspiFrontApplicationTest, AProgramThatDoesNotPublishLeavesTheFrontApplicationUnknown) {
  follow();
  testing::AccessibleTestApp qt(QUILLO_TEST_MENU_APP);
  keys.activate(windowOf(qt.pid()));
  ASSERT_TRUE(frontIs(qt.pid()));
  SilentWindow silent;
  keys.activate(silent.id());
  EXPECT_TRUE(frontBecomes([](const auto& front) { return !front.has_value(); }));
}

TEST_F(AtspiFrontApplicationTest, AnApplicationThatEndsIsNoLongerInFront) {
  follow();
  testing::AccessibleTestApp qt(QUILLO_TEST_MENU_APP);
  keys.activate(windowOf(qt.pid()));
  ASSERT_TRUE(frontIs(qt.pid()));
  qt.kill();
  EXPECT_TRUE(frontBecomes([](const auto& front) { return !front.has_value(); }));
}

}  // namespace
}  // namespace quillo::platform::desktop
