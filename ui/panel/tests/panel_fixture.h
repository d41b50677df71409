#pragma once

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quillo/app/search_model.h"
#include "quillo/base/worker_pool.h"
#include "quillo/core/index/catalog.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/net/curl_transport.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/desktop/qt_main_queue.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_accessibility.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/temporary_folder.h"
#include "quillo/testing/test_service.h"
#include "quillo/ui/panel/launcher_window.h"

namespace quillo::ui::test {

inline constexpr auto kCommandsPath = "/v1/rank/commands";

// The one application object of the test program; widgets need it before anything else.
QApplication& application();

// Spins Qt's event loop until `done` holds or five seconds pass.
bool runUntil(const std::function<bool()>& done);

// The accessible interface in `root`'s tree with `role`, depth first; none when there is none.
QAccessibleInterface* findAccessible(QAccessibleInterface* root, QAccessible::Role role);

// The rows the panel shows, as a screen reader reads them: each list item's name.
std::vector<std::string> shownTitles(QWidget& window);
// The index of the row a screen reader hears as selected; -1 for none.
int shownSelection(QWidget& window);

// A menu bar with a File menu, read from the front application of the tests.
std::string menuBar();

core::Command command(const std::string& id, const std::string& title, core::Command::Kind kind,
                      const std::string& shortcut = "");

// The real search model over a small command index and the real test service (when asked for),
// with preferences in a real defaults file, on Qt's main queue, and the panel over it.
class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override { start(); }
  void TearDown() override;

  void start(bool withService = false);
  // Shows the panel without a fade and waits until it has the keyboard.
  void present();
  void type(const std::string& text);

  QApplication& app = application();
  testing::TestService service;
  platform::SystemClock clock;
  platform::desktop::QtMainQueue main;
  std::shared_ptr<core::HttpTransport> http =
      net::makeCurlTransport({.extraCaFile = service.caFile().string()});
  testing::FakeAccessibility fakeAx{menuBar()};
  base::WorkerPool pool{2};
  testing::FakeSystem system;
  testing::TemporaryFolder folder;
  platform::posix::PosixFileSystem files;
  core::FileDefaultsStore defaults{folder / "defaults.plist", files};
  core::QuilloPreferences preferences{defaults};
  core::UsageStore usage{defaults};
  app::SearchModelHooks modelHooks;
  LauncherWindow::Hooks hooks;
  std::unique_ptr<app::SearchModel> model;
  std::unique_ptr<LauncherWindow> window;
};

}  // namespace quillo::ui::test
