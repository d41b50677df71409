#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QThread>
#include <atomic>
#include <chrono>
#include <utility>

#include "quillo/platform/desktop/portal_global_shortcuts.h"
#include "quillo/testing/fake_portal.h"
#include "quillo/testing/qt_test_loop.h"

namespace quillo::platform::desktop {
namespace {

using ShortcutList = QList<QPair<QString, QVariantMap>>;

// The desktop's side of the GlobalShortcuts portal, on a bus connection of its own, as Plasma's
// portal answers: requests answered by a Response signal on the request's path, triggers chosen
// from the preferred ones.
class FakeShortcutsPortal : public testing::FakePortal {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
  Q_PROPERTY(uint version READ version)

 public:
  using FakePortal::FakePortal;
  uint version() const { return 1; }
  QString session;
  QStringList preferred;
  // What the user answers the desktop's dialog: 0 accepts, 1 turns the request down.
  std::atomic<uint> bindResponse = 0;

 public Q_SLOTS:
  QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
    const auto request = requestPath(message, options);
    session = "/org/freedesktop/portal/desktop/session/" + sender(message) + "/quillo";
    respond(request, {{"session_handle", session}});
    return QDBusObjectPath(request);
  }
  QDBusObjectPath BindShortcuts(const QDBusObjectPath&, const QList<QPair<QString, QVariantMap>>& list,
                                const QString&, const QVariantMap& options, const QDBusMessage& message) {
    ShortcutList bound;
    preferred.clear();
    for (const auto& [id, details] : list) {
      preferred << details.value("preferred_trigger").toString();
      bound.append({id, {{"trigger_description", QStringLiteral("Meta+Space")}}});
    }
    const auto request = requestPath(message, options);
    if (bindResponse != 0) {
      respond(request, {}, bindResponse);
      return QDBusObjectPath(request);
    }
    respond(request, {{"shortcuts", QVariant::fromValue(bound)}});
    return QDBusObjectPath(request);
  }

  void press(const QString& id, const char* signal) {
    auto message = QDBusMessage::createSignal("/org/freedesktop/portal/desktop",
                                              "org.freedesktop.portal.GlobalShortcuts", signal);
    message << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1) << QVariantMap{};
    bus_.send(message);
  }
};

// The desktop answers from a thread of its own, as another process would.
struct PortalShortcuts : ::testing::Test {
  void SetUp() override {
    qDBusRegisterMetaType<QPair<QString, QVariantMap>>();
    qDBusRegisterMetaType<ShortcutList>();
    portal.moveToThread(&desktop);
    desktop.start();
    ASSERT_TRUE(
        desktopBus.registerObject("/org/freedesktop/portal/desktop", &portal,
                                  QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(desktopBus.registerService("org.freedesktop.portal.Desktop"));
  }
  void TearDown() override {
    desktop.quit();
    desktop.wait();
    desktopBus.unregisterService("org.freedesktop.portal.Desktop");
    desktopBus.unregisterObject("/org/freedesktop/portal/desktop");
  }

  testing::TestCoreApplication application;
  QDBusConnection desktopBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "desktop");
  FakeShortcutsPortal portal{desktopBus};
  QThread desktop;
};

TEST_F(PortalShortcuts, ShortcutsAreBoundInTheDesktopsSessionAndItsActivationsArePressesAndReleases) {
  EXPECT_TRUE(PortalGlobalShortcuts::available());

  PortalGlobalShortcuts shortcuts;
  std::vector<std::pair<std::uint32_t, HotKeys::EventKind>> events;
  shortcuts.installHandler(
      [&](std::uint32_t number, HotKeys::EventKind kind) { events.emplace_back(number, kind); });
  ASSERT_TRUE(shortcuts.registerHotKey(49, 0x100, 7).has_value());  // Command-Space
  ASSERT_TRUE(testing::runQtUntil([&] { return !shortcuts.triggers().empty(); }));
  EXPECT_EQ(portal.preferred, QStringList{"LOGO+space"});
  EXPECT_EQ(shortcuts.triggers().at(7), "Meta+Space");

  portal.press("7", "Activated");
  portal.press("7", "Deactivated");
  ASSERT_TRUE(testing::runQtUntil([&] { return events.size() == 2; }));
  EXPECT_EQ(events[0], std::pair(7u, HotKeys::EventKind::pressed));
  EXPECT_EQ(events[1], std::pair(7u, HotKeys::EventKind::released));
}

TEST_F(PortalShortcuts, ATurnedDownRequestIsReportedUntilARecordedShortcutIsAccepted) {
  portal.bindResponse = 1;
  PortalGlobalShortcuts shortcuts;
  EXPECT_EQ(shortcuts.refusal(), std::nullopt);
  const auto launcher = shortcuts.registerHotKey(49, 0x100, 1);  // Command-Space
  ASSERT_TRUE(testing::runQtUntil([&] { return shortcuts.refusal().has_value(); }));
  EXPECT_NE(shortcuts.refusal()->find("accept the desktop's dialog"), std::string::npos);
  EXPECT_TRUE(shortcuts.triggers().empty());

  // Recording the shortcut again asks again; this time the user accepts.
  portal.bindResponse = 0;
  shortcuts.unregisterHotKey(*launcher);
  ASSERT_TRUE(shortcuts.registerHotKey(49, 0x1000 | 0x800, 2).has_value());
  ASSERT_TRUE(testing::runQtUntil([&] { return !shortcuts.triggers().empty(); }));
  EXPECT_EQ(shortcuts.refusal(), std::nullopt);
}

TEST(PortalTriggers, StoredShortcutsBecomeFreedesktopTriggerNames) {
  EXPECT_EQ(preferredTrigger(9, 0x100 | 0x200), "SHIFT+LOGO+v");
  EXPECT_EQ(preferredTrigger(122, 0x1000 | 0x800), "CTRL+ALT+F1");
  EXPECT_EQ(preferredTrigger(10, 0x100), std::nullopt);  // the ISO section key has no name here
}

}  // namespace
}  // namespace quillo::platform::desktop

#include "portal_global_shortcuts_tests.moc"
