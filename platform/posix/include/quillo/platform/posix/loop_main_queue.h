#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "quillo/platform/main_queue.h"
#include "quillo/platform/timed_tasks.h"

namespace quillo::platform::posix {

// A main queue on the real clock for programs without a desktop event loop (`quillo-cli
// session`): the thread that calls `run` is the main thread until `quit`.
class LoopMainQueue final : public MainQueue {
 public:
  LoopMainQueue();

  void post(Task task) override;
  DelayedTask postAfter(std::chrono::milliseconds delay, Task task) override;
  bool isMainThread() const override;

  // Runs tasks as they fall due until `quit` is called (from a task or any thread).
  void run();
  void quit();

 private:
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  TimedTasks tasks_;
  bool quitting_ = false;
  std::thread::id owner_;
};

}  // namespace quillo::platform::posix
