#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QTest>
#include <vector>

#include "quillo/ui/tray/status_item.h"

namespace quillo::ui {
namespace {

using Action = app::StatusMenuItem::Action;

// A desktop's tray host as the session bus shows it: the StatusNotifierItem watcher.
class TrayWatcher : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)

 public:
  bool hostRegistered() const { return true; }
};

struct StatusItemTest : ::testing::Test {
  std::vector<Action> performed;
  StatusItem item{[this](Action action) { performed.push_back(action); }};

  static app::StatusMenu menu(const std::string& shortcut, bool canCheckUpdates) {
    return app::statusMenu(shortcut, "Check for Updates…", canCheckUpdates, "1.4.0");
  }

  QStringList titles() {
    QStringList result;
    for (const QAction* action : item.menu().actions())
      result << (action->isSeparator() ? QStringLiteral("—") : action->text());
    return result;
  }

  QAction* titled(const QString& title) {
    for (QAction* action : item.menu().actions())
      if (action->text() == title) return action;
    return nullptr;
  }
};

TEST_F(StatusItemTest, ItsMenuListsTheModelsItemsInOrder) {
  item.install(menu("Super+Space", true));
  EXPECT_EQ(titles(), QStringList({"Show Quillo (Super+Space)", "Settings…", "Check for Updates…",
                                   "Quillo 1.4.0", "—", "Quit Quillo"}));
  EXPECT_FALSE(titled("Quillo 1.4.0")->isEnabled());
  EXPECT_TRUE(titled("Settings…")->isEnabled());
}

TEST_F(StatusItemTest, ChoosingAnItemPerformsItsAction) {
  item.install(menu("Super+Space", true));
  item.menu().popup(QPoint(40, 40));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&item.menu()));
  QTest::mouseClick(&item.menu(), Qt::LeftButton, {},
                    item.menu().actionGeometry(titled("Settings…")).center());
  EXPECT_EQ(performed, std::vector<Action>{Action::openSettings});
  titled("Quit Quillo")->trigger();
  EXPECT_EQ(performed, (std::vector<Action>{Action::openSettings, Action::quit}));
}

TEST_F(StatusItemTest, UpdateChangesTitlesAndStatesInPlace) {
  item.install(menu("Super+Space", true));
  item.update(menu("Ctrl+Alt+K", false));
  EXPECT_EQ(titles().front(), "Show Quillo (Ctrl+Alt+K)");
  EXPECT_EQ(titles().size(), 6);
  EXPECT_FALSE(titled("Check for Updates…")->isEnabled());
  titled("Show Quillo (Ctrl+Alt+K)")->trigger();
  EXPECT_EQ(performed, std::vector<Action>{Action::showQuillo});
}

TEST_F(StatusItemTest, AnAmpersandInATitleIsShownAsItself) {
  item.install(app::StatusMenu{.accessibilityLabel = "Quillo",
                               .items = {{.title = "Tips & Tricks", .action = Action::openSettings}}});
  EXPECT_EQ(item.menu().actions().front()->iconText(), "Tips & Tricks");
}

TEST_F(StatusItemTest, TheTrayIsAvailableOnceTheDesktopHasATrayHost) {
  // The test desktop has no tray of either kind.
  EXPECT_FALSE(StatusItem::available());
  TrayWatcher watcher;
  QDBusConnection bus = QDBusConnection::sessionBus();
  ASSERT_TRUE(bus.registerService("org.kde.StatusNotifierWatcher"));
  ASSERT_TRUE(bus.registerObject("/StatusNotifierWatcher", &watcher, QDBusConnection::ExportAllProperties));
  EXPECT_TRUE(StatusItem::available());
  bus.unregisterObject("/StatusNotifierWatcher");
  bus.unregisterService("org.kde.StatusNotifierWatcher");
}

}  // namespace
}  // namespace quillo::ui

#include "status_item_tests.moc"
