#include "quillo/testing/manual_main_queue.h"

namespace quillo::testing {

std::chrono::steady_clock::time_point TestClock::steadyNow() const {
  std::lock_guard lock(mutex_);
  return steady_;
}

base::Date TestClock::now() const {
  std::lock_guard lock(mutex_);
  return date_;
}

void TestClock::advance(std::chrono::milliseconds by) {
  std::lock_guard lock(mutex_);
  steady_ += by;
  date_.secondsSince1970 += std::chrono::duration<double>(by).count();
}

void TestClock::setDate(base::Date date) {
  std::lock_guard lock(mutex_);
  date_ = date;
}

void ManualMainQueue::post(Task task) {
  postAfter(std::chrono::milliseconds(0), std::move(task));
}

platform::DelayedTask ManualMainQueue::postAfter(std::chrono::milliseconds delay, Task task) {
  platform::DelayedTask handle;
  {
    std::lock_guard lock(mutex_);
    handle = tasks_.add(clock_.steadyNow() + delay, std::move(task));
  }
  posted_.notify_all();
  return handle;
}

int ManualMainQueue::drain() {
  int ran = 0;
  while (true) {
    std::optional<Task> task;
    {
      std::lock_guard lock(mutex_);
      task = tasks_.takeDue(clock_.steadyNow());
    }
    if (!task) return ran;
    (*task)();
    ++ran;
  }
}

int ManualMainQueue::advance(std::chrono::milliseconds by) {
  const auto end = clock_.steadyNow() + by;
  int ran = drain();
  while (true) {
    std::optional<std::chrono::steady_clock::time_point> due;
    {
      std::lock_guard lock(mutex_);
      due = tasks_.nextDue();
    }
    if (!due || *due > end) break;
    if (*due > clock_.steadyNow())
      clock_.advance(std::chrono::duration_cast<std::chrono::milliseconds>(*due - clock_.steadyNow()));
    ran += drain();
  }
  if (end > clock_.steadyNow())
    clock_.advance(std::chrono::duration_cast<std::chrono::milliseconds>(end - clock_.steadyNow()));
  return ran + drain();
}

bool ManualMainQueue::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    drain();
    if (done()) return true;
    std::unique_lock lock(mutex_);
    const auto due = tasks_.nextDue();
    if (due && *due <= clock_.steadyNow()) continue;
    // A short slice: `done` may also turn true through work that posts nothing.
    posted_.wait_for(lock, std::chrono::milliseconds(5));
    if (std::chrono::steady_clock::now() >= deadline) {
      lock.unlock();
      drain();
      return done();
    }
  }
}

bool ManualMainQueue::idle() const {
  std::lock_guard lock(mutex_);
  const auto due = tasks_.nextDue();
  return !due || *due > clock_.steadyNow();
}

}  // namespace quillo::testing
