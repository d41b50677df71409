#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "quillo/app/clipboard/clipboard_model.h"
#include "quillo/app/clipboard/clipboard_settings.h"
#include "quillo/base/worker_pool.h"
#include "quillo/clipboard/clipboard_tagger.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/desktop/qt_main_queue.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_apple_events.h"
#include "quillo/testing/fake_key_events.h"
#include "quillo/testing/fake_pasteboard.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/qt_test_loop.h"
#include "quillo/testing/temporary_folder.h"
#include "quillo/ui/clipboard/clipboard_view.h"

namespace quillo::ui {
namespace {

using app::ClipboardModel;

testing::FakeSystem linuxSystem() {
  testing::FakeSystem linux;
  linux.macOS = false;
  linux.home = "/home/tester";
  return linux;
}

// The history view over the real model: a real history file in a temporary folder, the pasteboard
// and the rest of the system faked at the seam, Qt's own event loop as the main queue.
struct ClipboardViewTest : ::testing::Test {
  int argc = 1;
  char name[8] = "tests";
  char* argv[2] = {name, nullptr};
  QApplication application{argc, argv};
  testing::TemporaryFolder folder;
  platform::SystemClock clock;
  platform::desktop::QtMainQueue main;
  base::WorkerPool pool{2};
  core::MemoryDefaultsStore defaults{{{"clipboard.enabled", true}}};
  app::ClipboardSettings settings{defaults};
  testing::FakePasteboard board;
  testing::FakeWorkspace workspace;
  testing::FakeKeyEvents keys;
  testing::FakeSystem system = linuxSystem();
  platform::posix::PosixFileSystem files;
  platform::FrontApplication editor{.pid = 10, .id = "org.gnome.TextEditor", .name = "Text Editor"};
  ClipboardModel model{
      {board, keys, workspace, system, main, clock, pool, files},
      settings,
      std::make_shared<clipboard::ClipboardTagger>(),
      {.monitor = {.pollInterval = std::chrono::milliseconds(10)}, .recognisesImageText = false}};
  app::LauncherPanelCallbacks panelKeys{};
  std::unique_ptr<ClipboardView> view;

  void SetUp() override {
    workspace.running = {{.pid = editor.pid, .bundleID = {}, .bundlePath = {}}};
    workspace.front = editor;
    model.start(folder / "history.sqlite", true);
    ASSERT_TRUE(testing::runQtUntil([&] { return model.state().isReady; }));
  }

  // Shows the view as the panel does, keys routed by the panel's own routing.
  void show(ClipboardModel::Mode mode = ClipboardModel::Mode::browse, ClipboardView::Hooks hooks = {}) {
    if (!hooks.routeKey)
      hooks.routeKey = [this](const app::KeyEvent& key, const app::SearchFieldState& field) {
        return app::routeLauncherKey(key, field, {.commandIsControl = true}, panelKeys);
      };
    view = std::make_unique<ClipboardView>(model, std::move(hooks));
    view->resize(720, 480);
    model.open(mode, editor);
    view->show();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    view->focusSearchField();
    settle();
  }

  void settle() {
    ASSERT_TRUE(testing::runQtUntil([&] { return !model.state().isSearching && !model.state().isBusy; }));
    QCoreApplication::processEvents();
  }

  // Another application copies text; waits until the history lists it.
  void copyText(std::string_view text) {
    const auto before = model.state().totalCount;
    board.copyText(text);
    ASSERT_TRUE(
        testing::runQtUntil([&] { return model.state().totalCount > before && !model.state().isSearching; }));
  }

  template <typename W>
  W& part(const char* name) {
    auto* found = view->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
  }
  QListView& list() { return part<QListView>("list"); }
  QLineEdit& searchField() { return part<QLineEdit>("search"); }

  // The rows as a screen reader reads them.
  QStringList spokenRows() {
    QStringList rows;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&list());
    for (int at = 0; table && at < table->childCount(); ++at)
      rows << table->child(at)->text(QAccessible::Name);
    return rows;
  }
  QStringList spokenTitles() {
    QStringList titles;
    for (const QString& row : spokenRows())
      titles << row.section(QStringLiteral(", "), 0, 0);
    return titles;
  }

