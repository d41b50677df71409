#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "quillo/platform/desktop/xcb_event_thread.h"

namespace quillo::platform::desktop {

// Counts changes of an X selection's owner (CLIPBOARD by default) from XFixes notifications, on
// a connection and a thread of its own: nothing polls the data, and the count moves within
// milliseconds of another client's copy. `onChange` runs on the watcher's thread.
class X11SelectionWatcher {
 public:
  X11SelectionWatcher(const char* display, const std::string& selection, std::function<void()> onChange = {});
  X11SelectionWatcher(const X11SelectionWatcher&) = delete;
  X11SelectionWatcher& operator=(const X11SelectionWatcher&) = delete;

  std::uint64_t changeCount() const { return changes_.load(std::memory_order_acquire); }

 private:
  void handle(const xcb_generic_event_t& event);

  XcbConnection connection_;
  std::function<void()> onChange_;
  const std::uint8_t xfixesEventBase_;
  std::atomic<std::uint64_t> changes_ = 0;
  XcbEventThread events_;
};

}  // namespace quillo::platform::desktop
