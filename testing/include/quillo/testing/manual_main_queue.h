#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "quillo/platform/clock.h"
#include "quillo/platform/main_queue.h"
#include "quillo/platform/timed_tasks.h"

namespace quillo::testing {

// A clock that moves only when the test moves it.
class TestClock final : public platform::Clock {
 public:
  std::chrono::steady_clock::time_point steadyNow() const override;
  base::Date now() const override;
  void advance(std::chrono::milliseconds by);
  void setDate(base::Date date);

 private:
  mutable std::mutex mutex_;
  std::chrono::steady_clock::time_point steady_{std::chrono::hours(1000)};
  base::Date date_{1'800'000'000};
};

// A main queue that runs only when the test drains it, on the test's thread, with delays on a
// TestClock: debounces, polls and time-outs are tested without sleeping. Workers may post to it
// from any thread.
class ManualMainQueue final : public platform::MainQueue {
 public:
  explicit ManualMainQueue(TestClock& clock) : clock_(clock), owner_(std::this_thread::get_id()) {}

  void post(Task task) override;
  platform::DelayedTask postAfter(std::chrono::milliseconds delay, Task task) override;
  bool isMainThread() const override { return std::this_thread::get_id() == owner_; }

  // Runs every task due now, including those the tasks post; returns how many ran.
  int drain();
  // Moves the clock in steps to each due time up to `by` later, running what falls due.
  int advance(std::chrono::milliseconds by);
  // Drains as work on other threads posts, until `done` holds; false after `timeout` of real
  // time (the test then fails with its own message rather than hanging).
  bool runUntil(const std::function<bool()>& done,
                std::chrono::milliseconds timeout = std::chrono::seconds(10));
  bool idle() const;

 private:
  TestClock& clock_;
  std::thread::id owner_;
  mutable std::mutex mutex_;
  std::condition_variable posted_;
  platform::TimedTasks tasks_;
};

}  // namespace quillo::testing