  // Every text the view puts on screen now.
  QStringList visibleTexts() {
    QStringList texts = spokenRows();
    for (auto* label : view->findChildren<QLabel*>())
      if (label->isVisible()) texts << label->text() << label->accessibleName();
    for (auto* edit : view->findChildren<QPlainTextEdit*>())
      if (edit->isVisible()) texts << edit->toPlainText();
    for (auto* edit : view->findChildren<QLineEdit*>())
      if (edit->isVisible()) texts << edit->text();
    for (auto* button : view->findChildren<QAbstractButton*>())
      if (button->isVisible()) texts << button->text();
    return texts;
  }

  QRect rowRect(int row) { return list().visualRect(list().model()->index(row, 0)); }
  void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(list().viewport(), Qt::LeftButton, modifiers, rowRect(row).center());
    settle();
  }
  // Right-clicks a row and answers the menu that opens.
  QMenu* openContextMenu(int row) {
    const QPoint at = rowRect(row).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list().viewport()->mapToGlobal(at));
    QApplication::sendEvent(list().viewport(), &event);
    testing::runQtUntil([] { return QApplication::activePopupWidget() != nullptr; });
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
  }
  static QStringList titlesIn(const QMenu& menu) {
    QStringList titles;
    for (const QAction* action : menu.actions())
      if (!action->isSeparator()) titles << action->text();
    return titles;
  }
};

TEST_F(ClipboardViewTest, EntriesAreListedNewestFirst) {
  copyText("first");
  copyText("second");
  copyText("third");
  show();
  EXPECT_EQ(spokenTitles(), (QStringList{"third", "second", "first"}));
  EXPECT_TRUE(spokenRows().front().contains("Text Editor")) << spokenRows().front().toStdString();
}

