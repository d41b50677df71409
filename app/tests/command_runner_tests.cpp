#include <gtest/gtest.h>

#include <algorithm>

#include "quillo/app/command_runner.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/testing/fake_accessibility.h"
#include "quillo/testing/fake_apple_events.h"
#include "quillo/testing/fake_file_system.h"
#include "quillo/testing/fake_processes.h"
#include "quillo/testing/log_capture.h"
#include "quillo/testing/manual_main_queue.h"

namespace quillo::app {
namespace {

int lockRefused() {
  return 5;
}

core::Command command(std::string title, core::Command::Target target) {
  return core::Command("action.x", std::move(title), core::Command::Kind::action, "", "", "",
                       std::move(target));
}

struct CommandRunnerTest : ::testing::Test {
  testing::LogCapture log;
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  testing::FakeProcesses processes{main};
  ChildStarter starter{processes};
  core::MemoryDefaultsStore defaults;
  KeepAwake keepAwake{starter, defaults};
  testing::FakeWorkspace workspace;
  testing::FakeAccessibility accessibility{R"({"AXRole": "AXApplication", "AXChildren": [
      {"AXRole": "AXMenuItem", "AXTitle": "Save"}]})"};
  testing::FakeAppleEvents events;
  core::AppleEventSender sender{workspace, events};
  base::WorkerPool pool{1};
  testing::FakeFileSystem files;
  CommandRunner runner{{starter, keepAwake, workspace, accessibility, sender, pool, files, clock}};

  bool logged(const std::string& line) const {
    const auto lines = log.lines();
    return std::find(lines.begin(), lines.end(), "run: " + line) != lines.end();
  }
  const platform::ProcessLaunch& launch(std::size_t index) const {
    return processes.children().at(index)->launch;
  }
};

TEST_F(CommandRunnerTest, ChildrenNeverGetTheServiceKeyButEverythingElse) {
  processes.ownEnvironment["REDIZEDA_API_KEY"] = "secret";
  runner.run(command("Mute", core::target::Shell{"true"}));
  EXPECT_EQ(launch(0).environment,
            (std::map<std::string, std::string>{{"HOME", "/home/user"}, {"PATH", "/usr/bin:/bin"}}));
  EXPECT_EQ(launch(0).executable, "/bin/sh");
}

TEST_F(CommandRunnerTest, ANonZeroExitIsLoggedAndReachesTheCompletionOnTheMainThread) {
  std::optional<platform::ProcessExit> ended;
  auto child = runner.start({"/usr/bin/false", {}}, "Sleep", [&](platform::ProcessExit exit) {
    EXPECT_TRUE(main.isMainThread());
    ended = exit;
  });
  processes.end(child->pid(), {.exited = true, .status = 2});
  main.drain();
  EXPECT_EQ(ended, (platform::ProcessExit{.exited = true, .status = 2}));
  EXPECT_TRUE(logged("Sleep ended with status 2"));
}

TEST_F(CommandRunnerTest, AChildThatCannotStartIsLoggedWithTheReason) {
  processes.refusal = "No such file or directory";
  EXPECT_EQ(runner.start({"/usr/bin/osascript", {}}, "Volume"), nullptr);
  EXPECT_TRUE(logged("Volume did not start: No such file or directory"));
}

TEST_F(CommandRunnerTest, AKeepAwakeValueThatHasPassedRunsNothing) {
  core::ResultRow row{
      command("Keep Awake", core::target::Definition{core::definition::KeepAwake{core::AwakeScope::mac}}),
      std::nullopt, std::nullopt};
  row.action = core::ResolvedAction{
      core::invocation::KeepAwake{core::AwakeScope::mac,
                                  core::invocation::At{base::Date{clock.now().secondsSince1970 - 60}}},
      "", "at"};
  runner.run(row);
  EXPECT_TRUE(processes.children().empty());
  EXPECT_TRUE(logged("Keep Awake did not run: its value is not valid now"));
}

TEST_F(CommandRunnerTest, AKeepAwakeRowStartsTheKeepAwakeUntilItsEnd) {
  core::ResultRow row{
      command("Keep Awake", core::target::Definition{core::definition::KeepAwake{core::AwakeScope::mac}}),
      std::nullopt,
      core::ResolvedAction{core::invocation::KeepAwake{core::AwakeScope::mac, core::invocation::After{600}},
                           "", "600"}};
  runner.run(row);
  EXPECT_EQ(keepAwake.until(), (base::Date{clock.now().secondsSince1970 + 600}));
  EXPECT_EQ(launch(0).arguments, (std::vector<std::string>{"-w", "4242", "-i", "-t", "600"}));
}

