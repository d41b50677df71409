#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "quillo/base/errors.h"
#include "quillo/base/parallel.h"

namespace quillo::base {
namespace {

using namespace std::chrono_literals;

// Holds each part until `expected` parts are inside together, or until a generous guard ends
// the wait so that a failing run reports instead of hanging.
class Gathering {
 public:
  explicit Gathering(std::size_t expected) : expected_(expected) {}

  void enter() {
    std::unique_lock lock(mutex_);
    ++inside_;
    peak_ = std::max(peak_, inside_);
    changed_.notify_all();
    changed_.wait_for(lock, 20s, [&] { return peak_ >= expected_; });
  }

  std::size_t peak() const {
    const std::lock_guard lock(mutex_);
    return peak_;
  }

 private:
  const std::size_t expected_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t inside_ = 0;
  std::size_t peak_ = 0;
};

TEST(Parallel, EveryPartRunsAtOnce) {
  constexpr std::size_t kParts = 12;
  Gathering gathering(kParts);
  std::vector<int> ran(kParts, 0);
  runInParallel(kParts, [&](std::size_t part) {
    gathering.enter();
    ran[part] = 1;
  });
  EXPECT_EQ(gathering.peak(), kParts);
  EXPECT_EQ(ran, std::vector<int>(kParts, 1));
}

TEST(Parallel, PartZeroRunsOnTheCallingThread) {
  std::thread::id zero;
  runInParallel(3, [&](std::size_t part) {
    if (part == 0) zero = std::this_thread::get_id();
  });
  EXPECT_EQ(zero, std::this_thread::get_id());
}

TEST(Parallel, FirstFailureIsRethrownOnceEveryPartHasEnded) {
  std::atomic<int> ended{0};
  try {
    runInParallel(4, [&](std::size_t part) {
      ++ended;
      if (part == 2) throw std::invalid_argument("part 2");
    });
    FAIL() << "no failure";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "part 2");
  }
  EXPECT_EQ(ended.load(), 4);
}

TEST(Parallel, AFailureStopsTheOtherParts) {
  std::atomic<int> stopped{0};
  EXPECT_THROW(runInParallel(3, std::stop_token{},
                             [&](std::size_t part, std::stop_token stop) {
                               if (part == 0) throw std::runtime_error("first");
                               std::mutex mutex;
                               std::condition_variable_any never;
                               std::unique_lock lock(mutex);
                               never.wait(lock, stop, [] { return false; });
                               if (stop.stop_requested()) ++stopped;
                             }),
               std::runtime_error);
  EXPECT_EQ(stopped.load(), 2);
}

TEST(Parallel, TheCallersStopReachesEveryPart) {
  std::stop_source caller;
  std::atomic<int> started{0};
  std::jthread canceller([&] {
    while (started.load() < 3)
      std::this_thread::yield();
    caller.request_stop();
  });
  runInParallel(3, caller.get_token(), [&](std::size_t, std::stop_token stop) {
    ++started;
    std::mutex mutex;
    std::condition_variable_any never;
    std::unique_lock lock(mutex);
    never.wait(lock, stop, [] { return false; });
  });
  EXPECT_TRUE(caller.stop_requested());
}

TEST(Parallel, NoPartsRunNothing) {
  bool ran = false;
  runInParallel(0, [&](std::size_t) { ran = true; });
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace quillo::base
