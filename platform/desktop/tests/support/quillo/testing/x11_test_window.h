#pragma once

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "quillo/platform/desktop/xcb_connection.h"

namespace quillo::testing {

using platform::desktop::XcbConnection;
using platform::desktop::XcbPointer;

// Another application's window, on a connection of its own, that records the keys it gets. It is
// mapped and managed by the window manager once constructed.
class TestWindow {
 public:
  TestWindow(const std::string& instance, const std::string& className) {
    auto* c = connection_.get();
    window_ = xcb_generate_id(c);
    const std::uint32_t mask[] = {XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_FOCUS_CHANGE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, connection_.root(), 10, 10, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, mask);
    const std::string wmClass = instance + '\0' + className + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(wmClass.size()), wmClass.data());
    const auto pid = static_cast<std::uint32_t>(getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, connection_.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                        32, 1, &pid);
    xcb_map_window(c, window_);
    connection_.flush();
    waitUntilManaged();
  }

  xcb_window_t id() const { return window_; }

  // The modifier state of the next press of `keycode`; none within a few seconds.
  std::optional<std::uint16_t> nextPressOf(std::uint8_t keycode) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      while (XcbPointer<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get())}) {
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS) continue;
        const auto* key = reinterpret_cast<xcb_key_press_event_t*>(event.get());
        if (key->detail == keycode) return key->state;
      }
      pollfd fd{connection_.fileDescriptor(), POLLIN, 0};
      poll(&fd, 1, 50);
    }
    return std::nullopt;
  }

 private:
  // The window manager marks the windows it manages with WM_STATE; before that it ignores
  // requests to activate them.
  void waitUntilManaged() {
    const xcb_atom_t state = connection_.atom("WM_STATE");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      XcbPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(
          connection_.get(), xcb_get_property(connection_.get(), 0, window_, state, XCB_ATOM_ANY, 0, 1),
          nullptr));
      if (reply && reply->type != XCB_NONE) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  XcbConnection connection_;
  xcb_window_t window_ = 0;
};

}  // namespace quillo::testing
