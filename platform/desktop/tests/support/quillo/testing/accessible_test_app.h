#pragma once

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <chrono>
#include <string>

#include "quillo/platform/accessibility.h"

namespace quillo::testing {

// Sets the session's accessibility switch the way a desktop's settings do.
inline void switchAccessibility(bool on) {
  QDBusMessage message = QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus",
                                                        "org.freedesktop.DBus.Properties", "Set");
  message.setArguments({QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"),
                        QVariant::fromValue(QDBusVariant(on))});
  ASSERT_EQ(QDBusConnection::sessionBus().call(message).type(), QDBusMessage::ReplyMessage);
}

// A test application publishing its tree on the accessibility bus (by default the Qt one with the
// menu bar), running until the test ends.
class AccessibleTestApp {
 public:
  explicit AccessibleTestApp(const QString& program = QUILLO_TEST_MENU_APP, const QStringList& arguments = {},
                             const QProcessEnvironment& extra = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    environment.insert(extra);
    process_.setProcessEnvironment(environment);
    process_.start(program, arguments);
    EXPECT_TRUE(process_.waitForStarted(5000));
    EXPECT_EQ(nextLine(), "ready");
  }
  ~AccessibleTestApp() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  AccessibleTestApp(const AccessibleTestApp&) = delete;
  AccessibleTestApp& operator=(const AccessibleTestApp&) = delete;

  platform::ProcessID pid() const { return static_cast<platform::ProcessID>(process_.processId()); }

  void write(const std::string& line) {
    process_.write((line + "\n").c_str());
    process_.waitForBytesWritten(1000);
  }

  // The next line the application prints; empty when none comes within a few seconds.
  std::string nextLine() {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!process_.canReadLine() && std::chrono::steady_clock::now() < deadline)
      process_.waitForReadyRead(100);
    if (!process_.canReadLine()) return {};
    return process_.readLine().trimmed().toStdString();
  }

  // Ends the application at once, as a crash does.
  void kill() {
    process_.kill();
    process_.waitForFinished(5000);
  }

 private:
  QProcess process_;
};

}  // namespace quillo::testing
