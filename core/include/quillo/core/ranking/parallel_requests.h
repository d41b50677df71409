#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <stop_token>
#include <utility>

#include "quillo/base/errors.h"
#include "quillo/base/parallel.h"

namespace quillo::core {

// Sends `count` requests all at once, each on a thread of its own, so that the waiting time is
// that of the slowest: ask(k, stop) → Answer. The calling thread alone hands each answer to
// collect(k, answer), in the order they arrive, so collect needs no lock. The first failure
// stops the other requests and is rethrown once they have ended; a stop request from the caller
// ends with the requests' cancellation (base::Cancelled when nothing else failed).
template <class Answer, class Ask, class Collect>
void askInParallel(std::size_t count, std::stop_token stop, Ask&& ask, Collect&& collect) {
  base::throwIfCancelled(stop);
  if (count == 1) {
    // One request starts no thread.
    collect(std::size_t{0}, ask(std::size_t{0}, stop));
    return;
  }
  std::mutex mutex;
  std::condition_variable_any arrived;
  std::deque<std::pair<std::size_t, Answer>> ready;
  std::size_t ended = 0;
  std::size_t collected = 0;
  const auto end = [&] {
    {
      const std::lock_guard lock(mutex);
      ++ended;
    }
    arrived.notify_one();
  };

  // Part 0, the calling thread, collects; part k + 1 asks request k.
  base::runInParallel(count + 1, stop, [&](std::size_t part, std::stop_token partStop) {
    if (part > 0) {
      try {
        Answer answer = ask(part - 1, partStop);
        const std::lock_guard lock(mutex);
        ready.emplace_back(part - 1, std::move(answer));
      } catch (...) {
        end();
        throw;
      }
      end();
      return;
    }
    std::unique_lock lock(mutex);
    while (arrived.wait(lock, partStop, [&] { return !ready.empty() || ended == count; })) {
      while (!ready.empty()) {
        auto [k, answer] = std::move(ready.front());
        ready.pop_front();
        lock.unlock();
        collect(k, std::move(answer));
        ++collected;
        lock.lock();
      }
      if (ended == count) return;
    }
  });
  if (collected < count) throw base::Cancelled();
}

}  // namespace quillo::core
