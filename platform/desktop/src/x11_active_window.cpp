#include "quillo/platform/desktop/x11_active_window.h"

#include <cstring>

namespace quillo::platform::desktop {
namespace {

std::string propertyBytes(XcbConnection& connection, xcb_window_t window, xcb_atom_t property,
                          xcb_atom_t type) {
  auto* c = connection.get();
  XcbPointer<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr));
  if (!reply || reply->type == XCB_NONE) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

std::optional<std::uint32_t> cardinal(XcbConnection& connection, xcb_window_t window, xcb_atom_t property,
                                      xcb_atom_t type) {
  const auto bytes = propertyBytes(connection, window, property, type);
  if (bytes.size() < 4) return std::nullopt;
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data(), 4);
  return value;
}

}  // namespace

ActiveWindow X11ActiveWindow::read(XcbConnection& connection) {
  ActiveWindow active;
  const auto window =
      cardinal(connection, connection.root(), connection.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
  if (!window || *window == XCB_NONE) return active;
  active.window = *window;
  if (const auto pid = cardinal(connection, *window, connection.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL))
    active.pid = static_cast<int>(*pid);
  const auto wmClass = propertyBytes(connection, *window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
  const auto split = wmClass.find('\0');
  active.instanceName = wmClass.substr(0, split);
  if (split != std::string::npos) {
    const auto rest = wmClass.substr(split + 1);
    active.className = rest.substr(0, rest.find('\0'));
  }
  return active;
}

X11ActiveWindow::X11ActiveWindow(const char* display, std::function<void(const ActiveWindow&)> onChange)
    : connection_(display), onChange_(std::move(onChange)) {
  activeAtom_ = connection_.atom("_NET_ACTIVE_WINDOW");
  const std::uint32_t mask[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
  xcb_change_window_attributes(connection_.get(), connection_.root(), XCB_CW_EVENT_MASK, mask);
  connection_.flush();
  last_ = read(connection_);
  events_.emplace(connection_, [this](const xcb_generic_event_t& event) { handle(event); });
}

void X11ActiveWindow::handle(const xcb_generic_event_t& event) {
  if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY ||
      reinterpret_cast<const xcb_property_notify_event_t&>(event).atom != activeAtom_)
    return;
  auto now = read(connection_);
  if (now == last_) return;
  last_ = now;
  onChange_(now);
}

}  // namespace quillo::platform::desktop
