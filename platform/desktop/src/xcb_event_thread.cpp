#include "quillo/platform/desktop/xcb_event_thread.h"

namespace quillo::platform::desktop {

XcbEventThread::XcbEventThread(XcbConnection& connection,
                               std::function<void(const xcb_generic_event_t&)> handle)
    : connection_(connection), wakeWindow_(connection.createHiddenWindow()) {
  thread_ = std::jthread([this, handle = std::move(handle)](std::stop_token stop) {
    while (XcbPointer<xcb_generic_event_t> event{xcb_wait_for_event(connection_.get())}) {
      if (stop.stop_requested()) return;
      handle(*event);
    }
  });
}

XcbEventThread::~XcbEventThread() {
  thread_.request_stop();
  xcb_client_message_event_t wake{};
  wake.response_type = XCB_CLIENT_MESSAGE;
  wake.format = 32;
  wake.window = wakeWindow_;
  xcb_send_event(connection_.get(), 0, wakeWindow_, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&wake));
  connection_.flush();
  thread_.join();
  xcb_destroy_window(connection_.get(), wakeWindow_);
  connection_.flush();
}

}  // namespace quillo::platform::desktop
