#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <nlohmann/json.hpp>

#include "quillo/app/settings_guide.h"
#include "quillo/net/curl_transport.h"
#include "quillo/platform/posix/saved_tree_accessibility.h"
#include "quillo/testing/fake_accessibility.h"
#include "quillo/testing/fake_highlighter.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/test_service.h"

namespace quillo::app {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;
using testing::FakeAccessibility;

constexpr platform::ProcessID kPid = FakeAccessibility::kPid;
constexpr std::string_view kCommandsPath = "/v1/rank/commands";

json label(const std::string& text, double y) {
  return {{"AXRole", "AXStaticText"},
          {"AXValue", text},
          {"AXPosition", {{"point", {100, y}}}},
          {"AXSize", {{"size", {200, 20}}}}};
}

// A settings window: a sidebar of sections beside the pane's rows, the application's focused window.
std::string settingsApp(const std::string& title, const std::vector<std::string>& sections,
                        const std::vector<std::string>& rows) {
  json outline = json::array();
  for (const std::string& section : sections)
    outline.push_back({{"AXRole", "AXRow"}, {"AXChildren", {label(section, 0)}}});
  json pane = json::array();
  for (std::size_t i = 0; i < rows.size(); ++i)
    pane.push_back(label(rows[i], 200 + 40.0 * static_cast<double>(i)));
  const json sidebar = {
      {"AXRole", "AXGroup"},
      {"AXChildren",
       {{{"AXRole", "AXScrollArea"}, {"AXChildren", {{{"AXRole", "AXOutline"}, {"AXChildren", outline}}}}}}}};
  json content = {{"AXRole", "AXGroup"},
                  {"AXChildren", {{{"AXRole", "AXScrollArea"}, {"AXChildren", pane}}}}};
  const json split = {{"AXRole", "AXSplitGroup"},
                      {"AXChildren", {sidebar, {{"AXRole", "AXSplitter"}}, content}}};
  const json window = {{"AXRole", "AXWindow"}, {"AXTitle", title}, {"AXChildren", {split}}};
  return json{{"AXRole", "AXApplication"}, {"AXFocusedWindow", window}}.dump();
}

core::Command settingsCommand(const std::string& title,
                              core::Command::Kind kind = core::Command::Kind::setting) {
  return core::Command("setting." + title, title, kind, "", "", "", core::target::Shell{title});
}

struct SettingsGuideTest : ::testing::Test {
  testing::TestService service;
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  base::WorkerPool pool{2};
  std::shared_ptr<core::BackendClient> client = std::make_shared<core::BackendClient>(
      service.baseUrl(), service.clientKey(), std::make_shared<core::FixedCredential>(""),
      net::makeCurlTransport({.extraCaFile = service.caFile().string()}));
  testing::FakeHighlighter ring{main};
  std::unique_ptr<FakeAccessibility> ax;
  std::vector<std::string> ran;
  std::function<void()> onRun;
  std::function<std::optional<platform::ProcessID>()> settingsProcess = [] { return kPid; };
  std::atomic<platform::ProcessID> front{kPid};
  std::unique_ptr<SettingsGuide> guide;

  void load(const std::string& app) {
    ax = std::make_unique<FakeAccessibility>(app);
    use(*ax);
  }

  void use(platform::Accessibility& accessibility) {
    guide = std::make_unique<SettingsGuide>(SettingsGuide::Environment{
        .accessibility = accessibility,
        .highlighter = ring,
        .pool = pool,
        .main = main,
        .clock = clock,
        .runCommand =
            [this](const core::Command& command) {
              ran.push_back(command.title);
              if (onRun) onRun();
            },
        .processOf = [this](std::string_view) { return settingsProcess(); },
        .frontProcess = [this]() -> std::optional<platform::ProcessID> { return front.load(); }});
  }

  // The service gives each candidate titled in `probabilities` that probability.
  void prefer(const std::map<std::string, double>& probabilities) {
    service.on(std::string(kCommandsPath), [probabilities](const testing::ServiceRequest& request) {
      std::map<std::string, double> answer;
      int position = 0;
      for (const json& candidate : request.json["candidates"]) {
        const auto found = probabilities.find(candidate["title"].get<std::string>());
        if (found != probabilities.end()) answer["c" + std::to_string(position)] = found->second;
        ++position;
      }
      return testing::ServiceReply{.body = testing::rankingBody(answer)};
    });
  }