TEST_F(ClipboardViewTest, TypingInTheFieldFiltersTheList) {
  copyText("apples and pears");
  copyText("plums");
  show();
  QTest::keyClicks(&searchField(), "pears");
  ASSERT_TRUE(
      testing::runQtUntil([&] { return model.state().query == "pears" && !model.state().isSearching; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(spokenTitles(), QStringList{"apples and pears"});
}

TEST_F(ClipboardViewTest, KeysTheRoutingTakesNeverReachTheField) {
  copyText("one");
  show();
  panelKeys.onClipboardKey = [](const app::KeyEvent& key) { return key.keyCode == app::KeyCode::downArrow; };
  QTest::keyClick(&searchField(), Qt::Key_Down);
  QTest::keyClicks(&searchField(), "on");
  EXPECT_EQ(searchField().text(), "on");
  EXPECT_EQ(searchField().cursorPosition(), 2);
}

TEST_F(ClipboardViewTest, TabMovesToTheNextFilter) {
  copyText("words");
  show();
  QTest::keyClick(&searchField(), Qt::Key_Tab);
  settle();
  EXPECT_EQ(model.state().filter, clipboard::ClipboardFilter::text);
  EXPECT_TRUE(searchField().hasFocus());
  QStringList checkedFilters;
  for (auto* button : view->findChildren<QAbstractButton*>())
    if (button->isChecked()) checkedFilters << button->text();
  EXPECT_EQ(checkedFilters, QStringList{"Text"});
}

TEST_F(ClipboardViewTest, CtrlClickSelectsSeveralNumberedInClickOrder) {
  copyText("alpha");
  copyText("beta");
  copyText("gamma");
  show();
  clickRow(2, Qt::ControlModifier);
  clickRow(0, Qt::ControlModifier);
  clickRow(1, Qt::ControlModifier);
  const QStringList rows = spokenRows();
  ASSERT_EQ(rows.size(), 3);
  EXPECT_TRUE(rows[0].contains("selected 2")) << rows[0].toStdString();
  EXPECT_TRUE(rows[1].contains("selected 3")) << rows[1].toStdString();
  EXPECT_TRUE(rows[2].contains("selected 1")) << rows[2].toStdString();
  EXPECT_EQ(part<QLabel>("status").text(), "3 items, in the order of their numbers");
}

// The keyboard stays in the search field; assistive technology finds the focused row as the
// list's current item.
TEST_F(ClipboardViewTest, TheFocusedRowIsTheListsCurrentItem) {
  copyText("alpha");
  copyText("beta");
  show();
  model.focus(model.state().entries.at(1).id);
  EXPECT_EQ(list().currentIndex().row(), 1);
  EXPECT_TRUE(list().currentIndex().data(Qt::AccessibleTextRole).toString().startsWith("alpha, Text"));
}

TEST_F(ClipboardViewTest, APlainClickFocusesWithoutSelecting) {
  copyText("alpha");
  copyText("beta");
  show();
  clickRow(1);
  EXPECT_EQ(model.state().focusedID, model.state().entries.at(1).id);
  EXPECT_TRUE(model.state().selection.empty());
}

TEST_F(ClipboardViewTest, ASecretNeverAppearsOnScreenEvenInItsPreview) {
  const std::string secret = "ghp_abcdefghijklmnopqrstuvwx";
  copyText(secret);
  show();
  model.perform(app::ClipboardAction::preview);
  settle();
  ASSERT_TRUE(part<QWidget>("preview").isVisible());
  for (const QString& text : visibleTexts())
    EXPECT_FALSE(text.contains(QString::fromStdString(secret))) << text.toStdString();
  EXPECT_TRUE(visibleTexts().join('\n').contains("not shown"));
}

TEST_F(ClipboardViewTest, ThePreviewShowsTheFocusedText) {
  copyText("read me in full");
  show();
  model.perform(app::ClipboardAction::preview);
  settle();
  const auto edits = view->findChildren<QPlainTextEdit*>();
  ASSERT_EQ(edits.size(), 1);
  EXPECT_EQ(edits.front()->toPlainText(), "read me in full");
}

TEST_F(ClipboardViewTest, TheContextMenuListsTheActionTitlesForTheSelection) {
  copyText("alpha");
  copyText("beta");
  copyText("gamma");
  show(ClipboardModel::Mode::paste);
  for (int row : {0, 1, 2})
    clickRow(row, Qt::ControlModifier);
  QMenu* menu = openContextMenu(1);
  ASSERT_NE(menu, nullptr);
  const QStringList titles = titlesIn(*menu);
  menu->close();
  EXPECT_EQ(titles,
            (QStringList{"Paste 3 Items\tEnter", "Paste as Plain Text\tCtrl+Shift+V", "Copy 3 Items\tCtrl+C",
                         "Preview\tCtrl+Y", "Pin\tCtrl+P", "Rename\tF2", "Clean Text\tCtrl+T",
                         "Save Images…\tCtrl+S", "Select All Results\tCtrl+Shift+A",
                         "Delete 3 Items from History\tCtrl+Backspace"}));
}

TEST_F(ClipboardViewTest, RenamingInPlaceCommitsTheNewTitle) {
  copyText("a long original text");
  show();
  QMenu* menu = openContextMenu(0);
  ASSERT_NE(menu, nullptr);
  QAction* rename = nullptr;
  for (QAction* action : menu->actions())
    if (action->text().startsWith("Rename")) rename = action;
  ASSERT_NE(rename, nullptr);
  rename->trigger();
  menu->close();
  settle();
  auto& editor = part<QLineEdit>("rename");
  ASSERT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.text(), "a long original text");
  QTest::keyClicks(&editor, "Short");
  QTest::keyClick(&editor, Qt::Key_Return);
  ASSERT_TRUE(testing::runQtUntil([&] { return spokenTitles() == QStringList{"Short"}; }))
      << spokenTitles().join('|').toStdString();
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(searchField().hasFocus());
}

TEST_F(ClipboardViewTest, EscapeLeavesTheTitleAsItWas) {
  copyText("keep this title");
  show();
  model.perform(app::ClipboardAction::rename);
  settle();
  auto& editor = part<QLineEdit>("rename");
  QTest::keyClicks(&editor, "Other");
  QTest::keyClick(&editor, Qt::Key_Escape);
  settle();
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(spokenTitles(), QStringList{"keep this title"});
}

TEST_F(ClipboardViewTest, DoubleClickPerformsThePrimaryAction) {
  copyText("older");
  copyText("newer");
  show();
  QTest::mouseDClick(list().viewport(), Qt::LeftButton, Qt::NoModifier, rowRect(1).center());
  settle();
  ASSERT_FALSE(board.items.empty());
  const auto& data = board.items.front().representations.front().data;
  EXPECT_EQ(std::string(data.begin(), data.end()), "older");
}

TEST_F(ClipboardViewTest, AnImagePreviewShowsThePicture) {
  std::ifstream file(std::string(QUILLO_CLIPBOARD_TEST_DATA) + "/known-text.png", std::ios::binary);
  board.copy({platform::PasteboardItem{
      {testing::representation("public.png", std::string(std::istreambuf_iterator<char>(file), {}))}}});
  ASSERT_TRUE(
      testing::runQtUntil([&] { return model.state().totalCount == 1 && !model.state().isSearching; }));
  show();
  model.perform(app::ClipboardAction::preview);
  settle();
  EXPECT_TRUE(visibleTexts().contains("Image, 392 × 105")) << visibleTexts().join('|').toStdString();
}

TEST_F(ClipboardViewTest, PinnedRowsCarryTheirMark) {
  copyText("keep forever");
  show();
  EXPECT_FALSE(spokenRows().front().contains("pinned"));
  model.perform(app::ClipboardAction::pin);
  settle();
  EXPECT_TRUE(spokenRows().front().contains("pinned")) << spokenRows().front().toStdString();
}

TEST_F(ClipboardViewTest, TheCleanTextPreviewShowsTheCleanedSelection) {
  copyText("# Title\n\n**bold** words");
  show();
  model.perform(app::ClipboardAction::cleanText);
  ASSERT_TRUE(testing::runQtUntil([&] { return model.state().cleanPreview.has_value(); }));
  QCoreApplication::processEvents();
  const auto edits = view->findChildren<QPlainTextEdit*>();
  ASSERT_EQ(edits.size(), 1);
  EXPECT_EQ(edits.front()->toPlainText(), "Title\n\nbold words");
  EXPECT_TRUE(visibleTexts().contains("The original stays in history."));
}

TEST_F(ClipboardViewTest, AFilePreviewListsItsPath) {
  const auto file = folder / "report.txt";
  testing::writeFile(file, "numbers");
  board.copy({platform::PasteboardItem{
      {testing::representation("public.file-url", base::Url::file(file.string()).text)}}});
  ASSERT_TRUE(
      testing::runQtUntil([&] { return model.state().totalCount == 1 && !model.state().isSearching; }));
  show();
  model.perform(app::ClipboardAction::preview);
  settle();
  const auto edits = view->findChildren<QPlainTextEdit*>();
  ASSERT_EQ(edits.size(), 1);
  EXPECT_EQ(edits.front()->toPlainText().toStdString(), file.string());
}

TEST_F(ClipboardViewTest, SavingAsksForAFolderAndWritesIntoIt) {
  copyText("keep these words");
  show();
  model.perform(app::ClipboardAction::saveImage);
  ASSERT_TRUE(testing::runQtUntil([&] { return view->findChild<QFileDialog*>() != nullptr; }));
  auto* dialog = view->findChild<QFileDialog*>();
  const auto target = folder / "saved";
  std::filesystem::create_directory(target);
  dialog->setDirectory(QString::fromStdString(folder.path().string()));
  dialog->selectFile(QString::fromStdString(target.string()));
  QAbstractButton* saveHere = nullptr;
  for (auto* button : dialog->findChildren<QAbstractButton*>())
    if (button->text() == "Save Images Here") saveHere = button;
  ASSERT_NE(saveHere, nullptr);
  QTest::mouseClick(saveHere, Qt::LeftButton);
  ASSERT_TRUE(testing::runQtUntil([&] { return std::filesystem::exists(target / "Clipboard text.txt"); }));
  std::ifstream saved(target / "Clipboard text.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), "keep these words");
}

TEST_F(ClipboardViewTest, ThePanelHearsWhenNewContentIsPainted) {
  copyText("alpha");
  int paints = 0;
  show(ClipboardModel::Mode::browse, {.painted = [&] { ++paints; }});
  paints = 0;
  QTest::keyClicks(&searchField(), "al");
  EXPECT_TRUE(testing::runQtUntil([&] { return paints > 0; }));
}

TEST_F(ClipboardViewTest, TheActionsButtonOffersTheActionsForTheFocusedEntry) {
  copyText("alpha");
  show();
  QStringList titles;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      titles = titlesIn(*menu);
      menu->close();
    }
  });
  closer.start(20);
  QTest::mouseClick(&part<QToolButton>("actions"), Qt::LeftButton);
  ASSERT_TRUE(testing::runQtUntil([&] { return !titles.isEmpty(); }));
  EXPECT_EQ(titles.first(), "Paste");
  EXPECT_TRUE(titles.contains("Copy\tEnter")) << titles.join('|').toStdString();
  EXPECT_TRUE(titles.contains("Delete from History\tCtrl+Backspace"));
}

