#include "quillo/platform/desktop/x11_selection_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xfixes.h>

namespace quillo::platform::desktop {

X11SelectionWatcher::X11SelectionWatcher(const char* display, std::string selection,
                                         std::function<void()> onChange)
    : connection_(display), onChange_(std::move(onChange)) {
  auto* c = connection_.get();
  const auto* extension = xcb_get_extension_data(c, &xcb_xfixes_id);
  if (!extension || !extension->present) throw X11Error("The X server has no XFixes extension.");
  xfixesEventBase_ = extension->first_event;
  XcbPointer<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
      c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
  if (!version) throw X11Error("The X server refused the XFixes version.");
  const xcb_window_t window = connection_.createHiddenWindow();
  xcb_xfixes_select_selection_input(c, window, connection_.atom(selection),
                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
  connection_.flush();
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) throw X11Error("Cannot make the watcher's wake-up descriptor.");
  thread_ = std::jthread([this](std::stop_token stop) { watch(stop); });
}

X11SelectionWatcher::~X11SelectionWatcher() {
  thread_.request_stop();
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
  thread_.join();
  close(wakeFd_);
}

void X11SelectionWatcher::watch(std::stop_token stop) {
  auto* c = connection_.get();
  pollfd fds[] = {{connection_.fileDescriptor(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
  while (!stop.stop_requested()) {
    while (XcbPointer<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
      if ((event->response_type & 0x7f) == xfixesEventBase_ + XCB_XFIXES_SELECTION_NOTIFY) {
        changes_.fetch_add(1, std::memory_order_acq_rel);
        if (onChange_) onChange_();
      }
    }
    if (xcb_connection_has_error(c)) return;
    poll(fds, 2, -1);
  }
}

}  // namespace quillo::platform::desktop
