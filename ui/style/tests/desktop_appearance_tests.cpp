#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <chrono>
#include <functional>

#include "quillo/ui/style/desktop_appearance.h"
#include "style_test_application.h"

namespace quillo::ui {
namespace {

// The desktop's side of the settings portal, on a bus connection of its own: answers Read with the
// value wrapped twice, as version 1 of the interface does, and announces changes.
class FakeSettingsPortal : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

 public:
  explicit FakeSettingsPortal(QDBusConnection bus) : bus_(std::move(bus)) {}
  uint scheme = 0;
  QVariant accent;

  void change(const QString& key, const QVariant& value) {
    auto message = QDBusMessage::createSignal("/org/freedesktop/portal/desktop",
                                              "org.freedesktop.portal.Settings", "SettingChanged");
    message << QString("org.freedesktop.appearance") << key << QVariant::fromValue(QDBusVariant(value));
    bus_.send(message);
  }

 public slots:
  QDBusVariant Read(const QString& group, const QString& key, const QDBusMessage& message) {
    if (group == "org.freedesktop.appearance" && key == "color-scheme")
      return QDBusVariant(QVariant::fromValue(QDBusVariant(scheme)));
    if (group == "org.freedesktop.appearance" && key == "accent-color" && accent.isValid())
      return QDBusVariant(QVariant::fromValue(QDBusVariant(accent)));
    bus_.send(
        message.createErrorReply("org.freedesktop.portal.Error.NotFound", "Requested setting not found"));
    return {};
  }

 private:
  QDBusConnection bus_;
};

QVariant accentColor(double red, double green, double blue) {
  QDBusArgument argument;
  argument.beginStructure();
  argument << red << green << blue;
  argument.endStructure();
  return QVariant::fromValue(argument);
}

bool runUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done() && std::chrono::steady_clock::now() < deadline)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
  return done();
}

struct DesktopAppearanceTest : ::testing::Test {
  void SetUp() override {
    test::styleTestApplication();
    ASSERT_TRUE(desktopBus.registerObject("/org/freedesktop/portal/desktop", &portal,
                                          QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(desktopBus.registerService("org.freedesktop.portal.Desktop"));
  }
  void TearDown() override { QDBusConnection::disconnectFromBus("desktop"); }

  QDBusConnection desktopBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "desktop");
  FakeSettingsPortal portal{desktopBus};
};

TEST_F(DesktopAppearanceTest, TheDesktopsDarkPreferenceIsTheApplicationsPalette) {
  portal.scheme = 1;
  DesktopAppearance appearance;
  ASSERT_TRUE(runUntil([&] { return appearance.isSettled(); }));
  EXPECT_EQ(appearance.colorScheme(), ColorScheme::dark);
  EXPECT_TRUE(isDark(QApplication::palette()));
}

TEST_F(DesktopAppearanceTest, PalettesSwitchWhenThePortalSettingChanges) {
  portal.scheme = 2;
  DesktopAppearance appearance;
  ASSERT_TRUE(runUntil([&] { return appearance.isSettled(); }));
  EXPECT_FALSE(isDark(QApplication::palette()));

  portal.change("color-scheme", 1u);
  ASSERT_TRUE(runUntil([&] { return isDark(QApplication::palette()); }));
  portal.change("color-scheme", 0u);
  ASSERT_TRUE(runUntil([&] { return !isDark(QApplication::palette()); }));
}

TEST_F(DesktopAppearanceTest, TheDesktopsAccentIsTheHighlight) {
  portal.accent = accentColor(0.8, 0.2, 0.4);
  DesktopAppearance appearance;
  ASSERT_TRUE(runUntil([&] { return appearance.isSettled(); }));
  EXPECT_EQ(QApplication::palette().color(QPalette::Highlight), QColor::fromRgbF(0.8f, 0.2f, 0.4f));

  // Out of range: the desktop has no accent any more, and the palette's own returns.
  portal.change("accent-color", accentColor(-1, -1, -1));
  ASSERT_TRUE(runUntil([&] { return !appearance.accent(); }));
  EXPECT_EQ(QApplication::palette().color(QPalette::Highlight), lightPalette().color(QPalette::Highlight));
}

TEST(DesktopAppearanceWithoutPortal, StaysLight) {
  test::styleTestApplication();
  DesktopAppearance appearance;
  ASSERT_TRUE(runUntil([&] { return appearance.isSettled(); }));
  EXPECT_EQ(appearance.colorScheme(), ColorScheme::noPreference);
  EXPECT_FALSE(isDark(QApplication::palette()));
}

TEST(Palettes, TextOnTheAccentStaysReadable) {
  EXPECT_EQ(lightPalette(QColor(Qt::yellow)).color(QPalette::HighlightedText).lightness() < 128, true);
  EXPECT_EQ(darkPalette(QColor(0x1a, 0x3f, 0x8f)).color(QPalette::HighlightedText), QColor(Qt::white));
}

}  // namespace
}  // namespace quillo::ui

#include "desktop_appearance_tests.moc"
