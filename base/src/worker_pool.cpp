#include "quillo/base/worker_pool.h"

#include <algorithm>

namespace quillo::base {

WorkerPool::WorkerPool(std::size_t threads) {
  threads_.reserve(threads);
  for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i)
    threads_.emplace_back([this](std::stop_token stop) { runWorker(stop); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    queue_.clear();
  }
  for (auto& thread : threads_)
    thread.request_stop();
  wake_.notify_all();
  threads_.clear();
}

void WorkerPool::submit(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(work));
  }
  wake_.notify_one();
}

void WorkerPool::waitUntilIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [&] { return queue_.empty() && running_ == 0; });
}

std::size_t WorkerPool::defaultThreadCount() {
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 8);
}

void WorkerPool::runWorker(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (true) {
    if (!wake_.wait(lock, stop, [&] { return !queue_.empty(); })) return;
    auto work = std::move(queue_.front());
    queue_.pop_front();
    ++running_;
    lock.unlock();
    work();
    lock.lock();
    --running_;
    if (queue_.empty() && running_ == 0) idle_.notify_all();
  }
}

}  // namespace quillo::base
