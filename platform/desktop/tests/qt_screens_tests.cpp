#include <gtest/gtest.h>
#include <xcb/xtest.h>

#include <QGuiApplication>
#include <fstream>

#include "quillo/platform/desktop/qt_screens.h"
#include "quillo/platform/desktop/xcb_connection.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::desktop {
namespace {

TEST(QtScreens, TheDisplayAndThePointerAreSeenAsTheXServerHasThem) {
  int argc = 1;
  char name[] = "tests";
  char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication application(argc, argv);
  QtScreens screens([] { return false; });
  const auto displays = screens.displays();
  ASSERT_EQ(displays.size(), 1u);
  EXPECT_EQ(displays[0].frame, (Rect{{0, 0}, {1280, 800}}));
  EXPECT_FALSE(displays[0].id.empty());

  XcbConnection user;
  xcb_test_fake_input(user.get(), XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, user.root(), 321, 123, 0);
  user.flush();
  // A round trip, so the motion has reached the server.
  const XcbPointer<xcb_get_input_focus_reply_t> roundTrip(
      xcb_get_input_focus_reply(user.get(), xcb_get_input_focus(user.get()), nullptr));
  EXPECT_EQ(screens.pointer(), (Point{321, 123}));
}

TEST(DesktopAnimations, KdeTurnsThemOffWithASpeedOfZero) {
  testing::TemporaryFolder folder;
  const auto path = (folder.path() / "kdeglobals").string();
  std::ofstream(path) << "[General]\nAnimationDurationFactor=1\n[KDE]\nAnimationDurationFactor=0\n";
  EXPECT_TRUE(desktopAnimationsOff("KDE", path));
  std::ofstream(path) << "[KDE]\nAnimationDurationFactor=0.5\n";
  EXPECT_FALSE(desktopAnimationsOff("KDE", path));
  EXPECT_FALSE(desktopAnimationsOff("KDE", (folder.path() / "missing").string()));
}

}  // namespace
}  // namespace quillo::platform::desktop
