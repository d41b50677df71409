// A program with Quillo's status item and nothing else, for the tests that play the desktop's
// tray: it installs the status menu, writes each action performed to standard output, and takes
// each line of standard input as the launcher shortcut's new label (with updates not checkable).
#include <QApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <cstdio>
#include <iostream>
#include <string>

#include "quillo/app/shell/status_menu.h"
#include "quillo/ui/tray/status_item.h"

namespace {

const char* actionName(quillo::app::StatusMenuItem::Action action) {
  using Action = quillo::app::StatusMenuItem::Action;
  switch (action) {
    case Action::none:
      return "none";
    case Action::showQuillo:
      return "showQuillo";
    case Action::openSettings:
      return "openSettings";
    case Action::checkForUpdates:
      return "checkForUpdates";
    case Action::quit:
      return "quit";
  }
  return "unknown";
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  quillo::ui::StatusItem item([](quillo::app::StatusMenuItem::Action action) {
    std::printf("%s\n", actionName(action));
    std::fflush(stdout);
  });
  item.install(quillo::app::statusMenu("Super+Space", "Check for Updates…", true, "1.4.0"));
  QSocketNotifier input(0, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    // Lines the stream already buffered raise no further notice: take them all now.
    std::string label;
    do {
      if (!std::getline(std::cin, label)) {
        input.setEnabled(false);
        return;
      }
      item.update(quillo::app::statusMenu(label, "Check for Updates…", false, "1.4.0"));
    } while (std::cin.rdbuf()->in_avail() > 0);
  });
  return application.exec();
}
