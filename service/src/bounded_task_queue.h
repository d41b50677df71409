#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quillo::service {

// The server's connection queue: `workers` threads serve connections, and at most `maxQueued`
// more wait for them. A connection that finds the queue full goes to one refusing thread instead,
// which serves it with `overloaded()` true, so that its request is answered "busy" quickly
// rather than left waiting without bound.
class BoundedTaskQueue final : public httplib::TaskQueue {
 public:
  BoundedTaskQueue(std::size_t workers, std::size_t maxQueued);
  ~BoundedTaskQueue() override;

  void enqueue(std::function<void()> job) override;
  void shutdown() override;

  // True on the refusing thread.
  static bool overloaded();

 private:
  struct Lane {
    std::deque<std::function<void()>> jobs;
    std::condition_variable ready;
  };
  void serve(Lane& lane, bool refusing);

  std::mutex mutex_;
  bool shutdown_ = false;
  std::size_t workers_;
  std::size_t maxQueued_;
  // Connections the workers are serving now.
  std::size_t active_ = 0;
  Lane work_;
  Lane refusals_;
  std::vector<std::thread> threads_;
};

}  // namespace quillo::service