  // Runs workers and the main queue, moving the test clock in small steps, until `done`.
  bool drive(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    for (auto passed = 0ms; passed <= limit; passed += 10ms) {
      do {
        pool.waitUntilIdle();
      } while (main.drain() > 0);
      if (done()) return true;
      main.advance(10ms);
    }
    return false;
  }
};

TEST_F(SettingsGuideTest, OpensThePaneAndRingsTheRowTheServiceMeans) {
  load(settingsApp("Sound", {"Wi-Fi", "Sound"}, {"Output volume", "Alert sound"}));
  prefer({{"Alert sound", 0.9}});
  guide->open(settingsCommand("Sound"), "alert noise", client);
  ASSERT_TRUE(drive([&] { return ring.visible; }));
  EXPECT_EQ(ran, std::vector<std::string>{"Sound"});
  EXPECT_EQ(ring.frames.front(), (platform::Rect{{85, 225}, {230, 50}}));
  ASSERT_TRUE(drive([&] { return !guide->isRunning(); }));
  EXPECT_FALSE(ring.visible);
  EXPECT_EQ(guide->lastFailure(), std::nullopt);
  EXPECT_EQ(ring.offMainCalls, 0);
}

TEST_F(SettingsGuideTest, RingsTheRowOfASavedSettingsWindow) {
  auto saved = platform::posix::SavedTreeAccessibility::load(QUILLO_APP_TEST_DATA "/sound_settings.json");
  use(saved);
  prefer({{"Alert sound", 0.7}, {"Output volume", 0.2}});
  guide->open(settingsCommand("Sound"), "the sound for alerts", client);
  ASSERT_TRUE(drive([&] { return ring.visible; }));
  EXPECT_EQ(ring.frames.front(), (platform::Rect{{625, 285}, {290, 52}}));
}

TEST_F(SettingsGuideTest, ABestRowBelowAcceptanceOpensThePaneWithoutARing) {
  load(settingsApp("Sound", {"Wi-Fi", "Sound"}, {"Output volume", "Alert sound"}));
  prefer({{"Alert sound", 0.2}});
  guide->open(settingsCommand("Sound"), "alert noise", client);
  ASSERT_TRUE(drive([&] { return !guide->isRunning(); }));
  EXPECT_EQ(ran, std::vector<std::string>{"Sound"});
  EXPECT_EQ(service.requests(std::string(kCommandsPath)).size(), 1u);
  EXPECT_TRUE(ring.frames.empty());
  EXPECT_EQ(guide->lastFailure(), std::nullopt);
}

TEST_F(SettingsGuideTest, AChangedWindowTitleCountsAsTheNewPaneHavingLoaded) {
  load(settingsApp("Wi-Fi", {"Wi-Fi", "Sound"}, {"Output volume", "Alert sound"}));
  onRun = [&] { ax->change(ax->find("AXTitle", "Wi-Fi"), "AXTitle", std::string("Sound")); };
  prefer({{"Alert sound", 0.9}});
  guide->open(settingsCommand("Sound"), "alert noise", client);
  // Well before the time an unchanged title has to wait for the rows to settle.
  EXPECT_TRUE(drive([&] { return !service.requests(std::string(kCommandsPath)).empty(); }, 600ms));
}

TEST_F(SettingsGuideTest, APaneThatNeverLoadsEndsTheGuideAfterTheLoadTimeout) {
  load(settingsApp("Sound", {"Wi-Fi", "Sound"}, {}));
  prefer({});
  guide->open(settingsCommand("Sound"), "alert noise", client);
  EXPECT_FALSE(drive([&] { return !guide->isRunning(); }, 4900ms));
  ASSERT_TRUE(drive([&] { return !guide->isRunning(); }, 300ms));
  EXPECT_EQ(guide->lastFailure(), std::string(SettingsGuide::NotLoaded().what()));
  EXPECT_TRUE(service.requests().empty());
  EXPECT_TRUE(ring.frames.empty());
}

TEST_F(SettingsGuideTest, ACommandThatCannotRunEndsTheGuideWithItsMessage) {
  load(settingsApp("Sound", {"Wi-Fi", "Sound"}, {"Output volume", "Alert sound"}));
  onRun = [] { throw std::runtime_error("The pane could not be opened."); };
  guide->open(settingsCommand("Sound"), "alert noise", client);
  ASSERT_TRUE(drive([&] { return !guide->isRunning(); }));
  EXPECT_EQ(guide->lastFailure(), "The pane could not be opened.");
  EXPECT_TRUE(service.requests().empty());
}

TEST_F(SettingsGuideTest, ASecondGuideCancelsTheFirstStillWaiting) {
  load(settingsApp("Sound", {"Wi-Fi", "Sound"}, {"Output volume", "Alert sound"}));
  prefer({{"Alert sound", 0.9}});
  std::latch releaseFirst(1);
  std::atomic<int> calls = 0;
  settingsProcess = [&]() -> std::optional<platform::ProcessID> {
    if (++calls == 1) releaseFirst.wait();
    return kPid;
  };
  guide->open(settingsCommand("Wi-Fi"), "alert noise", client);
  guide->open(settingsCommand("Sound"), "alert noise", client);
  releaseFirst.count_down();
  ASSERT_TRUE(drive([&] { return !guide->isRunning(); }));
  EXPECT_EQ(ran, std::vector<std::string>{"Sound"});
  EXPECT_FALSE(ring.frames.empty());
}

TEST_F(SettingsGuideTest, TheRingGoesAtOnceWhenTheUserSwitchesApplications) {
  load(settingsApp("Sound", {"Wi-Fi", "Sound"}, {"Output volume", "Alert sound"}));
  prefer({{"Alert sound", 0.9}});
  guide->open(settingsCommand("Sound"), "alert noise", client);
  ASSERT_TRUE(drive([&] { return ring.visible; }));
  front = 999;
  EXPECT_TRUE(drive([&] { return !ring.visible && !guide->isRunning(); }, 100ms));
}

TEST_F(SettingsGuideTest, TheRingFollowsTheRowWhenTheWindowMoves) {
  load(settingsApp("Sound", {"Wi-Fi", "Sound"}, {"Output volume", "Alert sound"}));
  prefer({{"Alert sound", 0.9}});
  guide->open(settingsCommand("Sound"), "alert noise", client);
  ASSERT_TRUE(drive([&] { return ring.visible; }));
  ax->change(ax->find("AXValue", "Alert sound"), "AXPosition", platform::Point{300, 500});
  EXPECT_TRUE(drive([&] { return ring.frames.back() == platform::Rect{{285, 485}, {230, 50}}; }, 200ms));
}

TEST_F(SettingsGuideTest, FollowSelectsTheSectionTheServiceMeansAndRingsItsRow) {
  load(settingsApp("General", {"General", "Accounts", "Notifications"}, {"Show previews", "Badge app icon"}));
  prefer({{"Notifications", 0.8}, {"Show previews", 0.9}});
  guide->follow(settingsCommand("Settings…", core::Command::Kind::menuItem), kPid, "Mail", "message previews",
                client);
  ASSERT_TRUE(drive([&] { return ring.visible; }));
  EXPECT_EQ(ran, std::vector<std::string>{"Settings…"});
  const auto writes = ax->writes();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].name, "AXSelected");
  const auto requests = service.requests(std::string(kCommandsPath));
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].json["scope"].dump().find("Mail") != std::string::npos, true);
}

TEST_F(SettingsGuideTest, FollowWithoutASectionReachingItsThresholdSelectsNothing) {
  load(settingsApp("General", {"General", "Accounts", "Notifications"}, {"Show previews", "Badge app icon"}));
  prefer({{"Notifications", 0.01}, {"Show previews", 0.9}});
  guide->follow(settingsCommand("Settings…", core::Command::Kind::menuItem), kPid, "Mail", "message previews",
                client);
  ASSERT_TRUE(drive([&] { return !guide->isRunning(); }));
  EXPECT_EQ(ran, std::vector<std::string>{"Settings…"});
  EXPECT_TRUE(ax->writes().empty());
  EXPECT_TRUE(ring.frames.empty());
}

}  // namespace
}  // namespace quillo::app
