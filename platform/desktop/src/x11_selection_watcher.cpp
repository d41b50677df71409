#include "quillo/platform/desktop/x11_selection_watcher.h"

#include <xcb/xfixes.h>

namespace quillo::platform::desktop {
namespace {

// The number of XFixes' first event, once the server has agreed on its version.
std::uint8_t xfixesEventBase(XcbConnection& connection) {
  auto* c = connection.get();
  const auto* extension = xcb_get_extension_data(c, &xcb_xfixes_id);
  if (!extension || !extension->present) throw X11Error("The X server has no XFixes extension.");
  XcbPointer<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
      c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
  if (!version) throw X11Error("The X server refused the XFixes version.");
  return extension->first_event;
}

}  // namespace

X11SelectionWatcher::X11SelectionWatcher(const char* display, const std::string& selection,
                                         std::function<void()> onChange)
    : connection_(display),
      onChange_(std::move(onChange)),
      xfixesEventBase_(xfixesEventBase(connection_)),
      events_(connection_, [this](const xcb_generic_event_t& event) { handle(event); }) {
  auto* c = connection_.get();
  const xcb_window_t window = connection_.createHiddenWindow();
  xcb_xfixes_select_selection_input(c, window, connection_.atom(selection),
                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
  connection_.flush();
}

void X11SelectionWatcher::handle(const xcb_generic_event_t& event) {
  if ((event.response_type & 0x7f) != xfixesEventBase_ + XCB_XFIXES_SELECTION_NOTIFY) return;
  changes_.fetch_add(1, std::memory_order_acq_rel);
  if (onChange_) onChange_();
}

}  // namespace quillo::platform::desktop
