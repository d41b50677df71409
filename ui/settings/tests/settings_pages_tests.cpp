#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <stdexcept>
#include <vector>

#include "quillo/platform/desktop/desktop_diagnostics.h"
#include "settings_fixture.h"

namespace quillo::ui {
namespace {

using platform::desktop::FacilityStatus;

TEST_F(SettingsTest, ASwitchToggledChangesThePreferenceInTheDefaultsFile) {
  open();
  auto* learn = find<QCheckBox>(QStringLiteral("learnFromUsage"));
  ASSERT_TRUE(learn->isChecked());
  click(learn);
  EXPECT_FALSE(preferences.learnFromUsage());
  EXPECT_FALSE(reread().learnFromUsage());
}

TEST_F(SettingsTest, StartAtLoginWritesTheAutostartEntry) {
  open();
  click(find<QCheckBox>(QStringLiteral("startAtLogin")));
  EXPECT_TRUE(std::filesystem::exists(folder / "config" / "autostart" / "dev.tarnwick.Quillo.desktop"));
  EXPECT_TRUE(autostart.isEnabled());
  click(find<QCheckBox>(QStringLiteral("startAtLogin")));
  EXPECT_FALSE(std::filesystem::exists(folder / "config" / "autostart" / "dev.tarnwick.Quillo.desktop"));
}

TEST_F(SettingsTest, AStartAtLoginThatFailsSaysWhyAndStaysOff) {
  testing::writeFile(folder / "config" / "autostart", "a file where the folder should be");
  open();
  auto* box = find<QCheckBox>(QStringLiteral("startAtLogin"));
  click(box);
  EXPECT_FALSE(box->isChecked());
  bool told = false;
  for (auto* label : window->findChildren<QLabel*>(QStringLiteral("failure")))
    told =
        told || (label->isVisible() && label->text().startsWith("Quillo couldn’t turn on starting at login"));
  EXPECT_TRUE(told);
}

TEST_F(SettingsTest, TheGnomeShortcutsSwitchIsOnlyOfferedWhereTheDesktopTakesThem) {
  open();
  EXPECT_EQ(window->findChild<QCheckBox*>(QStringLiteral("desktopShortcutsAllowed")), nullptr);
}

TEST_F(SettingsTest, GivingConsentToGnomeShortcutsAppliesItAndDropsTheBindByHandAdvice) {
  std::vector<bool> consents;
  allowDesktopShortcuts = [&](bool on) {
    preferences.setDesktopShortcutsAllowed(on);
    consents.push_back(on);
  };
  open();
  auto* box = find<QCheckBox>(QStringLiteral("desktopShortcutsAllowed"));
  auto* byHand = find<QLabel>(QStringLiteral("shortcutsByHand"));
  EXPECT_FALSE(box->isChecked());
  EXPECT_FALSE(byHand->isHidden());
  EXPECT_TRUE(byHand->text().contains("quillo --toggle"));
  click(box);
  EXPECT_TRUE(box->isChecked());
  EXPECT_TRUE(byHand->isHidden());
  click(box);
  EXPECT_FALSE(box->isChecked());
  EXPECT_FALSE(byHand->isHidden());
  EXPECT_EQ(consents, (std::vector<bool>{true, false}));
}

TEST_F(SettingsTest, GnomeShortcutsThatCannotBeWrittenSayWhyAndStayOff) {
  allowDesktopShortcuts = [](bool) {
    throw std::runtime_error("GNOME’s keyboard settings are not installed.");
  };
  open();
  auto* box = find<QCheckBox>(QStringLiteral("desktopShortcutsAllowed"));
  click(box);
  EXPECT_FALSE(box->isChecked());
  bool told = false;
  for (auto* label : window->findChildren<QLabel*>(QStringLiteral("failure")))
    told = told || (label->isVisible() && label->text() == "GNOME’s keyboard settings are not installed.");
  EXPECT_TRUE(told);
}

TEST_F(SettingsTest, TheAnalyticsSwitchIsStoredUnderItsKey) {
  open();
  window->showPage(SettingsWindow::Page::privacy);
  auto* analytics = find<QCheckBox>(QStringLiteral("QuilloTelemetryEnabled"));
  ASSERT_TRUE(analytics->isChecked());
  click(analytics);
  EXPECT_EQ(defaults->value("QuilloTelemetryEnabled")->boolean(), std::optional<bool>(false));
  EXPECT_FALSE(telemetry.isEnabled());
}

TEST_F(SettingsTest, RemovingAFolderTakesItOffTheList) {
  std::filesystem::create_directories(folder / "home" / "Projects");
  std::filesystem::create_directories(folder / "home" / "Notes");
  open();
  window->showPage(SettingsWindow::Page::searchFolders);
  click(find<QPushButton>(QStringLiteral("addFolders")));
  ASSERT_EQ(
      fakePicker.choose({(folder / "home" / "Projects").string(), (folder / "home" / "Notes").string()}),
      std::nullopt);
  window->refresh();
  auto* list = find<QListWidget>(QStringLiteral("folders"));
  ASSERT_EQ(list->count(), 2);
  list->setCurrentRow(0);
  click(find<QPushButton>(QStringLiteral("removeFolder")));
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(preferences.fileSearchPaths(), (std::vector<std::string>{(folder / "home" / "Notes").string()}));
}

TEST_F(SettingsTest, ChoosingAFolderAgainPutsTheNewOneInItsPlace) {
  for (const char* name : {"Projects", "Notes", "Archive"})
    std::filesystem::create_directories(folder / "home" / name);
  open();
  window->showPage(SettingsWindow::Page::searchFolders);
  click(find<QPushButton>(QStringLiteral("addFolders")));
  ASSERT_EQ(
      fakePicker.choose({(folder / "home" / "Projects").string(), (folder / "home" / "Notes").string()}),
      std::nullopt);
  window->refresh();
  find<QListWidget>(QStringLiteral("folders"))->setCurrentRow(0);
  click(find<QPushButton>(QStringLiteral("replaceFolder")));
  EXPECT_EQ(fakePicker.lastRequest().title, "Choose Folder Again");
  ASSERT_EQ(fakePicker.choose({(folder / "home" / "Archive").string()}), std::nullopt);
  EXPECT_EQ(preferences.fileSearchPaths(), (std::vector<std::string>{(folder / "home" / "Archive").string(),
                                                                     (folder / "home" / "Notes").string()}));
}

TEST_F(SettingsTest, AFolderThatCannotBeReadIsListedWithWhatToDo) {
  // A folder listed without the access the program keeps for it.
  std::filesystem::create_directories(folder / "home" / "Old");
  preferences.addFileSearchFolders({base::Url::file((folder / "home" / "Old").string())});
  preferences.setFileSearchSetupCompleted(true);
  open();
  window->showPage(SettingsWindow::Page::searchFolders);
  folders->prepareFiles();
  auto* list = find<QListWidget>(QStringLiteral("folders"));
  QTRY_VERIFY_WITH_TIMEOUT(!folders->isIndexingFiles(), 10000);
  window->refresh();
  ASSERT_EQ(list->count(), 1);
  EXPECT_TRUE(list->item(0)->text().endsWith(QStringLiteral("\nChoose this folder again to restore access.")))
      << list->item(0)->text().toStdString();
}

TEST_F(SettingsTest, ClearingTheHistoryAsksFirstAndThenClearsPinnedItemsToo) {
  recordCopies();
  clipboardModel.start(folder / "history.sqlite", true);
  QTRY_VERIFY_WITH_TIMEOUT(clipboardModel.state().isReady, 10000);
  board.copyText("a copied line");
  QTRY_VERIFY_WITH_TIMEOUT(clipboardModel.state().totalCount == 1, 10000);
  open();
  window->showPage(SettingsWindow::Page::clipboard);

  click(find<QPushButton>(QStringLiteral("clearHistoryIncludingPinned")));
  auto* question = find<QMessageBox>(QStringLiteral("clearQuestion"));
  ASSERT_NE(question, nullptr);
  EXPECT_TRUE(question->isVisible());
  // Asking changed nothing yet.
  QTest::qWait(50);
  EXPECT_EQ(clipboardModel.state().totalCount, 1u);

  click(question->findChild<QPushButton*>(QStringLiteral("confirmClear")));
  QTRY_VERIFY_WITH_TIMEOUT(clipboardModel.state().totalCount == 0, 10000);
  EXPECT_EQ(clipboardModel.state().status, "Clipboard history cleared.");
  clipboardModel.stop();
}

TEST_F(SettingsTest, CancellingTheQuestionKeepsTheHistory) {
  recordCopies();
  clipboardModel.start(folder / "history.sqlite", true);
  QTRY_VERIFY_WITH_TIMEOUT(clipboardModel.state().isReady, 10000);
  board.copyText("keep me");
  QTRY_VERIFY_WITH_TIMEOUT(clipboardModel.state().totalCount == 1, 10000);
  open();
  window->showPage(SettingsWindow::Page::clipboard);
  click(find<QPushButton>(QStringLiteral("clearHistory")));
  auto* question = find<QMessageBox>(QStringLiteral("clearQuestion"));
  ASSERT_NE(question, nullptr);
  click(question->button(QMessageBox::Cancel));
  QTest::qWait(200);
  EXPECT_EQ(clipboardModel.state().totalCount, 1u);
  clipboardModel.stop();
}

TEST_F(SettingsTest, TheHistorysSizeFollowsNewCopiesWhileTheClipboardPageShows) {
  recordCopies();
  clipboardModel.start(folder / "history.sqlite", true);
  QTRY_VERIFY_WITH_TIMEOUT(clipboardModel.state().isReady, 10000);
  open();
  window->showPage(SettingsWindow::Page::clipboard);
  auto* usage = find<QLabel>(QStringLiteral("clipboardUsage"));
  ASSERT_NE(usage, nullptr);
  EXPECT_TRUE(usage->text().startsWith("0 item")) << usage->text().toStdString();
  board.copyText("copied while the page shows");
  QTRY_VERIFY_WITH_TIMEOUT(usage->text().startsWith("1 item"), 10000);
  clipboardModel.stop();
}

TEST_F(SettingsTest, ClipboardLimitsAreWrittenAndReadBack) {
  open();
  window->showPage(SettingsWindow::Page::clipboard);
  auto* days = find<QSpinBox>(QStringLiteral("clipboard.days"));
  days->setFocus();
  days->selectAll();
  QTest::keyClicks(days, "7");
  QTest::keyClick(days, Qt::Key_Return);
  EXPECT_EQ(clipboardSettings.values().retentionDays, 7);
  EXPECT_EQ(core::ClipboardPreferences::read(*defaults).retentionDays, 7);
}

TEST_F(SettingsTest, TheDiagnosticsListEachFacilityWithItsState) {
  platform::desktop::SessionFacts facts;
  facts.displayServer = platform::desktop::SessionFacts::DisplayServer::x11;
  facts.desktop = platform::desktop::SessionFacts::Desktop::gnome;
  facts.xDisplay = true;
  facts.xTest = true;
  facts.xFixes = true;
  facilities = platform::desktop::assess(facts);
  open();
  window->showPage(SettingsWindow::Page::diagnostics);

  bool sawFix = false;
  for (const FacilityStatus& status : facilities) {
    auto* row = find<QWidget>(QStringLiteral("facility:") + QString::fromStdString(status.facility));
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->isVisible());
    EXPECT_EQ(row->findChild<QLabel*>(QStringLiteral("state"))->text(),
              status.state == FacilityStatus::State::working    ? QStringLiteral("Working")
              : status.state == FacilityStatus::State::degraded ? QStringLiteral("Limited")
                                                                : QStringLiteral("Unavailable"));
    EXPECT_EQ(row->findChild<QLabel*>(QStringLiteral("detail"))->text().toStdString(), status.detail);
    auto* fix = row->findChild<QLabel*>(QStringLiteral("fix"));
    EXPECT_EQ(fix != nullptr, !status.fix.empty()) << status.facility;
    if (fix) {
      EXPECT_EQ(fix->text(), QStringLiteral("To fix: ") + QString::fromStdString(status.fix));
      sawFix = true;
    }
  }
  // Without a tray watcher on GNOME the status icon needs a step.
  EXPECT_TRUE(sawFix);
}

TEST_F(SettingsTest, CheckingAgainShowsTheSessionAsItIsNow) {
  facilities = {{.facility = "tray",
                 .state = FacilityStatus::State::degraded,
                 .detail = "No tray.",
                 .fix = "Add one."}};
  open();
  window->showPage(SettingsWindow::Page::diagnostics);
  facilities[0] = {
      .facility = "tray", .state = FacilityStatus::State::working, .detail = "A tray.", .fix = ""};
  click(find<QPushButton>(QStringLiteral("checkAgain")));
  auto* row = find<QWidget>(QStringLiteral("facility:tray"));
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->findChild<QLabel*>(QStringLiteral("state"))->text(), QStringLiteral("Working"));
  EXPECT_EQ(row->findChild<QLabel*>(QStringLiteral("fix")), nullptr);
}

TEST_F(SettingsTest, TheJoinSeparatorIsAPresetOrWhatTheUserTypes) {
  open();
  window->showPage(SettingsWindow::Page::clipboard);
  auto* separator = find<QComboBox>(QStringLiteral("clipboard.separator"));
  separator->setFocus();
  // New line, then Blank line, then Space.
  QTest::keyClick(separator, Qt::Key_Down);
  QTest::keyClick(separator, Qt::Key_Down);
  EXPECT_EQ(clipboardSettings.values().separator, " ");

  separator->lineEdit()->selectAll();
  QTest::keyClicks(separator->lineEdit(), " | ");
  QTest::keyClick(separator->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(core::ClipboardPreferences::read(*defaults).separator, " | ");
}

TEST_F(SettingsTest, CtrlWClosesTheWindow) {
  open();
  QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(SettingsTest, TheAboutPageShowsTheVersion) {
  open();
  window->showPage(SettingsWindow::Page::about);
  EXPECT_EQ(find<QLabel>(QStringLiteral("version"))->text(), QStringLiteral("Version 1.2.3"));
}

}  // namespace
}  // namespace quillo::ui