TEST_F(ClipboardViewTest, AHistoryStillOpeningSaysSo) {
  ClipboardModel opening{{board, keys, workspace, system, main, clock, pool, files},
                         settings,
                         std::make_shared<clipboard::ClipboardTagger>(),
                         {.recognisesImageText = false}};
  ClipboardView shown(opening, {});
  shown.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown));
  auto* placeholder = shown.findChild<QWidget*>("placeholder");
  ASSERT_NE(placeholder, nullptr);
  ASSERT_TRUE(placeholder->isVisible());
  QStringList texts;
  for (auto* label : placeholder->findChildren<QLabel*>())
    if (label->isVisible()) texts << label->text();
  EXPECT_EQ(texts, QStringList{"Opening history…"});
}

TEST_F(ClipboardViewTest, AnotherObserverOfTheModelKeepsHearingChanges) {
  int heard = 0;
  const auto observing = model.observe([&] { ++heard; });
  show();
  heard = 0;
  copyText("while shown");
  EXPECT_GT(heard, 0);
  view.reset();
  heard = 0;
  copyText("after the view went");
  EXPECT_GT(heard, 0);
}

TEST_F(ClipboardViewTest, FocusingTheViewPutsTheKeyboardInTheSearchField) {
  show();
  list().setFocus();
  part<QToolButton>("actions").setFocus();
  view->setFocus();
  EXPECT_TRUE(searchField().hasFocus());
}

