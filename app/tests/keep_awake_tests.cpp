#include <gtest/gtest.h>

#include "quillo/app/keep_awake.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/testing/fake_processes.h"
#include "quillo/testing/manual_main_queue.h"

namespace quillo::app {
namespace {

constexpr base::Date kNow{1'800'000'000};
const core::ProcessCall kHour{"/usr/bin/caffeinate", {"-d", "-i", "-t", "3600"}};

struct KeepAwakeTest : ::testing::Test {
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  testing::FakeProcesses processes{main};
  ChildStarter starter{processes};
  core::MemoryDefaultsStore defaults;
  KeepAwake keepAwake{starter, defaults};

  const testing::FakeProcesses::Child& child(std::size_t index) const {
    return *processes.children().at(index);
  }
  bool remembered() const { return defaults.value("keepAwakeUntil") || defaults.value("keepAwakeDisplay"); }
};

TEST_F(KeepAwakeTest, StartsAChildThatWatchesTheLauncherAndRemembersItsEnd) {
  keepAwake.start(kHour, core::AwakeScope::macAndDisplay, base::Date{kNow.secondsSince1970 + 3600});
  ASSERT_EQ(processes.children().size(), 1u);
  EXPECT_EQ(child(0).launch.arguments, (std::vector<std::string>{"-w", "4242", "-d", "-i", "-t", "3600"}));
  EXPECT_TRUE(child(0).launch.endsWithParent);
  EXPECT_EQ(keepAwake.until(), (base::Date{kNow.secondsSince1970 + 3600}));
  EXPECT_EQ(defaults.value("keepAwakeUntil"), core::DefaultsValue(base::Date{kNow.secondsSince1970 + 3600}));
  EXPECT_EQ(defaults.value("keepAwakeDisplay"), core::DefaultsValue(true));
}

TEST_F(KeepAwakeTest, TheChildsEndForgetsIt) {
  int changes = 0;
  keepAwake.setOnChange([&] { ++changes; });
  keepAwake.start(kHour, core::AwakeScope::mac, kNow);
  processes.end(child(0).pid, {.exited = true, .status = 0});
  main.drain();
  EXPECT_FALSE(keepAwake.until());
  EXPECT_FALSE(remembered());
  EXPECT_EQ(changes, 2);
}

TEST_F(KeepAwakeTest, ASecondKeepAwakeEndsTheFirstWhoseLateEndLeavesTheSecondRunning) {
  keepAwake.start(kHour, core::AwakeScope::mac, kNow);
  keepAwake.start(kHour, core::AwakeScope::macAndDisplay, base::Date{kNow.secondsSince1970 + 60});
  EXPECT_EQ(child(0).terminateRequests, 1);
  processes.end(child(0).pid, {.exited = false, .status = 15});
  main.drain();
  EXPECT_EQ(keepAwake.until(), (base::Date{kNow.secondsSince1970 + 60}));
  EXPECT_EQ(defaults.value("keepAwakeDisplay"), core::DefaultsValue(true));
}

TEST_F(KeepAwakeTest, StopAsksTheChildToEndAndForgetsIt) {
  keepAwake.start(kHour, core::AwakeScope::mac, kNow);
  keepAwake.stop();
  EXPECT_EQ(child(0).terminateRequests, 1);
  EXPECT_FALSE(keepAwake.until());
  EXPECT_FALSE(remembered());
}

TEST_F(KeepAwakeTest, ResumeRunsForTheTimeThatIsLeft) {
  defaults.set("keepAwakeUntil", base::Date{kNow.secondsSince1970 + 1800.5});
  defaults.set("keepAwakeDisplay", false);
  keepAwake.resume(kNow);
  ASSERT_EQ(processes.children().size(), 1u);
  EXPECT_EQ(child(0).launch.arguments, (std::vector<std::string>{"-w", "4242", "-i", "-t", "1801"}));
  EXPECT_EQ(keepAwake.until(), (base::Date{kNow.secondsSince1970 + 1800.5}));
}

TEST_F(KeepAwakeTest, ResumeForgetsAnEndThatHasPassed) {
  defaults.set("keepAwakeUntil", base::Date{kNow.secondsSince1970 - 1});
  defaults.set("keepAwakeDisplay", true);
  keepAwake.resume(kNow);
  EXPECT_TRUE(processes.children().empty());
  EXPECT_FALSE(remembered());
}

TEST_F(KeepAwakeTest, ResumeLeavesARunningKeepAwakeAndAStoredValueThatIsNoDateAlone) {
  defaults.set("keepAwakeUntil", "tomorrow");
  keepAwake.resume(kNow);
  EXPECT_TRUE(processes.children().empty());
  EXPECT_EQ(defaults.value("keepAwakeUntil"), core::DefaultsValue("tomorrow"));

  keepAwake.start(kHour, core::AwakeScope::mac, base::Date{kNow.secondsSince1970 + 3600});
  defaults.set("keepAwakeUntil", base::Date{kNow.secondsSince1970 + 60});
  keepAwake.resume(kNow);
  EXPECT_EQ(processes.children().size(), 1u);
}

TEST_F(KeepAwakeTest, AChildThatDoesNotStartLeavesItIdle) {
  processes.refusal = "Permission denied";
  keepAwake.start(kHour, core::AwakeScope::mac, kNow);
  EXPECT_FALSE(keepAwake.until());
  EXPECT_FALSE(remembered());
}

TEST_F(KeepAwakeTest, ADetachedKeepAwakeRunsOnItsOwnAndWritesNothing) {
  KeepAwake detached(starter, defaults, {}, KeepAwake::Role::detached);
  detached.start(kHour, core::AwakeScope::mac, kNow);
  ASSERT_EQ(processes.children().size(), 1u);
  EXPECT_TRUE(child(0).launch.detached);
  EXPECT_EQ(child(0).launch.arguments, kHour.arguments);
  EXPECT_FALSE(remembered());
}

TEST_F(KeepAwakeTest, AToolThatCannotWatchTheLauncherEndsWithItThroughTheSeam) {
  KeepAwake inhibitor(
      starter, defaults,
      {.processCall = core::processCall, .lockScreen = std::nullopt, .keepAwakeWatchesLauncher = false});
  inhibitor.start(kHour, core::AwakeScope::mac, kNow);
  EXPECT_EQ(child(0).launch.arguments, kHour.arguments);
  EXPECT_TRUE(child(0).launch.endsWithParent);
}

}  // namespace
}  // namespace quillo::app
