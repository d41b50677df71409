#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "quillo/platform/desktop/portal_remote_desktop.h"
#include "quillo/testing/fake_remote_desktop.h"
#include "quillo/testing/qt_test_loop.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::desktop {
namespace {

struct RemoteDesktopPaste : ::testing::Test {
  testing::TestCoreApplication application;
  testing::TemporaryFolder state;
  testing::RemoteDesktopOnBus desktop;
  testing::FakeRemoteDesktop& portal = desktop.portal;

  void SetUp() override { ASSERT_TRUE(desktop.registered); }
};

TEST_F(RemoteDesktopPaste, ThePasteKeysReachThePortalAsCtrlVOnceTheUserConsents) {
  EXPECT_TRUE(PortalRemoteDesktop::available());
  PortalRemoteDesktop keys(state / "paste-token");
  EXPECT_FALSE(keys.isTrusted());  // asks the desktop, which asks the user
  ASSERT_TRUE(testing::runQtUntil([&] { return keys.isTrusted(); }));
  EXPECT_EQ(portal.selectOptions().value("types").toUInt(), 1u);  // a keyboard

  ASSERT_TRUE(keys.post({.key = 'v', .control = true}));
  const std::vector<std::string> strokes{"keycode " + std::to_string(KEY_LEFTCTRL) + " down", "keysym v down",
                                         "keysym v up", "keycode " + std::to_string(KEY_LEFTCTRL) + " up"};
  ASSERT_TRUE(testing::runQtUntil([&] { return portal.calls().size() >= 3 + strokes.size(); }));
  const auto calls = portal.calls();
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 3),
            (std::vector<std::string>{"CreateSession", "SelectDevices", "Start"}));
  EXPECT_EQ(std::vector<std::string>(calls.begin() + 3, calls.end()), strokes);
}

TEST_F(RemoteDesktopPaste, TheConsentIsKeptAndHandedBackSoTheUserApprovesOnce) {
  {
    PortalRemoteDesktop keys(state / "paste-token");
    keys.start();
    ASSERT_TRUE(testing::runQtUntil([&] { return keys.isTrusted(); }));
    EXPECT_FALSE(portal.selectOptions().contains("restore_token"));
  }
  std::ifstream kept(state / "paste-token");
  std::string token;
  std::getline(kept, token);
  EXPECT_EQ(token, "consent-kept");

  PortalRemoteDesktop again(state / "paste-token");
  again.start();
  ASSERT_TRUE(testing::runQtUntil([&] { return again.isTrusted(); }));
  EXPECT_EQ(portal.selectOptions().value("restore_token").toString(), "consent-kept");
  EXPECT_EQ(portal.selectOptions().value("persist_mode").toUInt(), 2u);
}

TEST_F(RemoteDesktopPaste, ARefusedConsentLeavesThePasteToTheUser) {
  portal.consent = false;
  PortalRemoteDesktop keys(state / "paste-token");
  keys.start();
  ASSERT_TRUE(testing::runQtUntil([&] { return keys.refused(); }));
  EXPECT_FALSE(keys.isTrusted());
  EXPECT_FALSE(keys.post({.key = 'v', .control = true}));
  EXPECT_EQ(portal.calls(), (std::vector<std::string>{"CreateSession", "SelectDevices", "Start"}));
}

TEST(RemoteDesktopAbsent, WithoutThePortalThePasteIsLeftToTheUser) {
  testing::TestCoreApplication application;
  const testing::TemporaryFolder state;
  EXPECT_FALSE(PortalRemoteDesktop::available());
  PortalRemoteDesktop keys(state / "paste-token");
  EXPECT_FALSE(keys.isTrusted());
  EXPECT_FALSE(keys.post({.key = 'v', .control = true}));
}

}  // namespace
}  // namespace quillo::platform::desktop
