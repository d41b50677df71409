#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace quillo::platform {

// A task posted to run later that can be called off until it has started.
class DelayedTask {
 public:
  DelayedTask() = default;
  explicit DelayedTask(std::shared_ptr<std::atomic<bool>> cancelled) : cancelled_(std::move(cancelled)) {}

  // After this the task does not run (unless it has already started). Safe on any thread.
  void cancel() const {
    if (cancelled_) cancelled_->store(true);
  }
  bool isCancelled() const { return !cancelled_ || cancelled_->load(); }

 private:
  std::shared_ptr<std::atomic<bool>> cancelled_;
};

// The thread that owns all view-model state. Tasks run on it one at a time, in the order of
// their due times, and tasks due at the same time in the order they were posted.
// `post` and `postAfter` are safe on any thread.
class MainQueue {
 public:
  using Task = std::function<void()>;

  virtual ~MainQueue() = default;

  virtual void post(Task task) = 0;
  virtual DelayedTask postAfter(std::chrono::milliseconds delay, Task task) = 0;
  // True on the queue's own thread.
  virtual bool isMainThread() const = 0;
};

}  // namespace quillo::platform
