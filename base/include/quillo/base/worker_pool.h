#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quillo::base {

// A fixed set of threads that run blocking work (HTTP, menu reading, scans, preparing copies)
// off the main thread, in the order it was submitted. Work must not throw: a task catches its
// own failures and reports them (the pool ends the program on an escaped exception, as a
// thread would). The destructor drops work not yet started and waits for the running work.
class WorkerPool {
 public:
  explicit WorkerPool(std::size_t threads = defaultThreadCount());
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void submit(std::function<void()> work);
  // Waits until no work is queued or running. For tests and orderly shutdown.
  void waitUntilIdle();

  // Two threads at least, so that a slow request never holds up a short one; at most eight.
  static std::size_t defaultThreadCount();

 private:
  void runWorker(std::stop_token stop);

  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable idle_;
  std::deque<std::function<void()>> queue_;
  std::size_t running_ = 0;
  std::vector<std::jthread> threads_;
};

}  // namespace quillo::base
