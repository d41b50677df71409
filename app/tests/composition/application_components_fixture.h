#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "quillo/app/composition/application_components.h"
#include "quillo/platform/posix/posix_bookmarks.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_accessibility.h"
#include "quillo/testing/fake_apple_events.h"
#include "quillo/testing/fake_folder_picker.h"
#include "quillo/testing/fake_highlighter.h"
#include "quillo/testing/fake_hot_keys.h"
#include "quillo/testing/fake_instance_channel.h"
#include "quillo/testing/fake_key_events.h"
#include "quillo/testing/fake_pasteboard.h"
#include "quillo/testing/fake_processes.h"
#include "quillo/testing/fake_screens.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/log_capture.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::app {

// The default shortcuts on Linux: Super+Space for the launcher, Super+Shift+V for the clipboard.
constexpr std::uint32_t kSpace = 49, kLauncherModifiers = 256;
constexpr std::uint32_t kV = 9, kClipboardModifiers = 768;

// The desktop front end's panel: shown at once, gone at once.
class ImmediatePanel final : public LauncherPanelView {
 public:
  bool visible = false;
  bool isVisible() const override { return visible; }
  void present(const platform::Rect&, const PanelTransition&, const std::optional<std::string>&) override {
    visible = true;
  }
  void dismiss(const PanelTransition&, std::function<void()> completion) override {
    visible = false;
    completion();
  }
};

inline core::Command calculator() {
  return {"app.calculator",
          "Calculator",
          core::Command::Kind::app,
          "",
          "",
          "",
          core::target::App{base::Url::file("/usr/share/applications/org.gnome.Calculator.desktop")}};
}

// The running program over real components: a real defaults file and clipboard database in a
// temporary folder, real workers, fakes only at the platform seam.
struct ApplicationComponentsTest : ::testing::Test {
  testing::TemporaryFolder folder;
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  base::WorkerPool pool{2};
  testing::FakeSystem system;
  platform::posix::PosixFileSystem files;
  testing::FakeWorkspace workspace;
  testing::FakeProcesses processes{main};
  testing::FakePasteboard pasteboard;
  testing::FakeKeyEvents keyEvents;
  testing::FakeAccessibility accessibility{R"({"AXRole": "AXApplication"})"};
  testing::FakeAppleEvents appleEvents;
  platform::posix::PosixBookmarks bookmarks;
  testing::FakeHotKeys hotKeys;
  testing::FakeScreens screens;
  testing::FakeInstanceChannel instances;
  testing::FakeFolderPicker picker;
  testing::FakeHighlighter highlighter{main};
  ImmediatePanel panel;
  int localServiceStarts = 0;
  // The file-index library; none leaves the program's own lookup, which tests do not rely on.
  std::function<std::shared_ptr<const core::FffLibrary>()> loadFileLibrary{};
  std::unique_ptr<ApplicationComponents> components;
  std::unique_ptr<QuilloApplication> application;

  ApplicationComponentsTest() {
    system.macOS = false;
    system.home = folder.path().string();
    hotKeys.style = platform::KeyLabelStyle::words;
    screens.all = {{"DP-1", {{0, 0}, {1920, 1080}}, {{0, 32}, {1920, 1048}}}};
    stored("clipboard.enabled", true);
  }

  ~ApplicationComponentsTest() override {
    // Called-off tasks may still reach the components: let them finish first.
    pool.waitUntilIdle();
    application.reset();
    components.reset();
  }

  void stored(const std::string& key, core::DefaultsValue value) {
    core::FileDefaultsStore(folder / "defaults.json", files).set(key, std::move(value));
  }

  void start() {
    components = std::make_unique<ApplicationComponents>(
        ApplicationSeams{main, clock, pool, system, files, workspace, processes, pasteboard, keyEvents,
                         accessibility, appleEvents, bookmarks, hotKeys, screens, instances, picker,
                         highlighter, panel},
        ApplicationComponentsOptions{.defaultsFile = folder / "defaults.json",
                                     .clipboardDatabase = folder / "history.sqlite",
                                     .commandIndex = [] { return core::CommandIndex({calculator()}); },
                                     .clipboard = {.recognisesImageText = false},
                                     .startLocalService = [this]() -> LocalRankingService {
                                       ++localServiceStarts;
                                       throw service::LocalServiceError(
                                           "quillo-ravo is not started in tests");
                                     },
                                     .loadFileLibrary = loadFileLibrary});
    application = std::make_unique<QuilloApplication>(
        components->platform(), components->hooks({}),
        ApplicationOptions{.ownProcess = 1, .version = "0.1.0", .releaseFeed = std::nullopt});
    ASSERT_TRUE(components->attach(*application));
    application->start({});
    ASSERT_TRUE(main.runUntil([&] { return components->clipboardModel().state().isReady; }));
  }

  void press(std::uint32_t keyCode, std::uint32_t modifiers) {
    hotKeys.press(keyCode, modifiers);
    hotKeys.release(keyCode, modifiers);
  }

  const std::vector<core::ResultRow>& typed(const std::string& query) {
    press(kSpace, kLauncherModifiers);
    components->searchModel().setQuery(query);
    main.runUntil([&] { return !components->searchModel().rows().empty(); });
    return components->searchModel().rows();
  }
};

}  // namespace quillo::app
