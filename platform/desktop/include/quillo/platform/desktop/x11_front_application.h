#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "quillo/platform/desktop/front_application_source.h"
#include "quillo/platform/desktop/x11_active_window.h"
#include "quillo/platform/main_queue.h"
#include "quillo/platform/workspace.h"

namespace quillo::platform::desktop {

// The application in front on X11, from the active window: its process, its window class and
// the desktop entry that class belongs to. Activations are handed to the main queue.
class X11FrontApplication final : public FrontApplicationSource {
 public:
  using Entry = FrontEntry;
  // The desktop entry of a window: its StartupWMClass or, failing that, an id equal to its class
  // or instance name. None for windows of programs without one.
  using EntryOfWindow = std::function<std::optional<Entry>(const ActiveWindow&)>;

  X11FrontApplication(MainQueue& main, EntryOfWindow entryOfWindow, Observer onActivation,
                      const char* display = nullptr);
  ~X11FrontApplication() override;

  // The front application now; none when no window is active. Safe on any thread.
  std::optional<FrontApplication> front() const override;

 private:
  static FrontApplication describe(const ActiveWindow& window, const EntryOfWindow& entryOfWindow);

  FrontReports reports_;
  std::unique_ptr<X11ActiveWindow> follower_;
};

}  // namespace quillo::platform::desktop
