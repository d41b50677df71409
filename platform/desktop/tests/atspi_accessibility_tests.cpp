#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "quillo/core/system/menu_reader.h"
#include "quillo/platform/desktop/atspi_accessibility.h"

namespace quillo::platform::desktop {
namespace {

using namespace std::chrono_literals;

// Sets the session's accessibility switch the way a desktop's settings do.
void switchAccessibility(bool on) {
  QDBusMessage message = QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus",
                                                        "org.freedesktop.DBus.Properties", "Set");
  message.setArguments({QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"),
                        QVariant::fromValue(QDBusVariant(on))});
  ASSERT_EQ(QDBusConnection::sessionBus().call(message).type(), QDBusMessage::ReplyMessage);
}

// The Qt test application with its menu bar, publishing its tree on the accessibility bus.
class MenuApp {
 public:
  MenuApp() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    process_.setProcessEnvironment(environment);
    process_.start(QUILLO_TEST_MENU_APP, {});
    EXPECT_TRUE(process_.waitForStarted(5000));
    EXPECT_EQ(nextLine(), "ready");
  }
  ~MenuApp() {
    process_.kill();
    process_.waitForFinished(5000);
  }

  ProcessID pid() const { return static_cast<ProcessID>(process_.processId()); }

  // The next line the application prints; empty when none comes within a few seconds.
  std::string nextLine() {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!process_.canReadLine() && std::chrono::steady_clock::now() < deadline)
      process_.waitForReadyRead(100);
    if (!process_.canReadLine()) return {};
    return process_.readLine().trimmed().toStdString();
  }

 private:
  QProcess process_;
};

class AtspiAccessibilityTest : public ::testing::Test {
 protected:
  // The application element, once the application has registered on the bus.
  std::optional<AXElement> applicationOf(ProcessID pid) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (auto element = accessibility.applicationElement(pid)) return element;
      std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
  }

  std::vector<core::Command> menuCommands(ProcessID pid) {
    // The application registers a moment after it shows its window.
    EXPECT_TRUE(applicationOf(pid));
    return core::MenuReader(accessibility).commands(pid, "dev.example.menus");
  }

  int argc = 1;
  char name[16] = "atspi-tests";
  char* argv[1] = {name};
  QCoreApplication application{argc, argv};
  AtspiAccessibility accessibility;
};

TEST_F(AtspiAccessibilityTest, AskingTurnsTheAccessibilityBusOnAndOnlyThen) {
  switchAccessibility(false);
  EXPECT_FALSE(accessibility.isTrusted(Accessibility::TrustCheck::silent));
  EXPECT_TRUE(accessibility.isTrusted(Accessibility::TrustCheck::prompt));
  EXPECT_TRUE(accessibility.isTrusted(Accessibility::TrustCheck::silent));
}

TEST_F(AtspiAccessibilityTest, NoApplicationForAProcessThatPublishesNothing) {
  EXPECT_FALSE(accessibility.applicationElement(static_cast<ProcessID>(QCoreApplication::applicationPid())));
}

struct Shown {
  std::string detail;
  std::string title;
  std::string shortcut;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& shown, std::ostream* out) {
  *out << shown.detail << " | " << shown.title << " | " << shown.shortcut;
}

TEST_F(AtspiAccessibilityTest, MenuBarReadsIntoTheCommandsItShows) {
  switchAccessibility(true);
  MenuApp app;
  std::vector<Shown> shown;
  for (const core::Command& command : menuCommands(app.pid()))
    shown.push_back({command.detail, command.title, command.shortcut});
  const std::vector<Shown> expected{
      {"File", "New Window", "\u2318N"},
      {"File", "Open\u2026", "\u2318O"},
      {"File \u203A Open Recent", "report.txt", ""},
      {"File \u203A Open Recent", "notes.md", ""},
      {"File", "Quit", "\u2318Q"},
      {"Edit", "Undo", "\u2318Z"},
      {"Edit", "Select All", "\u2325\u2318A"},
      {"Edit \u203A Find", "Find\u2026", "\u2318F"},
      {"View", "Word Wrap", ""},
      {"View", "Small", ""},
      {"View", "Large", ""},
      {"View", "Reload", "F5"},
  };
  EXPECT_EQ(shown, expected);
}

TEST_F(AtspiAccessibilityTest, PressingAMenuCommandRunsItInTheApplication) {
  switchAccessibility(true);
  MenuApp app;
  const std::vector<core::Command> commands = menuCommands(app.pid());
  const auto undo = std::ranges::find(commands, std::string("Undo"), &core::Command::title);
  ASSERT_NE(undo, commands.end());
  EXPECT_TRUE(std::get<core::target::MenuItem>(undo->target).item.press(accessibility));
  EXPECT_EQ(app.nextLine(), "pressed Undo");
}

TEST_F(AtspiAccessibilityTest, ElementsAreEqualWhenTheyAreTheSameObject) {
  switchAccessibility(true);
  MenuApp app;
  const auto first = applicationOf(app.pid());
  const auto second = accessibility.applicationElement(app.pid());
  ASSERT_TRUE(first && second);
  EXPECT_EQ(*first, *second);
  EXPECT_EQ(first->hash(), second->hash());
  const auto bar = accessibility.attribute(*first, "AXMenuBar");
  ASSERT_TRUE(bar);
  EXPECT_FALSE(std::get<AXElement>(*bar) == *first);
}

TEST_F(AtspiAccessibilityTest, AnApplicationThatQuitReadsAsAbsent) {
  switchAccessibility(true);
  std::optional<AXElement> element;
  {
    MenuApp app;
    element = applicationOf(app.pid());
    ASSERT_TRUE(element);
  }
  EXPECT_FALSE(accessibility.attribute(*element, "AXTitle"));
  EXPECT_FALSE(accessibility.attribute(*element, "AXChildren"));
  EXPECT_FALSE(accessibility.attribute(*element, "AXMenuBar"));
}

}  // namespace
}  // namespace quillo::platform::desktop
