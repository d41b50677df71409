#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quillo/app/shell/quillo_application.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/testing/fake_hot_keys.h"
#include "quillo/testing/fake_screens.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/manual_main_queue.h"

namespace quillo::app {
namespace {

using Content = LauncherPresentation::Content;
constexpr platform::ProcessID kQuillo = 4242;
const platform::RunningApplication kMail{
    .pid = 17, .bundleID = "org.gnome.Evolution", .bundlePath = std::nullopt};
const platform::RunningApplication kSelf{
    .pid = kQuillo, .bundleID = "dev.tarnwick.Quillo", .bundlePath = std::nullopt};

// The desktop front end's panel: records what it was asked and finishes a fade-out when told.
class FakePanel final : public LauncherPanelView {
 public:
  std::vector<std::string>& journal;
  bool visible = false;
  std::vector<platform::Rect> frames;
  std::vector<std::optional<std::string>> tokens;
  std::function<void()> pendingDismissal;

  explicit FakePanel(std::vector<std::string>& journal) : journal(journal) {}
  bool isVisible() const override { return visible; }
  void present(const platform::Rect& frame, const PanelTransition&,
               const std::optional<std::string>& activationToken) override {
    journal.push_back("present");
    visible = true;
    frames.push_back(frame);
    tokens.push_back(activationToken);
  }
  void dismiss(const PanelTransition&, std::function<void()> completion) override {
    journal.push_back("dismiss");
    pendingDismissal = std::move(completion);
  }
  void finishDismissal() {
    visible = false;
    std::exchange(pendingDismissal, {})();
  }
};

struct QuilloApplicationTest : ::testing::Test {
  std::vector<std::string> journal;
  core::MemoryDefaultsStore defaults;
  testing::FakeSystem system;
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  base::WorkerPool pool{1};
  testing::FakeHotKeys keys;
  testing::FakeScreens screens;
  FakePanel panel{journal};
  std::optional<platform::RunningApplication> front = kMail;
  std::function<void(const platform::RunningApplication&)> activate;
  std::vector<StatusMenu> statusMenus;
  bool serviceConfigured = false;
  bool copiedFile = false;

  QuilloApplicationTest() {
    keys.journal = &journal;
    screens.all = {{"DP-1", {{0, 0}, {1920, 1080}}, {{0, 32}, {1920, 1048}}},
                   {"HDMI-1", {{1920, 0}, {2560, 1440}}, {{1920, 0}, {2560, 1440}}}};
    system.macOS = false;
    keys.style = platform::KeyLabelStyle::words;
  }

  ApplicationHooks hooks() {
    auto note = [this](const std::string& what) {
      return [this, what](auto&&...) { journal.push_back(what); };
    };
    return ApplicationHooks{
        .startUsageSignals = note("startUsageSignals"),
        .launcherOpened = note("launcherOpened"),
        .serviceAddressConfigured = [this] { return serviceConfigured; },
        .startLocalRankingService = note("startLocalRankingService"),
        .installMainMenu = note("installMainMenu"),
        .resumeKeepAwake =
            [this](base::Date now) { journal.push_back(now == clock.now() ? "resumeKeepAwake" : "?"); },
        .showWelcome = note("showWelcome"),
        .connectPanel =
            [this](LauncherPanelCallbacks& callbacks) {
              journal.push_back("connectPanel");
              callbacks.onCopySelectedFile = [this] { return copiedFile = true; };
            },
        .launcherSize =
            [] {
              return Size{600, 300};
            },
        .installStatusItem = note("installStatusItem"),
        .updateStatusMenu = [this](const StatusMenu& menu) { statusMenus.push_back(menu); },
        .frontApplication = [this] { return front; },
        .observeActivations =
            [this](auto activated) {
              journal.push_back("observeActivations");
              activate = activated;
            },
        .prefetchMenus =
            [this](const auto& application) { journal.push_back("prefetch " + *application.bundleID); },
        .setQuery = [this](const std::string& query) { journal.push_back("setQuery " + query); },
        .clipboardWindowClosed = note("clipboardWindowClosed"),
        .searchPanelClosed = note("searchPanelClosed"),
        .openSettings = note("openSettings"),
        .showUpdateMessage = note("showUpdateMessage"),
        .quit = note("quit"),
        .stopClipboard = note("stopClipboard"),
    };
  }

  std::unique_ptr<QuilloApplication> started(const std::vector<std::string>& arguments = {}) {
    auto application = std::make_unique<QuilloApplication>(
        ApplicationPlatform{defaults, system, clock, main, pool, keys, screens, panel, nullptr}, hooks(),
        ApplicationOptions{.ownProcess = kQuillo, .version = "0.1.0", .releaseFeed = std::nullopt});
    application->start(arguments);
    return application;
  }

  void pressShortcut(std::uint32_t keyCode, std::uint32_t modifiers) {
    keys.press(keyCode, modifiers);
    keys.release(keyCode, modifiers);
  }
};

TEST_F(QuilloApplicationTest, StartsEverythingInOrder) {
  const auto application = started({"--show", "--query", "mail"});
  EXPECT_EQ(journal,
            (std::vector<std::string>{"startUsageSignals", "startLocalRankingService", "installMainMenu",
                                      "resumeKeepAwake", "showWelcome", "connectPanel", "register 49 256",
                                      "installHandler", "register 9 768", "installStatusItem",
                                      "observeActivations", "present", "launcherOpened", "setQuery mail"}));
}

TEST_F(QuilloApplicationTest, AConfiguredServiceAddressLeavesTheLocalServiceStopped) {
  serviceConfigured = true;
  const auto application = started();
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "startLocalRankingService"), 0);
}

