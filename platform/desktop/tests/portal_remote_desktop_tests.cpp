#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QThread>
#include <chrono>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "quillo/platform/desktop/portal_remote_desktop.h"
#include "quillo/testing/fake_portal.h"
#include "quillo/testing/qt_test_loop.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::desktop {
namespace {

// The desktop's side of the RemoteDesktop portal, on a bus connection of its own: requests are
// answered by a Response signal on the request's path, the user's consent is `consent`, and every
// call is recorded.
class FakeRemoteDesktop : public testing::FakePortal {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.RemoteDesktop")
  Q_PROPERTY(uint version READ version)

 public:
  using FakePortal::FakePortal;
  uint version() const { return 2; }
  bool consent = true;

  std::vector<std::string> calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  QVariantMap selectOptions() {
    std::lock_guard lock(mutex_);
    return selectOptions_;
  }

 public slots:
  QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
    record("CreateSession");
    const auto request = requestPath(message, options);
    respond(request,
            {{"session_handle", "/org/freedesktop/portal/desktop/session/" + sender(message) + "/paste"}});
    return QDBusObjectPath(request);
  }
  QDBusObjectPath SelectDevices(const QDBusObjectPath&, const QVariantMap& options,
                                const QDBusMessage& message) {
    {
      std::lock_guard lock(mutex_);
      calls_.push_back("SelectDevices");
      selectOptions_ = options;
    }
    const auto request = requestPath(message, options);
    respond(request, {});
    return QDBusObjectPath(request);
  }
  QDBusObjectPath Start(const QDBusObjectPath&, const QString&, const QVariantMap& options,
                        const QDBusMessage& message) {
    record("Start");
    const auto request = requestPath(message, options);
    if (consent)
      respond(request, {{"devices", uint(1)}, {"restore_token", QStringLiteral("consent-kept")}});
    else
      respond(request, {}, 1);
    return QDBusObjectPath(request);
  }
  void NotifyKeyboardKeycode(const QDBusObjectPath&, const QVariantMap&, int keycode, uint state) {
    record("keycode " + std::to_string(keycode) + (state ? " down" : " up"));
  }
  void NotifyKeyboardKeysym(const QDBusObjectPath&, const QVariantMap&, int keysym, uint state) {
    record("keysym " + std::string(1, static_cast<char>(keysym)) + (state ? " down" : " up"));
  }

 private:
  void record(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  std::mutex mutex_;
  std::vector<std::string> calls_;
  QVariantMap selectOptions_;
};

struct RemoteDesktopPaste : ::testing::Test {
  testing::TestCoreApplication application;
  testing::TemporaryFolder state;
  QDBusConnection desktopBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "desktop");
  QThread desktop;
  FakeRemoteDesktop portal{desktopBus};

  // The desktop answers from a thread of its own, as another process would.
  void SetUp() override {
    portal.moveToThread(&desktop);
    desktop.start();
    ASSERT_TRUE(
        desktopBus.registerObject("/org/freedesktop/portal/desktop", &portal,
                                  QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(desktopBus.registerService("org.freedesktop.portal.Desktop"));
  }
  void TearDown() override {
    desktopBus.unregisterService("org.freedesktop.portal.Desktop");
    desktopBus.unregisterObject("/org/freedesktop/portal/desktop");
    desktop.quit();
    desktop.wait();
    QDBusConnection::disconnectFromBus("desktop");
  }
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

#include "portal_remote_desktop_tests.moc"
