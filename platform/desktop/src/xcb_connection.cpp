#include "quillo/platform/desktop/xcb_connection.h"

#include <fmt/format.h>

namespace quillo::platform::desktop {

XcbConnection::XcbConnection(const char* display) {
  int screenNumber = 0;
  connection_ = xcb_connect(display, &screenNumber);
  if (xcb_connection_has_error(connection_)) {
    xcb_disconnect(connection_);
    throw X11Error(fmt::format("Cannot connect to the X display {}.", display ? display : "of DISPLAY"));
  }
  auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
    xcb_screen_next(&screens);
  screen_ = screens.data;
}

XcbConnection::~XcbConnection() {
  xcb_disconnect(connection_);
}

xcb_atom_t XcbConnection::atom(std::string_view name) {
  XcbPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data()),
      nullptr));
  if (!reply) throw X11Error(fmt::format("The X server did not name the atom {}.", name));
  return reply->atom;
}

std::string XcbConnection::atomName(xcb_atom_t atom) {
  XcbPointer<xcb_get_atom_name_reply_t> reply(
      xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr));
  if (!reply) return {};
  return std::string(xcb_get_atom_name_name(reply.get()),
                     static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
}

xcb_window_t XcbConnection::createHiddenWindow(std::uint32_t eventMask) {
  const xcb_window_t window = xcb_generate_id(connection_);
  const std::uint32_t values[] = {eventMask};
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root(), 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, eventMask ? XCB_CW_EVENT_MASK : 0,
                    eventMask ? values : nullptr);
  flush();
  return window;
}

}  // namespace quillo::platform::desktop
