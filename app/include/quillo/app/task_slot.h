#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <stop_token>
#include <type_traits>
#include <utility>

#include "quillo/base/errors.h"
#include "quillo/base/worker_pool.h"
#include "quillo/platform/main_queue.h"

namespace quillo::app {

// The one background task of a kind that its owner runs (the service request, the menu read, a
// file search). Starting a task requests stop on the previous one, and a task's result or
// failure is applied on the main thread only while that task is still the current one, so a
// late answer never replaces newer results. Used on the main thread only. Destroying the slot
// stops its task, and nothing of it is applied afterwards.
class TaskSlot {
 public:
  TaskSlot(base::WorkerPool& pool, platform::MainQueue& main) : pool_(pool), main_(main) {}
  ~TaskSlot() { cancel(); }
  TaskSlot(const TaskSlot&) = delete;
  TaskSlot& operator=(const TaskSlot&) = delete;

  // Runs work(stop) on the pool, then apply(result) on the main thread; a failure other than
  // Cancelled goes to fail(exception) there instead. Cancelled is dropped silently.
  template <class Work, class Apply>
  void start(Work work, Apply apply, std::function<void(std::exception_ptr)> fail = {}) {
    using Result = std::invoke_result_t<Work&, std::stop_token>;
    cancel();
    auto task = std::make_shared<Task>();
    current_ = task;
    auto body = [&main = main_, task, work = std::move(work), apply = std::move(apply),
                 fail = std::move(fail)]() mutable {
      std::function<void()> deliver;
      try {
        if constexpr (std::is_void_v<Result>) {
          work(task->stop.get_token());
          deliver = [apply = std::move(apply)]() mutable { apply(); };
        } else {
          // Held by a shared pointer so that results that cannot be copied pass through.
          auto result = std::make_shared<Result>(work(task->stop.get_token()));
          deliver = [apply = std::move(apply), result]() mutable { apply(std::move(*result)); };
        }
      } catch (const base::Cancelled&) {
        deliver = {};
      } catch (...) {
        if (fail) deliver = [fail = std::move(fail), error = std::current_exception()] { fail(error); };
      }
      main.post([task, deliver = std::move(deliver)] {
        if (task->stop.stop_requested()) return;
        task->finished = true;
        if (deliver) deliver();
      });
    };
    pool_.submit(std::move(body));
  }

  // Requests stop on the current task; nothing of it is applied any more.
  void cancel() {
    if (current_) current_->stop.request_stop();
    current_.reset();
  }

  // Whether a task was started and has neither been applied nor cancelled.
  bool busy() const { return current_ && !current_->finished; }

 private:
  struct Task {
    std::stop_source stop;
    bool finished = false;  // main thread only
  };

  base::WorkerPool& pool_;
  platform::MainQueue& main_;
  std::shared_ptr<Task> current_;
};

}  // namespace quillo::app
