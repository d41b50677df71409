#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QTest>

#include "quillo/ui/effects/welcome_window.h"

namespace quillo::ui {
namespace {

struct WelcomeWindowTest : ::testing::Test {
  int settingsOpened = 0;
  int closed = 0;
  WelcomeWindow welcome{{.launcher = "Super+Space", .clipboard = "Super+Shift+V"},
                        {.openSettings = [this] { ++settingsOpened; }, .closed = [this] { ++closed; }},
                        [] { return false; }};

  void present() {
    welcome.present();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&welcome));
  }

  // The widgets that read out as `name` to a screen reader.
  int widgetsNamed(const QString& name) {
    int count = 0;
    for (const QWidget* child : welcome.findChildren<QWidget*>())
      count += child->accessibleName() == name && child->isVisible();
    return count;
  }
};

TEST_F(WelcomeWindowTest, TheSettingsButtonOpensTheSettingsAndCloses) {
  present();
  QTest::mouseClick(&welcome.settingsButton(), Qt::LeftButton);
  EXPECT_EQ(settingsOpened, 1);
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(welcome.isVisible());
}

TEST_F(WelcomeWindowTest, TheCloseButtonClosesWithoutOpeningTheSettings) {
  present();
  QTest::mouseClick(&welcome.closeButton(), Qt::LeftButton);
  EXPECT_EQ(settingsOpened, 0);
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(welcome.isVisible());
}

TEST_F(WelcomeWindowTest, EscapeClosesIt) {
  present();
  QTest::keyClick(&welcome, Qt::Key_Escape);
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(welcome.isVisible());
}

TEST_F(WelcomeWindowTest, EnterPressesTheFocusedButton) {
  present();
  welcome.settingsButton().setFocus();
  QTest::keyClick(&welcome.settingsButton(), Qt::Key_Return);
  EXPECT_EQ(settingsOpened, 1);
  EXPECT_EQ(closed, 1);
}

TEST_F(WelcomeWindowTest, ShowsBothShortcutsAsKeyCaps) {
  present();
  EXPECT_EQ(widgetsNamed("Super+Space"), 1);
  EXPECT_EQ(widgetsNamed("Super+Shift+V"), 1);
}

TEST_F(WelcomeWindowTest, OpensCentredOnTheDisplayUnderThePointer) {
  QScreen* screen = QGuiApplication::primaryScreen();
  QCursor::setPos(screen, screen->geometry().center() + QPoint(200, 100));
  present();
  const QPoint centre = screen->availableGeometry().center();
  EXPECT_LE((welcome.frameGeometry().center() - centre).manhattanLength(), 2)
      << welcome.frameGeometry().x() << "," << welcome.frameGeometry().y() << " "
      << welcome.frameGeometry().width() << "x" << welcome.frameGeometry().height() << " centre "
      << centre.x() << "," << centre.y();
}

TEST_F(WelcomeWindowTest, GlowsInTheAccentColourAlongItsEdge) {
  present();
  const QImage image = welcome.grab().toImage();
  const QColor accent = welcome.palette().color(QPalette::Highlight).toHsv();
  const QColor edge = image.pixelColor(image.width() / 2, 2).toHsv();
  EXPECT_NEAR(edge.hsvHue(), accent.hsvHue(), 10);
  EXPECT_GT(edge.hsvSaturationF(), 0.3);
  // Inside the card, away from the edge, the window's own colour.
  EXPECT_EQ(image.pixelColor(12, image.height() / 2).rgb(), welcome.palette().color(QPalette::Window).rgb());
}

}  // namespace
}  // namespace quillo::ui
