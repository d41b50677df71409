#include "bounded_task_queue.h"

namespace quillo::service {
namespace {

thread_local bool tRefusing = false;

}  // namespace

BoundedTaskQueue::BoundedTaskQueue(std::size_t workers, std::size_t maxQueued)
    : workers_(std::max<std::size_t>(workers, 1)), maxQueued_(maxQueued) {
  for (std::size_t i = 0; i < workers_; ++i)
    threads_.emplace_back([this] { serve(work_, false); });
  threads_.emplace_back([this] { serve(refusals_, true); });
}

BoundedTaskQueue::~BoundedTaskQueue() {
  shutdown();
}

bool BoundedTaskQueue::overloaded() {
  return tRefusing;
}

void BoundedTaskQueue::enqueue(std::function<void()> job) {
  {
    const std::lock_guard lock(mutex_);
    Lane& lane = active_ + work_.jobs.size() < workers_ + maxQueued_ ? work_ : refusals_;
    lane.jobs.push_back(std::move(job));
    lane.ready.notify_one();
  }
}

void BoundedTaskQueue::shutdown() {
  {
    const std::lock_guard lock(mutex_);
    if (shutdown_) return;
    shutdown_ = true;
  }
  work_.ready.notify_all();
  refusals_.ready.notify_all();
  for (std::thread& thread : threads_)
    thread.join();
}

void BoundedTaskQueue::serve(Lane& lane, bool refusing) {
  tRefusing = refusing;
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      lane.ready.wait(lock, [&] { return shutdown_ || !lane.jobs.empty(); });
      // Connections still queued at shutdown are served, so that each socket is closed.
      if (lane.jobs.empty()) return;
      job = std::move(lane.jobs.front());
      lane.jobs.pop_front();
      if (!refusing) ++active_;
    }
    job();
    if (!refusing) {
      const std::lock_guard lock(mutex_);
      --active_;
    }
  }
}

}  // namespace quillo::service