TEST_F(ClipboardViewTest, AnEmptyHistorySaysSo) {
  show();
  const QStringList texts = visibleTexts();
  EXPECT_TRUE(texts.contains("Nothing copied yet")) << texts.join('|').toStdString();
  EXPECT_TRUE(texts.contains("Copy text, a link, an image, or a file. It appears here."));
  EXPECT_FALSE(list().isVisible());
}

TEST_F(ClipboardViewTest, AnEmptyPinnedFilterSaysHowToPin) {
  copyText("not pinned");
  show();
  model.setFilter(clipboard::ClipboardFilter::pinned);
  settle();
  const QStringList texts = visibleTexts();
  EXPECT_TRUE(texts.contains("No pinned items")) << texts.join('|').toStdString();
  EXPECT_TRUE(texts.contains("Pin an item with Ctrl+P. Pinned items stay until you delete them."));
}

TEST_F(ClipboardViewTest, ASearchWithoutMatchesSaysHowToWiden) {
  copyText("plums");
  show();
  QTest::keyClicks(&searchField(), "kiwi");
  ASSERT_TRUE(
      testing::runQtUntil([&] { return model.state().query == "kiwi" && !model.state().isSearching; }));
  QCoreApplication::processEvents();
  EXPECT_TRUE(
      visibleTexts().contains("Nothing in your history matches “kiwi”. Press ⇥ to change the filter."))
      << visibleTexts().join('|').toStdString();
}

TEST_F(ClipboardViewTest, PausedRecordingOffersToTurnItOn) {
  settings.setEnabled(false);
  show(ClipboardModel::Mode::browse, {.turnOnRecording = [this] {
         settings.setEnabled(true);
         model.settingsChanged();
       }});
  QAbstractButton* turnOn = nullptr;
  for (auto* button : view->findChildren<QAbstractButton*>())
    if (button->isVisible() && button->text() == "Turn On Clipboard History") turnOn = button;
  ASSERT_NE(turnOn, nullptr);
  EXPECT_TRUE(visibleTexts().contains("Recording paused"));
  QTest::mouseClick(turnOn, Qt::LeftButton);
  settle();
  EXPECT_TRUE(settings.values().isEnabled);
  EXPECT_FALSE(visibleTexts().contains("Recording paused"));
}

}  // namespace
}  // namespace quillo::ui
