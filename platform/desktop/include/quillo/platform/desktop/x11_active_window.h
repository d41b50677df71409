#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "quillo/platform/desktop/xcb_event_thread.h"

namespace quillo::platform::desktop {

// The window in front, as the window manager reports it (EWMH).
struct ActiveWindow {
  xcb_window_t window = XCB_NONE;
  std::optional<int> pid;    // _NET_WM_PID, when the client set it
  std::string instanceName;  // WM_CLASS, first part ("gnome-terminal-server")
  std::string className;     // WM_CLASS, second part ("Gnome-terminal")
  bool operator==(const ActiveWindow&) const = default;
};

// Follows `_NET_ACTIVE_WINDOW` on the root window on a connection and thread of its own.
// `onChange` runs on that thread whenever the front window changes. Safe for concurrent use.
class X11ActiveWindow {
 public:
  X11ActiveWindow(const char* display, std::function<void(const ActiveWindow&)> onChange);
  X11ActiveWindow(const X11ActiveWindow&) = delete;
  X11ActiveWindow& operator=(const X11ActiveWindow&) = delete;

  // Reads the front window now (a round trip on a connection of the caller's thread).
  static ActiveWindow read(XcbConnection& connection);

 private:
  void handle(const xcb_generic_event_t& event);

  XcbConnection connection_;
  std::function<void(const ActiveWindow&)> onChange_;
  xcb_atom_t activeAtom_ = XCB_NONE;
  ActiveWindow last_;  // the event thread's
  std::optional<XcbEventThread> events_;
};

}  // namespace quillo::platform::desktop
