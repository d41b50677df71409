#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QTest>
#include <chrono>
#include <functional>
#include <vector>

#include "fake_tray_host.h"

namespace quillo::ui {
namespace {

// One entry of an item's menu as a tray reads it over the bus.
struct MenuEntry {
  int id = 0;
  QVariantMap properties;
  std::vector<MenuEntry> children;
};

MenuEntry readEntry(const QDBusArgument& argument) {
  MenuEntry entry;
  argument.beginStructure();
  argument >> entry.id >> entry.properties;
  argument.beginArray();
  while (!argument.atEnd()) {
    QDBusVariant child;
    argument >> child;
    entry.children.push_back(readEntry(child.variant().value<QDBusArgument>()));
  }
  argument.endArray();
  argument.endStructure();
  return entry;
}

// A tray's view of one program with a status item, started for the test.
struct TrayHostTest : ::testing::Test {
  FakeTrayHost host;
  QProcess client;
  QString output;

  void SetUp() override {
    ASSERT_TRUE(host.start());
    client.start(QStringLiteral(QUILLO_TRAY_CLIENT), {});
    ASSERT_TRUE(client.waitForStarted());
    ASSERT_TRUE(runUntil([&] { return !host.items().isEmpty(); }))
        << client.readAllStandardError().toStdString();
  }

  void TearDown() override {
    client.kill();
    client.waitForFinished();
  }

  bool runUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < deadline)
      QTest::qWait(10);
    return done();
  }

  // Whether the program writes the line `expected` within a few seconds.
  bool printed(const QString& expected) {
    return runUntil([&] {
      output += QString::fromUtf8(client.readAllStandardOutput());
      return output.split(QLatin1Char('\n')).contains(expected);
    });
  }

  QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                    const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(host.items().front(), path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 3000);
  }

  QString menuPath() {
    const QDBusMessage reply =
        call(QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.freedesktop.DBus.Properties"),
             QStringLiteral("Get"), {QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Menu")});
    if (reply.arguments().isEmpty()) return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().front()).variant().value<QDBusObjectPath>().path();
  }

  MenuEntry menu() {
    const QDBusMessage reply = call(menuPath(), QStringLiteral("com.canonical.dbusmenu"),
                                    QStringLiteral("GetLayout"), {0, -1, QStringList()});
    if (reply.arguments().size() < 2) return {};
    return readEntry(reply.arguments().at(1).value<QDBusArgument>());
  }

  static QStringList labels(const MenuEntry& menu) {
    QStringList result;
    for (const MenuEntry& entry : menu.children)
      result << (entry.properties.value("type").toString() == "separator"
                     ? QStringLiteral("—")
                     : entry.properties.value("label").toString());
    return result;
  }
};

TEST_F(TrayHostTest, TheTrayShowsTheStatusMenu) {
  const MenuEntry root = menu();
  EXPECT_EQ(labels(root), QStringList({"Show Quillo (Super+Space)", "Settings…", "Check for Updates…",
                                       "Quillo 1.4.0", "—", "Quit Quillo"}));
  ASSERT_EQ(root.children.size(), 6u);
  EXPECT_FALSE(root.children[3].properties.value("enabled", true).toBool());
  EXPECT_TRUE(root.children[1].properties.value("enabled", true).toBool());
}

TEST_F(TrayHostTest, UpdatedTitlesAndStatesReachTheTray) {
  client.write("Ctrl+Alt+K\n");
  ASSERT_TRUE(runUntil([&] { return labels(menu()).value(0) == "Show Quillo (Ctrl+Alt+K)"; }))
      << labels(menu()).join(", ").toStdString();
  const MenuEntry root = menu();
  ASSERT_EQ(labels(root).indexOf("Check for Updates…"), 2);
  EXPECT_FALSE(root.children[2].properties.value("enabled", true).toBool());
}

TEST_F(TrayHostTest, ChoosingAnItemInTheTrayPerformsItsAction) {
  const MenuEntry root = menu();
  ASSERT_EQ(labels(root).indexOf("Settings…"), 1);
  call(menuPath(), QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("Event"),
       {root.children[1].id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
  EXPECT_TRUE(printed("openSettings")) << output.toStdString();
}

TEST_F(TrayHostTest, ClickingTheIconShowsTheLauncher) {
  call(QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"),
       QStringLiteral("Activate"), {0, 0});
  EXPECT_TRUE(printed("showQuillo")) << output.toStdString();
}

}  // namespace
}  // namespace quillo::ui
