#pragma once

#include <functional>
#include <thread>

#include "quillo/platform/desktop/xcb_connection.h"

namespace quillo::platform::desktop {

// Reads a connection's events on a thread of its own and hands each to `handle` there. It waits
// inside xcb rather than on the socket: replies read by other threads of the connection pull
// events into xcb's queue, and a wait on the socket would sleep through them. Destroying it
// wakes the thread with a message to a window of its own and joins it. Declare it after
// everything `handle` uses.
class XcbEventThread {
 public:
  XcbEventThread(XcbConnection& connection, std::function<void(const xcb_generic_event_t&)> handle);
  ~XcbEventThread();
  XcbEventThread(const XcbEventThread&) = delete;
  XcbEventThread& operator=(const XcbEventThread&) = delete;

 private:
  XcbConnection& connection_;
  xcb_window_t wakeWindow_ = 0;
  std::jthread thread_;
};

}  // namespace quillo::platform::desktop
