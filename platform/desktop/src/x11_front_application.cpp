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
                                         const char* display)
    : reports_(main, std::move(onActivation)) {
  XcbConnection connection(display);
  // The window in front at start is known, not announced: it is no activation.
  if (const auto now = X11ActiveWindow::read(connection); now.window != XCB_NONE)
    reports_.know(describe(now, entryOfWindow));
  follower_ = std::make_unique<X11ActiveWindow>(
      display, [this, entryOfWindow = std::move(entryOfWindow)](const ActiveWindow& window) {
        reports_.report(window.window != XCB_NONE ? std::optional(describe(window, entryOfWindow))
                                                  : std::nullopt);
      });
}

// The follower's thread stops (first, as the last member) before the reports it makes.
X11FrontApplication::~X11FrontApplication() = default;

std::optional<FrontApplication> X11FrontApplication::front() const {
  return reports_.front();
}

}  // namespace quillo::platform::desktop