TEST_F(QuilloApplicationTest, TheWelcomeIsShownOnce) {
  started();
  started();
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "showWelcome"), 1);
}

TEST_F(QuilloApplicationTest, PressingTheLauncherShortcutTwiceShowsThenHidesTheLauncher) {
  const auto application = started();
  pressShortcut(49, 0x100);
  EXPECT_TRUE(panel.visible);
  pressShortcut(49, 0x100);
  panel.finishDismissal();
  EXPECT_EQ(std::vector(journal.end() - 5, journal.end()),
            (std::vector<std::string>{"present", "launcherOpened", "dismiss", "clipboardWindowClosed",
                                      "searchPanelClosed"}));
}

TEST_F(QuilloApplicationTest, TheClipboardShortcutSwitchesTheShownLauncherInPlace) {
  const auto application = started();
  pressShortcut(49, 0x100);
  pressShortcut(9, 0x300);
  EXPECT_EQ(application->presentation().content(), Content::clipboard);
  EXPECT_TRUE(panel.visible);
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "dismiss"), 0);
  EXPECT_EQ(panel.frames.size(), 2u);
}

TEST_F(QuilloApplicationTest, ThePanelOpensOnTheDisplayUnderThePointer) {
  screens.mouse = {2500, 700};
  const auto application = started({"--show"});
  ASSERT_EQ(panel.frames.size(), 1u);
  EXPECT_TRUE(screens.all[1].frame.contains(panel.frames[0].origin));
}

TEST_F(QuilloApplicationTest, QuilloInFrontIsNeverTheApplicationToActOn) {
  const auto application = started({"--show"});
  panel.visible = false;
  front = kSelf;
  application->show(Content::launcher);
  EXPECT_EQ(application->launcherApp(), kMail);
}

TEST_F(QuilloApplicationTest, AnotherApplicationBecomingActiveHasItsMenusReadAhead) {
  const auto application = started();
  activate(kSelf);
  activate(kMail);
  EXPECT_EQ(application->lastApp(), kMail);
  EXPECT_EQ(journal.back(), "prefetch org.gnome.Evolution");
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "prefetch dev.tarnwick.Quillo"), 0);
}

TEST_F(QuilloApplicationTest, AToggleFromALaterStartActsAsTheShortcutWithItsToken) {
  const auto application = started();
  application->handle(
      {.kind = platform::InstanceRequest::Kind::toggle, .query = {}, .activationToken = "t-1"});
  EXPECT_TRUE(panel.visible);
  EXPECT_EQ(panel.tokens, (std::vector<std::optional<std::string>>{"t-1"}));
}

TEST_F(QuilloApplicationTest, TheStatusMenuFollowsTheLauncherShortcut) {
  const auto application = started();
  application->launcherShortcuts()->apply({0, 0x900});
  ASSERT_FALSE(statusMenus.empty());
  EXPECT_EQ(statusMenus.back().items.front().title, "Show Quillo (Alt+Super+a)");
}

TEST_F(QuilloApplicationTest, AMovedPanelReopensWhereItWasLeftOnThatDisplay) {
  const auto application = started({"--show"});
  application->panelMoved({{300, 200}, {600, 300}});
  application->panelResignedKey();
  panel.finishDismissal();
  application->toggle();
  EXPECT_EQ(panel.frames.back(), (platform::Rect{{300, 200}, {600, 300}}));
}

TEST_F(QuilloApplicationTest, InsideThePanelCtrlCCopiesTheSelectedFileOnLinux) {
  const auto application = started({"--show"});
  const KeyEvent copy{
      .keyCode = KeyCode::c, .modifiers = {.control = true}, .charactersIgnoringModifiers = "c"};
  EXPECT_EQ(application->routeKey(copy, SearchFieldState{.isFirstResponder = true, .isEmpty = false}),
            Routing::consumed);
  EXPECT_TRUE(copiedFile);
}

TEST_F(QuilloApplicationTest, ReopeningOpensTheSettings) {
  const auto application = started();
  application->reopen();
  EXPECT_EQ(journal.back(), "openSettings");
}

TEST_F(QuilloApplicationTest, StartingWithSettingsOpensTheSettings) {
  const auto application = started({"--settings"});
  EXPECT_EQ(journal.back(), "openSettings");
}

TEST_F(QuilloApplicationTest, ASettingsRequestFromALaterStartOpensTheSettings) {
  const auto application = started();
  application->handle(
      {.kind = platform::InstanceRequest::Kind::settings, .query = {}, .activationToken = "t-2"});
  EXPECT_EQ(journal.back(), "openSettings");
}

TEST_F(QuilloApplicationTest, QuittingStopsTheClipboardModelFirst) {
  const auto application = started();
  application->perform(StatusMenuItem::Action::quit);
  EXPECT_EQ(std::vector(journal.end() - 2, journal.end()),
            (std::vector<std::string>{"stopClipboard", "quit"}));
}

}  // namespace
}  // namespace quillo::app
