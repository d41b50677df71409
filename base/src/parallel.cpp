#include "quillo/base/parallel.h"

#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace quillo::base {

void runInParallel(std::size_t parts, std::stop_token stop,
                   const std::function<void(std::size_t part, std::stop_token stop)>& work) {
  if (parts == 0) return;
  std::stop_source everyPart;
  const std::stop_callback forward(stop, [&everyPart] { everyPart.request_stop(); });
  std::mutex mutex;
  std::exception_ptr failure;
  const auto guarded = [&](std::size_t part) {
    try {
      work(part, everyPart.get_token());
    } catch (...) {
      {
        const std::lock_guard lock(mutex);
        if (!failure) failure = std::current_exception();
      }
      everyPart.request_stop();
    }
  };
  {
    std::vector<std::jthread> threads;
    threads.reserve(parts - 1);
    try {
      for (std::size_t part = 1; part < parts; ++part)
        threads.emplace_back(guarded, part);
    } catch (...) {
      // No thread to be had: stop those that started; they are joined on the way out.
      everyPart.request_stop();
      throw;
    }
    guarded(0);
  }
  if (failure) std::rethrow_exception(failure);
}

void runInParallel(std::size_t parts, const std::function<void(std::size_t part)>& work) {
  runInParallel(parts, std::stop_token{}, [&work](std::size_t part, std::stop_token) { work(part); });
}

}  // namespace quillo::base
