// A small Qt Widgets application that the accessibility tests read from outside: a menu bar with
// nested menus, disabled and checkable items, shortcuts, a "Services" submenu and items that name
// files. A line "add TITLE" on standard input adds a command to the View menu, as programs change
// their menus while they run. "--many N" adds menus holding N more items in all. It prints "ready" once its
// window is shown and "pressed <title>" for every menu command that runs, one line each, so that a test can
// tell a press arrived.
#include <unistd.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

namespace {

QAction* command(QMenu* menu, const QString& title, const QKeySequence& keys = {}) {
  QAction* action = menu->addAction(title);
  action->setShortcut(keys);
  QObject::connect(action, &QAction::triggered, [title] {
    std::printf("pressed %s\n", title.toUtf8().constData());
    std::fflush(stdout);
  });
  return action;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Menu Test");
  QMenuBar* bar = window.menuBar();

  QMenu* file = bar->addMenu("File");
  command(file, "New Window", QKeySequence("Ctrl+N"));
  command(file, "Open…", QKeySequence("Ctrl+O"));
  QMenu* recent = file->addMenu("Open Recent");
  command(recent, "report.txt");
  command(recent, "notes.md");
  file->addSeparator();
  command(file, "Print…", QKeySequence("Ctrl+Shift+P"))->setEnabled(false);
  command(file, "Quit", QKeySequence("Ctrl+Q"));

  QMenu* edit = bar->addMenu("Edit");
  command(edit, "Undo", QKeySequence("Ctrl+Z"));
  command(edit, "Select All", QKeySequence("Ctrl+Alt+A"));
  QMenu* find = edit->addMenu("Find");
  command(find, "Find…", QKeySequence("Ctrl+F"));
  QMenu* deeper = find->addMenu("More");
  QMenu* deepest = deeper->addMenu("Even More");
  command(deepest, "Too Deep");
  QMenu* services = edit->addMenu("Services");
  command(services, "Make Sticky");

  QMenu* view = bar->addMenu("View");
  QAction* wrap = command(view, "Word Wrap");
  wrap->setCheckable(true);
  auto* sizes = new QActionGroup(view);
  for (const char* size : {"Small", "Large"}) {
    QAction* choice = command(view, size);
    choice->setCheckable(true);
    sizes->addAction(choice);
  }
  command(view, "Reload", QKeySequence(Qt::Key_F5));

  // Ten more menus, each with a submenu, sharing `many` items between them.
  const QStringList arguments = QApplication::arguments();
  const qsizetype at = arguments.indexOf("--many");
  const int many = at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : 0;
  for (int index = 0; index < 10 && many > 0; ++index) {
    QMenu* menu = bar->addMenu(QString("Menu %1").arg(index + 1));
    QMenu* nested = menu->addMenu("More");
    for (int item = 0; item < many / 10; ++item)
      command(item % 2 == 0 ? menu : nested, QString("Item %1").arg(index * 1000 + item));
  }

  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char line[256];
    const ssize_t size = read(STDIN_FILENO, line, sizeof line - 1);
    if (size <= 0) {
      input.setEnabled(false);
      return;
    }
    const QString text = QString::fromUtf8(line, size).trimmed();
    if (!text.startsWith("add ")) return;
    command(view, text.mid(4));
    std::printf("added %s\n", text.mid(4).toUtf8().constData());
    std::fflush(stdout);
  });

  window.resize(400, 200);
  window.show();
  QTimer::singleShot(0, [] {
    std::printf("ready\n");
    std::fflush(stdout);
  });
  return application.exec();
}
