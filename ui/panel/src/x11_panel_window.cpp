#include "x11_panel_window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <array>
#include <cstdlib>
#include <cstring>

namespace quillo::ui {
namespace {

xcb_connection_t* x11Connection() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  const auto cookie = xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  std::free(reply);
  return result;
}

xcb_window_t rootOf(xcb_connection_t* connection) {
  return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

void sendToRoot(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t type,
                const std::array<std::uint32_t, 5>& data) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = type;
  std::memcpy(message.data.data32, data.data(), sizeof(message.data.data32));
  xcb_send_event(connection, 0, rootOf(connection),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
}

}  // namespace

void keepOutOfTaskbar(QWidget& window) {
  xcb_connection_t* connection = x11Connection();
  if (!connection) return;
  const auto id = xcb_window_t(window.winId());
  const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
  const std::array<xcb_atom_t, 2> skips{atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                        atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
  if (window.isVisible()) {
    // A mapped window's state belongs to the window manager: ask it. 1 adds; 2 says a pager asks.
    sendToRoot(connection, id, state, {1, skips[0], skips[1], 2, 0});
  } else {
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, skips.size(),
                        skips.data());
  }
  xcb_flush(connection);
}

void setStartupToken(QWidget& window, const std::string& token) {
  xcb_connection_t* connection = x11Connection();
  if (!connection || token.empty()) return;
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()),
                      atom(connection, "_NET_STARTUP_ID"), atom(connection, "UTF8_STRING"), 8,
                      std::uint32_t(token.size()), token.data());
  xcb_flush(connection);
}

void activateMappedWindow(QWidget& window) {
  xcb_connection_t* connection = x11Connection();
  if (!connection) return;
  // Source 2 (a pager), the current time, no window of ours active before.
  sendToRoot(connection, xcb_window_t(window.winId()), atom(connection, "_NET_ACTIVE_WINDOW"),
             {2, XCB_CURRENT_TIME, 0, 0, 0});
  xcb_flush(connection);
}

}  // namespace quillo::ui
