#include "quillo/platform/timed_tasks.h"

#include <atomic>
#include <memory>

namespace quillo::platform {

DelayedTask TimedTasks::add(TimePoint due, MainQueue::Task task) {
  DelayedTask handle(std::make_shared<std::atomic<bool>>(false));
  heap_.push(Entry{due, nextSequence_++, std::move(task), handle});
  return handle;
}

std::optional<MainQueue::Task> TimedTasks::takeDue(TimePoint now) {
  while (!heap_.empty() && heap_.top().due <= now) {
    // The heap offers only a const top; moving the task out is safe because it is popped next.
    auto& top = const_cast<Entry&>(heap_.top());
    const bool cancelled = top.handle.isCancelled();
    auto task = std::move(top.task);
    heap_.pop();
    if (!cancelled) return task;
  }
  return std::nullopt;
}

std::optional<TimedTasks::TimePoint> TimedTasks::nextDue() const {
  if (heap_.empty()) return std::nullopt;
  return heap_.top().due;
}

}  // namespace quillo::platform
