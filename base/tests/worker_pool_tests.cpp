#include <gtest/gtest.h>

#include <atomic>
#include <latch>

#include "quillo/base/worker_pool.h"

namespace quillo::base {

TEST(WorkerPool, RunsWorkOnThreadsOtherThanTheCaller) {
  WorkerPool pool(2);
  std::atomic<int> done = 0;
  std::atomic<bool> onCaller = false;
  const auto caller = std::this_thread::get_id();
  for (int i = 0; i < 50; ++i)
    pool.submit([&] {
      if (std::this_thread::get_id() == caller) onCaller = true;
      ++done;
    });
  pool.waitUntilIdle();
  EXPECT_EQ(done, 50);
  EXPECT_FALSE(onCaller);
}

TEST(WorkerPool, ASlowTaskDoesNotHoldUpAShortOne) {
  WorkerPool pool(2);
  std::latch release(1);
  std::latch shortDone(1);
  pool.submit([&] { release.wait(); });
  pool.submit([&] { shortDone.count_down(); });
  shortDone.wait();  // would hang if the pool ran one task at a time
  release.count_down();
  pool.waitUntilIdle();
}

TEST(WorkerPool, DestroyingItDropsQueuedWorkAndWaitsForRunningWork) {
  std::atomic<int> ran = 0;
  std::latch started(1);
  {
    WorkerPool pool(1);
    pool.submit([&] {
      started.count_down();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ++ran;
    });
    started.wait();
    for (int i = 0; i < 10; ++i)
      pool.submit([&] { ran += 100; });
  }
  EXPECT_EQ(ran, 1);
}

}  // namespace quillo::base
