#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <functional>
#include <memory>

#include "quillo/app/clipboard/clipboard_model.h"
#include "quillo/app/clipboard/clipboard_settings.h"
#include "quillo/app/search_folders.h"
#include "quillo/app/shell/autostart_entry.h"
#include "quillo/app/shell/hot_key.h"
#include "quillo/app/shell/shortcut_controller.h"
#include "quillo/app/telemetry_service.h"
#include "quillo/base/worker_pool.h"
#include "quillo/clipboard/clipboard_tagger.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/desktop/qt_main_queue.h"
#include "quillo/platform/posix/posix_bookmarks.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_apple_events.h"
#include "quillo/testing/fake_folder_picker.h"
#include "quillo/testing/fake_hot_keys.h"
#include "quillo/testing/fake_key_events.h"
#include "quillo/testing/fake_pasteboard.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/temporary_folder.h"
#include "quillo/ui/settings/settings_window.h"

namespace quillo::ui {

// The settings window over the real models: a real defaults file and history database in a
// temporary folder, real workers and Qt's loop, and fakes only at the platform seam (hot keys
// that record registrations, a pasteboard, a folder panel the test answers).
struct SettingsTest : ::testing::Test {
  int argc = 1;
  char name[16] = "settings-tests";
  char* argv[2] = {name, nullptr};
  QApplication application{argc, argv};

  testing::TemporaryFolder folder;
  platform::posix::PosixFileSystem disk;
  platform::posix::PosixBookmarks bookmarks;
  std::unique_ptr<core::FileDefaultsStore> defaults =
      std::make_unique<core::FileDefaultsStore>(folder / "defaults.plist", disk);
  core::QuilloPreferences preferences{*defaults};
  testing::FakeHotKeys hotKeys = linuxHotKeys();
  app::HotKeyCenter center{hotKeys};
  app::ShortcutController launcherShortcut{preferences, app::ShortcutController::Kind::launcher, center, {}};
  app::ShortcutController clipboardShortcut{
      preferences, app::ShortcutController::Kind::clipboard, center, {}};
  platform::desktop::QtMainQueue main;
  platform::SystemClock clock;
  base::WorkerPool pool{2};
  testing::FakeFolderPicker fakePicker;
  testing::FakeSystem system = linuxSystem();
  testing::FakePasteboard board;
  testing::FakeKeyEvents keys;
  testing::FakeWorkspace workspace;
  app::ClipboardSettings clipboardSettings{*defaults};
  app::ClipboardModel clipboardModel{{board, keys, workspace, system, main, clock, pool, disk},
                                     clipboardSettings,
                                     std::make_shared<clipboard::ClipboardTagger>(),
                                     {.recognisesImageText = false}};
  app::TelemetryService telemetry{*defaults, clock, {}, {}};
  app::AutostartEntry autostart{disk, system, "/usr/bin/quillo"};
  std::vector<platform::desktop::FacilityStatus> facilities;
  // The program's side of the consent to shortcuts in GNOME's settings; empty: not offered.
  std::function<void(bool)> allowDesktopShortcuts;
  std::unique_ptr<app::SearchFolders> folders;
  std::unique_ptr<SettingsWindow> window;

  testing::FakeHotKeys linuxHotKeys() {
    testing::FakeHotKeys linux;
    linux.style = platform::KeyLabelStyle::words;
    linux.characters[40] = "k";
    return linux;
  }

  testing::FakeSystem linuxSystem() {
    testing::FakeSystem linux;
    linux.macOS = false;
    linux.home = (folder / "home").string();
    linux.variables["XDG_CONFIG_HOME"] = (folder / "config").string();
    std::filesystem::create_directories(folder / "home");
    return linux;
  }

  // Makes the search folders over `picker` and the window over everything, shown and active.
  void open(platform::FolderPicker& picker) {
    core::FileIndex::Options indexOptions;
    indexOptions.watch = false;
    folders = std::make_unique<app::SearchFolders>(
        app::SearchFolders::Environment{
            .preferences = preferences,
            .bookmarks = bookmarks,
            .files = disk,
            .picker = picker,
            .pool = pool,
            .main = main,
            .homeFolder = system.home,
            .loadLibrary = [this] { return core::FffLibrary::load(disk, {QUILLO_TEST_FFF_LIBRARY}); },
            .indexOptions = indexOptions},
        app::SearchFolders::Hooks{});
    window =
        std::make_unique<SettingsWindow>(SettingsContext{.preferences = preferences,
                                                         .launcherShortcut = &launcherShortcut,
                                                         .clipboardShortcut = &clipboardShortcut,
                                                         .folders = *folders,
                                                         .clipboard = clipboardSettings,
                                                         .clipboardModel = clipboardModel,
                                                         .telemetry = telemetry,
                                                         .autostart = autostart,
                                                         .diagnostics = [this] { return facilities; },
                                                         .version = "1.2.3",
                                                         .allowDesktopShortcuts = allowDesktopShortcuts});
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  void open() { open(fakePicker); }

  void TearDown() override {
    window.reset();
    // Nothing a worker still runs may outlive the models it reaches.
    pool.waitUntilIdle();
    QCoreApplication::processEvents();
    // Dialogs closed with WA_DeleteOnClose go on their deferred deletion, which processEvents()
    // outside an event loop never runs; their file models' threads must end before the test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  template <typename Widget>
  Widget* find(const QString& objectName) {
    auto* widget = window->findChild<Widget*>(objectName);
    EXPECT_NE(widget, nullptr) << objectName.toStdString();
    return widget;
  }

  // Clicks a switch on its box, where a user does.
  static void click(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
  }
  static void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

  // Copies made in a text editor in front are recorded.
  void recordCopies() {
    clipboardSettings.setEnabled(true);
    const platform::FrontApplication editor{.pid = 10, .id = "org.gnome.TextEditor", .name = "Text Editor"};
    workspace.running = {{.pid = editor.pid, .bundleID = {}, .bundlePath = {}}};
    workspace.front = editor;
  }

  // A fresh reader of the defaults file: what a restart would see.
  core::QuilloPreferences reread() {
    rereadStore = std::make_unique<core::FileDefaultsStore>(folder / "defaults.plist", disk);
    return core::QuilloPreferences(*rereadStore);
  }
  std::unique_ptr<core::FileDefaultsStore> rereadStore;
};

}  // namespace quillo::ui
