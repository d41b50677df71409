// Reading the menus of another application over the accessibility bus: a Qt and a GTK 3 program
// with about 500 menu items each, the first read on a fresh connection and a read repeated on the
// same one. Run on a test desktop: scripts/with-test-desktop build/release/bench/quillo-bench-menus
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "quillo/core/system/menu_reader.h"
#include "quillo/platform/desktop/atspi_accessibility.h"

using quillo::core::MenuReader;
using quillo::platform::desktop::AtspiAccessibility;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRounds = 15;

double milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

struct Result {
  std::size_t commands = 0;
  std::vector<double> first, cached;
};

bool readMenus(const char* toolkit, const char* program, Result& result) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
  process.setProcessEnvironment(environment);
  process.start(program, {"--many", "500"});
  if (!process.waitForStarted(5000) || !process.waitForReadyRead(10000)) {
    std::fprintf(stderr, "%s: the program did not start\n", toolkit);
    return false;
  }
  const auto pid = static_cast<int>(process.processId());
  {
    // The program registers on the bus a moment after it shows its window.
    AtspiAccessibility accessibility;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!accessibility.applicationElement(pid) && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (int round = 0; round < kRounds; ++round) {
    AtspiAccessibility accessibility;
    const MenuReader reader(accessibility);
    auto start = Clock::now();
    const auto commands = reader.commands(pid, "dev.example.bench");
    result.first.push_back(milliseconds(Clock::now() - start));
    result.commands = commands.size();
    start = Clock::now();
    const auto again = reader.commands(pid, "dev.example.bench");
    result.cached.push_back(milliseconds(Clock::now() - start));
    if (again.size() != commands.size()) {
      std::fprintf(stderr, "%s: the repeated read found %zu commands, the first %zu\n", toolkit, again.size(),
                   commands.size());
      return false;
    }
  }
  process.kill();
  process.waitForFinished(5000);
  return true;
}

void report(const char* toolkit, Result& result) {
  for (auto* times : {&result.first, &result.cached})
    std::sort(times->begin(), times->end());
  std::printf(
      "%-5s %4zu commands: first read median %7.1f ms (min %7.1f, max %7.1f); "
      "repeated read median %7.2f ms (min %7.2f, max %7.2f)\n",
      toolkit, result.commands, result.first[kRounds / 2], result.first.front(), result.first.back(),
      result.cached[kRounds / 2], result.cached.front(), result.cached.back());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QDBusMessage enable = QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus",
                                                       "org.freedesktop.DBus.Properties", "Set");
  enable.setArguments({QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"),
                       QVariant::fromValue(QDBusVariant(true))});
  QDBusConnection::sessionBus().call(enable);

  Result qt, gtk;
  if (!readMenus("Qt", QUILLO_QT_MENU_APP, qt) || !readMenus("GTK 3", QUILLO_GTK_MENU_APP, gtk)) return 1;
  report("Qt", qt);
  report("GTK 3", gtk);
  return 0;
}
