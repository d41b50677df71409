#include <gtest/gtest.h>

#include <latch>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "quillo/app/task_slot.h"
#include "quillo/testing/manual_main_queue.h"

namespace quillo::app {
namespace {

struct TaskSlotTest : ::testing::Test {
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  base::WorkerPool pool{2};
};

TEST_F(TaskSlotTest, AppliesTheResultOnTheMainThread) {
  TaskSlot slot(pool, main);
  std::optional<int> applied;
  bool onMain = false;
  slot.start([](std::stop_token) { return 42; },
             [&](int value) {
               applied = value;
               onMain = main.isMainThread();
             });
  ASSERT_TRUE(main.runUntil([&] { return applied.has_value(); }));
  EXPECT_EQ(*applied, 42);
  EXPECT_TRUE(onMain);
  EXPECT_FALSE(slot.busy());
}

TEST_F(TaskSlotTest, ALateResultNeverReplacesTheNewerOne) {
  TaskSlot slot(pool, main);
  std::latch releaseFirst(1);
  std::vector<std::string> applied;
  bool firstSawStop = false;
  slot.start(
      [&](std::stop_token stop) {
        releaseFirst.wait();
        firstSawStop = stop.stop_requested();
        return std::string("old");
      },
      [&](const std::string& value) { applied.push_back(value); });
  slot.start([](std::stop_token) { return std::string("new"); },
             [&](const std::string& value) { applied.push_back(value); });
  ASSERT_TRUE(main.runUntil([&] { return !applied.empty(); }));
  releaseFirst.count_down();
  pool.waitUntilIdle();
  main.drain();
  EXPECT_EQ(applied, std::vector<std::string>{"new"});
  EXPECT_TRUE(firstSawStop);
}

TEST_F(TaskSlotTest, FailuresReachTheMainThreadAndCancellationIsSilent) {
  TaskSlot slot(pool, main);
  std::string failure;
  slot.start([](std::stop_token) -> int { throw std::runtime_error("no answer"); }, [](int) {},
             [&](std::exception_ptr error) {
               try {
                 std::rethrow_exception(std::move(error));
               } catch (const std::exception& e) {
                 failure = e.what();
               }
             });
  ASSERT_TRUE(main.runUntil([&] { return !failure.empty(); }));
  EXPECT_EQ(failure, "no answer");

  bool called = false;
  slot.start([](std::stop_token) -> int { throw base::Cancelled(); }, [&](int) { called = true; },
             [&](const std::exception_ptr&) { called = true; });
  pool.waitUntilIdle();
  main.drain();
  EXPECT_FALSE(called);
  EXPECT_FALSE(slot.busy());
}

TEST_F(TaskSlotTest, NothingIsAppliedAfterTheSlotIsGone) {
  bool applied = false;
  {
    TaskSlot slot(pool, main);
    slot.start([](std::stop_token) { return 1; }, [&](int) { applied = true; });
    pool.waitUntilIdle();
  }
  main.drain();
  EXPECT_FALSE(applied);
}

}  // namespace
}  // namespace quillo::app