TEST_F(CommandRunnerTest, StopKeepingAwakeEndsTheRunningChild) {
  keepAwake.start({"/usr/bin/caffeinate", {"-i", "-t", "60"}}, core::AwakeScope::mac, clock.now());
  runner.run(command("Stop", core::target::StopKeepingAwake{}));
  EXPECT_EQ(processes.children().at(0)->terminateRequests, 1);
  EXPECT_FALSE(keepAwake.until());
}

TEST_F(CommandRunnerTest, RefusedOpensAreLoggedWithTheTitle) {
  workspace.refusal = "no handler";
  runner.run(command("Notes", core::target::App{base::Url::file("/Applications/Notes.app")}));
  runner.run(command("Wi-Fi", core::target::OpenUrl{{"x-apple.systempreferences:wifi"}}));
  runner.runFile(command("a.pdf", core::target::File{base::Url::file("/tmp/a.pdf")}),
                 base::Url::file("/tmp/a.pdf"), true);
  EXPECT_EQ(workspace.requests,
            (std::vector<std::string>{"openApplication /Applications/Notes.app",
                                      "openURL x-apple.systempreferences:wifi", "openFile /tmp/a.pdf"}));
  EXPECT_TRUE(logged("Notes did not open: no handler"));
  EXPECT_TRUE(logged("Wi-Fi did not open"));
  EXPECT_TRUE(logged("A file did not open"));
}

TEST_F(CommandRunnerTest, AFileCommandIsRevealed) {
  runner.run(command("a.pdf", core::target::File{base::Url::file("/tmp/a b.pdf")}));
  EXPECT_EQ(workspace.requests, (std::vector<std::string>{"revealFile /tmp/a b.pdf"}));
}

TEST_F(CommandRunnerTest, AnActionWithoutAValueRunsNothing) {
  runner.run(
      command("Volume", core::target::Definition{core::definition::SetVolume{core::VolumeChannel::output}}));
  EXPECT_TRUE(processes.children().empty());
  EXPECT_TRUE(logged("Volume has no value and did not run"));
}

TEST_F(CommandRunnerTest, ARefusedMenuPressIsLoggedFromTheWorker) {
  accessibility.setActionsSucceed(false);
  runner.run(command("Save", core::target::MenuItem{{accessibility.find("AXTitle", "Save")}}));
  ASSERT_TRUE(main.runUntil([&] { return !log.lines().empty(); }));
  EXPECT_TRUE(logged("Save: the app refused the press or did not answer in time"));
}

TEST_F(CommandRunnerTest, WithoutTheLockCallLockScreenTurnsTheDisplayOff) {
  runner.run(command("Lock Screen", core::target::LockScreen{}));
  EXPECT_EQ(launch(0).executable, "/usr/bin/pmset");
  EXPECT_EQ(launch(0).arguments, (std::vector<std::string>{"displaysleepnow"}));
  EXPECT_TRUE(logged("Lock Screen: this macOS has no lock call. Turning the display off instead"));
}

TEST_F(CommandRunnerTest, AFailedLockCallIsLoggedWithItsResult) {
  files.libraries["/System/Library/PrivateFrameworks/login.framework/Versions/A/login"] = {
      {"SACLockScreenImmediate", reinterpret_cast<void*>(&lockRefused)}};
  runner.run(command("Lock Screen", core::target::LockScreen{}));
  EXPECT_TRUE(processes.children().empty());
  EXPECT_TRUE(logged("Lock Screen did not lock: 5"));
}

TEST_F(CommandRunnerTest, WhereLockingIsAProgramLockScreenRunsIt) {
  CommandRunner program{{starter, keepAwake, workspace, accessibility, sender, pool, files, clock},
                        {.processCall = core::processCall,
                         .lockScreen = core::ProcessCall{"/usr/bin/loginctl", {"lock-session"}},
                         .keepAwakeWatchesLauncher = false}};
  program.run(command("Lock Screen", core::target::LockScreen{}));
  EXPECT_EQ(launch(0).executable, "/usr/bin/loginctl");
}

}  // namespace
}  // namespace quillo::app
