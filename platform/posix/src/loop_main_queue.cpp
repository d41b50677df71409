#include "quillo/platform/posix/loop_main_queue.h"

namespace quillo::platform::posix {

LoopMainQueue::LoopMainQueue() : owner_(std::this_thread::get_id()) {}

void LoopMainQueue::post(Task task) {
  postAfter(std::chrono::milliseconds(0), std::move(task));
}

DelayedTask LoopMainQueue::postAfter(std::chrono::milliseconds delay, Task task) {
  DelayedTask handle;
  {
    std::lock_guard lock(mutex_);
    handle = tasks_.add(std::chrono::steady_clock::now() + delay, std::move(task));
  }
  wake_.notify_one();
  return handle;
}

bool LoopMainQueue::isMainThread() const {
  std::lock_guard lock(mutex_);
  return std::this_thread::get_id() == owner_;
}

void LoopMainQueue::run() {
  std::unique_lock lock(mutex_);
  owner_ = std::this_thread::get_id();
  quitting_ = false;
  while (!quitting_) {
    if (auto task = tasks_.takeDue(std::chrono::steady_clock::now())) {
      lock.unlock();
      (*task)();
      lock.lock();
      continue;
    }
    if (const auto due = tasks_.nextDue())
      wake_.wait_until(lock, *due);
    else
      wake_.wait(lock);
  }
}

void LoopMainQueue::quit() {
  {
    std::lock_guard lock(mutex_);
    quitting_ = true;
  }
  wake_.notify_one();
}

}  // namespace quillo::platform::posix
