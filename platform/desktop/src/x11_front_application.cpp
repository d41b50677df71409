#include "quillo/platform/desktop/x11_front_application.h"

namespace quillo::platform::desktop {

FrontApplication X11FrontApplication::describe(const ActiveWindow& window,
                                               const EntryOfWindow& entryOfWindow) {
  FrontApplication application{window.pid.value_or(0), {}, {}, window.className};
  if (const auto entry = entryOfWindow(window)) {
    application.id = entry->id;
    application.name = entry->name;
  }
  return application;
}

X11FrontApplication::X11FrontApplication(MainQueue& main, EntryOfWindow entryOfWindow, Observer onActivation,
                                         const char* display) {
  shared_->observer = std::move(onActivation);
  XcbConnection connection(display);
  if (const auto now = X11ActiveWindow::read(connection); now.window != XCB_NONE)
    shared_->front = describe(now, entryOfWindow);
  follower_ = std::make_unique<X11ActiveWindow>(
      display,
      [&main, shared = shared_, entryOfWindow = std::move(entryOfWindow)](const ActiveWindow& window) {
        std::optional<FrontApplication> front;
        if (window.window != XCB_NONE) front = describe(window, entryOfWindow);
        {
          std::lock_guard lock(shared->mutex);
          shared->front = front;
        }
        if (!front) return;
        main.post([shared, front = *front] {
          Observer observer;
          {
            std::lock_guard lock(shared->mutex);
            if (!shared->alive) return;
            observer = shared->observer;
          }
          if (observer) observer(front);
        });
      });
}

X11FrontApplication::~X11FrontApplication() {
  follower_.reset();
  std::lock_guard lock(shared_->mutex);
  shared_->alive = false;
}

std::optional<FrontApplication> X11FrontApplication::front() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->front;
}

}  // namespace quillo::platform::desktop
