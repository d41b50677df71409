#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "quillo/platform/posix/posix_processes.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::posix {
namespace {

std::string contents(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

struct PosixProcessesTest : ::testing::Test {
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  PosixProcesses processes{main};
  testing::TemporaryFolder folder;

  ProcessLaunch shell(std::string script, bool endsWithParent = false, bool detached = false) {
    return {.executable = "/bin/sh",
            .arguments = {"-c", std::move(script), "sh", folder.path().string()},
            .environment = {{"PATH", "/usr/bin:/bin"}},
            .endsWithParent = endsWithParent,
            .detached = detached};
  }
  bool appears(const std::filesystem::path& path) {
    return main.runUntil([&] { return std::filesystem::exists(path); });
  }
};

TEST_F(PosixProcessesTest, ReportsHowTheChildEndedOnTheMainQueue) {
  std::optional<ProcessExit> ended;
  bool onMain = false;
  processes.spawn(shell("exit 3"), [&](ProcessExit exit) {
    ended = exit;
    onMain = main.isMainThread();
  });
  ASSERT_TRUE(main.runUntil([&] { return ended.has_value(); }));
  EXPECT_EQ(*ended, (ProcessExit{.exited = true, .status = 3}));
  EXPECT_TRUE(onMain);
}

TEST_F(PosixProcessesTest, TheChildGetsExactlyTheGivenEnvironment) {
  ProcessLaunch launch = shell("printf '%s|%s' \"$GREETING\" \"${HOME-unset}\" > \"$1/env\"");
  launch.environment["GREETING"] = "hello world";
  bool ended = false;
  processes.spawn(launch, [&](ProcessExit) { ended = true; });
  ASSERT_TRUE(main.runUntil([&] { return ended; }));
  EXPECT_EQ(contents(folder / "env"), "hello world|unset");
}

TEST_F(PosixProcessesTest, AProgramThatCannotStartThrowsTheSystemsReason) {
  for (const auto& [endsWithParent, detached] : {std::pair{false, false}, {true, false}, {false, true}}) {
    ProcessLaunch launch = shell("");
    launch.executable = (folder / "missing").string();
    launch.endsWithParent = endsWithParent;
    launch.detached = detached;
    try {
      processes.spawn(launch, {});
      ADD_FAILURE() << "started with endsWithParent " << endsWithParent << ", detached " << detached;
    } catch (const ProcessError& error) {
      EXPECT_STREQ(error.what(), "No such file or directory");
    }
  }
  ProcessLaunch relative = shell("");
  relative.executable = "sh";
  EXPECT_THROW(processes.spawn(relative, {}), ProcessError);
}

TEST_F(PosixProcessesTest, TerminateEndsTheChildWithSIGTERM) {
  std::optional<ProcessExit> ended;
  auto child = processes.spawn(shell("exec sleep 30"), [&](ProcessExit exit) { ended = exit; });
  child->terminate();
  ASSERT_TRUE(main.runUntil([&] { return ended.has_value(); }));
  EXPECT_EQ(*ended, (ProcessExit{.exited = false, .status = SIGTERM}));
  child->terminate();  // once it has ended, nothing happens
}

TEST_F(PosixProcessesTest, ChildrenStartedElsewhereAreLeftForTheirOwner) {
  pid_t foreign = 0;
  const char* argv[] = {"/bin/sh", "-c", "exit 7", nullptr};
  ASSERT_EQ(::posix_spawn(&foreign, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  bool ended = false;
  processes.spawn(shell("sleep 0.2"), [&](ProcessExit) { ended = true; });
  ASSERT_TRUE(main.runUntil([&] { return ended; }));
  int status = 0;
  ASSERT_EQ(::waitpid(foreign, &status, 0), foreign);
  EXPECT_EQ(WEXITSTATUS(status), 7);
}

TEST_F(PosixProcessesTest, ADetachedChildRunsInASessionOfItsOwnAndIsNeverWaitedFor) {
  bool called = false;
  // Fields 1 and 6 of /proc/PID/stat: the process and its session.
  auto child = processes.spawn(
      shell(
          "set -- \"$1\" $(cat /proc/$$/stat); echo \"$2 $7\" > \"$1/ids.tmp\"; mv \"$1/ids.tmp\" \"$1/ids\"",
          false, true),
      [&](ProcessExit) { called = true; });
  ASSERT_TRUE(appears(folder / "ids"));
  std::istringstream ids(contents(folder / "ids"));
  pid_t pid = 0;
  pid_t session = 0;
  ids >> pid >> session;
  EXPECT_EQ(pid, child->pid());
  EXPECT_NE(session, ::getsid(0));
  main.drain();
  EXPECT_FALSE(called);
}

TEST_F(PosixProcessesTest, AChildThatEndsWithItsParentOutlivesTheAskingThreadButNotTheProgram) {
  std::optional<ProcessExit> helperEnded;
  ProcessLaunch helper{.executable = QUILLO_SPAWN_HELPER,
                       .arguments = {(folder / "helper").string()},
                       .environment = {},
                       .endsWithParent = false,
                       .detached = false};
  std::filesystem::create_directory(folder / "helper");
  // Status 0: the child outlived the helper's thread that started it.
  processes.spawn(helper, [&](ProcessExit exit) { helperEnded = exit; });
  ASSERT_TRUE(main.runUntil([&] { return helperEnded.has_value(); }));
  EXPECT_EQ(*helperEnded, (ProcessExit{.exited = true, .status = 0}));
  EXPECT_TRUE(std::filesystem::exists(folder / "helper" / "started"));
  EXPECT_TRUE(appears(folder / "helper" / "ended"));
}

}  // namespace
}  // namespace quillo::platform::posix
