#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <vector>

#include "quillo/platform/desktop/kwin_front_application.h"
#include "quillo/testing/accessible_test_app.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/qt_test_loop.h"

namespace quillo::platform::desktop {
namespace {

// KDE's compositor on its virtual back end, on this test's own session bus, with a Wayland socket
// of its own.
class TestKWin {
 public:
  TestKWin() {
    const QString installed = QStandardPaths::findExecutable("kwin_wayland");
    EXPECT_FALSE(installed.isEmpty()) << "kwin_wayland is missing; scripts/install-deps installs it";
    // A copy runs without the installed program's file capability, which containers refuse to grant.
    const QString program = folder_.filePath("kwin_wayland");
    EXPECT_TRUE(QFile::copy(installed, program));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(folder_.filePath("kwin.log"));
    process_.start(program, {"--virtual", "--no-lockscreen", "--no-global-shortcuts", "--socket", socket(),
                             "--width", "800", "--height", "600"});
    EXPECT_TRUE(process_.waitForStarted(5000));
    // KWin takes its name on the bus before it offers scripting there.
    EXPECT_TRUE(testing::runQtUntil([] { return isScriptLoaded().type() == QDBusMessage::ReplyMessage; }))
        << log().toStdString();
  }
  ~TestKWin() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
  }

  QString socket() const { return QStringLiteral("quillo-kwin-%1").arg(getpid()); }

  // A program's window on this compositor.
  QProcessEnvironment clientEnvironment() const {
    QProcessEnvironment environment;
    environment.insert("WAYLAND_DISPLAY", socket());
    environment.insert("QT_QPA_PLATFORM", "wayland");
    environment.insert("GDK_BACKEND", "wayland");
    return environment;
  }

  QString log() const {
    QFile file(folder_.filePath("kwin.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  static bool scriptLoaded() {
    const QDBusMessage reply = isScriptLoaded();
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
  }

 private:
  static QDBusMessage isScriptLoaded() {
    QDBusMessage call = QDBusMessage::createMethodCall("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting",
                                                       "isScriptLoaded");
    call.setArguments({QString(KWinFrontApplication::kScriptName)});
    return QDBusConnection::sessionBus().call(call);
  }

  QTemporaryDir folder_;
  QProcess process_;
};

struct KWinFrontApplicationTest : ::testing::Test {
  std::unique_ptr<KWinFrontApplication> follow() {
    return std::make_unique<KWinFrontApplication>(
        main,
        [](const KWinFrontApplication::Window& window) -> std::optional<FrontEntry> {
          if (window.resourceClass == "quillo-test-menu-app")
            return FrontEntry{"dev.example.QtMenus", "Qt Menus"};
          return std::nullopt;
        },
        [this](const FrontApplication& front) { activations.push_back(front); });
  }

  bool lastActivationIs(ProcessID pid) {
    return testing::runQtUntil([&] {
      main.drain();
      return !activations.empty() && activations.back().pid == pid;
    });
  }

  testing::TestCoreApplication application;
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  std::vector<FrontApplication> activations;
};

TEST_F(KWinFrontApplicationTest, TheCompositorsScriptReportsEachActivatedWindowsProcessAndEntry) {
  TestKWin kwin;
  const auto source = follow();
  testing::AccessibleTestApp qt(QUILLO_TEST_MENU_APP, {}, kwin.clientEnvironment());
  ASSERT_TRUE(lastActivationIs(qt.pid()));
  EXPECT_EQ(activations.back(),
            (FrontApplication{qt.pid(), "dev.example.QtMenus", "Qt Menus", "quillo-test-menu-app"}));
  {
    testing::AccessibleTestApp gtk(QUILLO_TEST_GTK_MENU_APP, {}, kwin.clientEnvironment());
    ASSERT_TRUE(lastActivationIs(gtk.pid()));
    EXPECT_EQ(activations.back().id, "");
    EXPECT_EQ(source->front()->pid, gtk.pid());
  }
  // The window that closed hands the activation back.
  EXPECT_TRUE(lastActivationIs(qt.pid()));
}

TEST_F(KWinFrontApplicationTest, TheScriptIsUnloadedWhenTheProgramStopsFollowing) {
  TestKWin kwin;
  {
    const auto source = follow();
    EXPECT_TRUE(TestKWin::scriptLoaded());
  }
  EXPECT_FALSE(TestKWin::scriptLoaded());
}

TEST_F(KWinFrontApplicationTest, WithoutTheCompositorThereIsNoFrontApplicationFromIt) {
  EXPECT_THROW(follow(), FrontApplicationUnavailable);
}

}  // namespace
}  // namespace quillo::platform::desktop
