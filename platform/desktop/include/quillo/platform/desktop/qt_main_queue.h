#pragma once

#include <QObject>
#include <chrono>

#include "quillo/platform/main_queue.h"

namespace quillo::platform::desktop {

// The main queue on Qt's event loop: tasks run on the thread of the application object, in
// the order posted; delayed ones on a timer started there. Make it on that thread, after the
// application object.
class QtMainQueue final : public MainQueue {
 public:
  QtMainQueue();

  void post(Task task) override;
  DelayedTask postAfter(std::chrono::milliseconds delay, Task task) override;
  bool isMainThread() const override;

 private:
  QObject context_;
};

}  // namespace quillo::platform::desktop
