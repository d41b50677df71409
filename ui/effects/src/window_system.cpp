#include "window_system.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <memory>
#include <string>

namespace quillo::ui {
namespace {

xcb_connection_t* x11Connection() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

bool desktopComposites() {
  xcb_connection_t* connection = x11Connection();
  if (!connection) return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  // A compositing manager owns the selection _NET_WM_CM_S<screen> while it runs.
  const std::string name = "_NET_WM_CM_S0";
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
      xcb_intern_atom_reply(
          connection, xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.data()),
          nullptr),
      &std::free);
  if (!atom || atom->atom == XCB_NONE) return false;
  std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
      &std::free);
  return owner && owner->owner != XCB_NONE;
}

bool windowsCanBePlaced() {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void makeClickThrough(QWidget& window) {
  xcb_connection_t* connection = x11Connection();
  if (!connection) return;
  const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &xcb_shape_id);
  if (!shape || !shape->present) return;
  xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                       static_cast<xcb_window_t>(window.winId()), 0, 0, 0, nullptr);
  xcb_flush(connection);
}

QRect availableAreaUnderPointer() {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

}  // namespace quillo::ui
