#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/platform/desktop/selection_backend.h"
#include "quillo/platform/desktop/xcb_connection.h"

namespace quillo::platform::desktop {

// Reads an X selection's targets and values on a connection of its own. Blocking: call it from
// a worker thread. Large values arrive in INCR chunks; the cap is checked as they arrive, so a
// value over the cap is never held whole. Not safe for concurrent use.
class X11SelectionReader {
 public:
  struct Options {
    std::string selection = "CLIPBOARD";
    std::chrono::milliseconds timeout{1000};
  };

  explicit X11SelectionReader(const char* display, Options options);
  explicit X11SelectionReader(const char* display) : X11SelectionReader(display, Options{}) {}

  // The owner's targets by name ("TARGETS", "UTF8_STRING", "text/html", …); empty without owner.
  std::vector<std::string> targets();
  SelectionRead read(std::string_view target, std::size_t cap);

 private:
  SelectionRead readIncrementally(std::size_t cap);
  xcb_generic_event_t* waitFor(std::uint8_t responseType, std::chrono::steady_clock::time_point deadline);

  XcbConnection connection_;
  Options options_;
  xcb_window_t window_ = 0;
  xcb_atom_t selection_ = 0;
  std::array<xcb_atom_t, 8> properties_{};
  std::size_t nextProperty_ = 0;
  xcb_atom_t property_ = 0;
  xcb_atom_t incr_ = 0;
};

}  // namespace quillo::platform::desktop
