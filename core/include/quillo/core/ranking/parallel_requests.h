#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

#include "quillo/base/errors.h"

namespace quillo::core {

// Sends `count` requests, at most `width` at a time, each on a worker thread:
// ask(k, stop) → Answer. The calling thread alone hands each answer to collect(k, answer), in
// the order they arrive, so collect needs no lock. The first failure stops the other requests
// and is rethrown once they have ended; a stop request from the caller ends with the requests'
// cancellation (base::Cancelled when nothing else failed).
template <class Answer, class Ask, class Collect>
void askInParallel(std::size_t count, std::size_t width, std::stop_token stop, Ask&& ask, Collect&& collect) {
  if (stop.stop_requested()) throw base::Cancelled();
  if (count == 1) {
    // One request starts no thread.
    collect(std::size_t{0}, ask(std::size_t{0}, stop));
    return;
  }
  std::stop_source children;
  const std::stop_callback forward(stop, [&children] { children.request_stop(); });
  std::mutex mutex;
  std::condition_variable arrived;
  std::deque<std::pair<std::size_t, Answer>> ready;
  std::exception_ptr failure;
  std::size_t workersDone = 0;
  std::atomic<std::size_t> next{0};

  const auto work = [&] {
    for (std::size_t k = next++; k < count && !children.stop_requested(); k = next++) {
      try {
        Answer answer = ask(k, children.get_token());
        const std::lock_guard lock(mutex);
        ready.emplace_back(k, std::move(answer));
      } catch (...) {
        const std::lock_guard lock(mutex);
        if (!failure) failure = std::current_exception();
        children.request_stop();
      }
      arrived.notify_one();
    }
    const std::lock_guard lock(mutex);
    ++workersDone;
    arrived.notify_one();
  };

  const std::size_t workers = std::min(count, std::max<std::size_t>(width, 1));
  std::size_t collected = 0;
  {
    std::vector<std::jthread> threads;
    threads.reserve(workers);
    for (std::size_t w = 0; w < workers; ++w)
      threads.emplace_back(work);
    try {
      std::unique_lock lock(mutex);
      while (true) {
        arrived.wait(lock, [&] { return !ready.empty() || failure || workersDone == workers; });
        if (failure) break;
        while (!ready.empty()) {
          auto [k, answer] = std::move(ready.front());
          ready.pop_front();
          lock.unlock();
          collect(k, std::move(answer));
          ++collected;
          lock.lock();
        }
        if (workersDone == workers) break;
      }
    } catch (...) {
      children.request_stop();
      throw;
    }
  }
  if (failure) std::rethrow_exception(failure);
  if (collected < count) throw base::Cancelled();
}

}  // namespace quillo::core
