#include "quillo/platform/desktop/qt_main_queue.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

namespace quillo::platform::desktop {

QtMainQueue::QtMainQueue() = default;

void QtMainQueue::post(Task task) {
  QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

DelayedTask QtMainQueue::postAfter(std::chrono::milliseconds delay, Task task) {
  DelayedTask handle(std::make_shared<std::atomic<bool>>(false));
  const auto due = std::chrono::steady_clock::now() + delay;
  // Timers belong to the thread that starts them: start it on the main thread, for what is left
  // of the delay once it gets there.
  post([this, due, handle, task = std::move(task)]() mutable {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
    QTimer::singleShot(std::max(left, std::chrono::milliseconds(0)), Qt::PreciseTimer, &context_,
                       [handle, task = std::move(task)] {
                         if (!handle.isCancelled()) task();
                       });
  });
  return handle;
}

bool QtMainQueue::isMainThread() const {
  return QThread::currentThread() == context_.thread();
}

}  // namespace quillo::platform::desktop
