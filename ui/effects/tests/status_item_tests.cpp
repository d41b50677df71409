#include <gtest/gtest.h>

#include <QTest>
#include <vector>

#include "fake_tray_host.h"
#include "quillo/ui/tray/status_item.h"

namespace quillo::ui {
namespace {

using Action = app::StatusMenuItem::Action;

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
  FakeTrayHost host;
  ASSERT_TRUE(host.start());
  EXPECT_TRUE(StatusItem::available());
}

}  // namespace
}  // namespace quillo::ui
