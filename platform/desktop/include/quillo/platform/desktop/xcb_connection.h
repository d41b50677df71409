#pragma once

#include <xcb/xcb.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillo::platform::desktop {

// The X server could not be reached or refused a request; what() says which.
class X11Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
// A reply or event that xcb allocated.
template <class T>
using XcbPointer = std::unique_ptr<T, FreeDeleter>;

// One connection to an X server. Every facility that waits for events has a connection of its
// own on a thread of its own, so that nothing ever waits on the main thread.
class XcbConnection {
 public:
  // `display` as in DISPLAY; none for the environment's. Throws X11Error when it cannot connect.
  explicit XcbConnection(const char* display = nullptr);
  ~XcbConnection();
  XcbConnection(const XcbConnection&) = delete;
  XcbConnection& operator=(const XcbConnection&) = delete;

  xcb_connection_t* get() const { return connection_; }
  xcb_screen_t* screen() const { return screen_; }
  xcb_window_t root() const { return screen_->root; }
  int fileDescriptor() const { return xcb_get_file_descriptor(connection_); }

  xcb_atom_t atom(std::string_view name);
  std::string atomName(xcb_atom_t atom);
  // An unmapped window of ours that receives selection events.
  xcb_window_t createHiddenWindow(std::uint32_t eventMask = 0);
  void flush() { xcb_flush(connection_); }

 private:
  xcb_connection_t* connection_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
};

}  // namespace quillo::platform::desktop
