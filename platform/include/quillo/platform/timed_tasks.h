#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <queue>
#include <vector>

#include "quillo/platform/main_queue.h"

namespace quillo::platform {

// The tasks of a main queue ordered by due time, then by the order they were posted. Not
// thread-safe: the queue that owns it holds its lock around every call.
class TimedTasks {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  DelayedTask add(TimePoint due, MainQueue::Task task);
  // The earliest task due at or before `now` that was not cancelled; cancelled ones are dropped.
  std::optional<MainQueue::Task> takeDue(TimePoint now);
  // When the earliest task falls due; none when nothing waits.
  std::optional<TimePoint> nextDue() const;
  bool empty() const { return heap_.empty(); }

 private:
  struct Entry {
    TimePoint due;
    std::uint64_t sequence;
    MainQueue::Task task;
    DelayedTask handle;
  };
  struct Later {
    bool operator()(const Entry& a, const Entry& b) const {
      return a.due != b.due ? a.due > b.due : a.sequence > b.sequence;
    }
  };

  std::priority_queue<Entry, std::vector<Entry>, Later> heap_;
  std::uint64_t nextSequence_ = 0;
};

}  // namespace quillo::platform
