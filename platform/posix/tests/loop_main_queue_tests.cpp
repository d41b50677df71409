#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "quillo/platform/posix/loop_main_queue.h"

namespace quillo::platform::posix {

TEST(LoopMainQueue, RunsTasksByDueTimeThenPostingOrderAndSkipsCancelledOnes) {
  LoopMainQueue queue;
  std::string order;
  queue.postAfter(std::chrono::milliseconds(30), [&] {
    order += "d";
    queue.quit();
  });
  const auto cancelled = queue.postAfter(std::chrono::milliseconds(10), [&] { order += "x"; });
  queue.post([&] { order += "a"; });
  queue.post([&] { order += "b"; });
  queue.postAfter(std::chrono::milliseconds(15), [&] { order += "c"; });
  cancelled.cancel();
  queue.run();
  EXPECT_EQ(order, "abcd");
}

TEST(LoopMainQueue, TasksPostedFromOtherThreadsRunOnTheLoopThread) {
  LoopMainQueue queue;
  bool onMain = false;
  std::jthread worker([&] {
    queue.post([&] {
      onMain = queue.isMainThread();
      queue.quit();
    });
  });
  queue.run();
  EXPECT_TRUE(onMain);
}

}  // namespace quillo::platform::posix
