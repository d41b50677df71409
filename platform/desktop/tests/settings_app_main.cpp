// A small Qt Widgets settings window that the accessibility tests read from outside: a sidebar of
// sections beside a pane of rows taller than the window, so that a row lies out of view until
// scrolled to. "--splitter" divides sidebar and pane with a splitter; without it they sit side by
// side with a line between, as in the desktop's own settings programs. "--name NAME" sets the
// application's name. Prints "ready" once its window is shown.
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

int main(int argc, char** argv) {
  // The name is published when the application starts.
  for (int index = 1; index + 1 < argc; ++index) {
    if (QString(argv[index]) == "--name") QApplication::setApplicationName(argv[index + 1]);
  }
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();

  auto* sidebar = new QListWidget;
  sidebar->addItems({"Network", "Displays", "Sound", "Power"});
  sidebar->setCurrentRow(1);
  sidebar->setMaximumWidth(160);

  auto* rows = new QWidget;
  auto* column = new QVBoxLayout(rows);
  column->addWidget(new QLabel("Brightness"));
  for (int index = 1; index <= 30; ++index)
    column->addWidget(new QLabel(QString("Option %1").arg(index)));
  column->addWidget(new QCheckBox("Night Light"));
  auto* pane = new QScrollArea;
  pane->setWidget(rows);

  QWidget window;
  window.setWindowTitle("Displays");
  auto* layout = new QHBoxLayout(&window);
  if (arguments.contains("--splitter")) {
    auto* splitter = new QSplitter;
    splitter->addWidget(sidebar);
    splitter->addWidget(pane);
    layout->addWidget(splitter);
  } else {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::VLine);
    layout->addWidget(sidebar);
    layout->addWidget(line);
    layout->addWidget(pane);
  }
  window.resize(560, 360);
  window.show();
  QTimer::singleShot(0, [] {
    std::printf("ready\n");
    std::fflush(stdout);
  });
  return application.exec();
}
