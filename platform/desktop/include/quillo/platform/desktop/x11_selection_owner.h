#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "quillo/platform/desktop/xcb_event_thread.h"

namespace quillo::platform::desktop {

// Holds an X selection (CLIPBOARD by default) with values we copied and serves them to the
// programs that paste, on a connection and thread of its own, in INCR chunks where they are
// large. Safe for concurrent use.
class X11SelectionOwner {
 public:
  explicit X11SelectionOwner(const char* display, const std::string& selection = "CLIPBOARD");
  X11SelectionOwner(const X11SelectionOwner&) = delete;
  X11SelectionOwner& operator=(const X11SelectionOwner&) = delete;

  // Takes the selection and serves these values (target name → bytes) until another program
  // takes it. An empty map takes it with nothing to paste, which is how it is cleared.
  void own(std::map<std::string, std::string> values);
  bool owns() const { return owns_.load(); }

 private:
  struct Transfer {
    xcb_window_t requestor;
    xcb_atom_t property;
    xcb_atom_t type;
    std::string value;
    std::size_t sent = 0;
  };

  void handle(const xcb_generic_event_t& event);
  void answer(const xcb_selection_request_event_t& request);
  void continueTransfer(const xcb_property_notify_event_t& notice);
  xcb_timestamp_t serverTime();

  XcbConnection connection_;
  xcb_window_t window_ = 0;
  xcb_atom_t selection_ = 0;
  xcb_atom_t targetsAtom_ = 0;
  xcb_atom_t timestampAtom_ = 0;
  xcb_atom_t incrAtom_ = 0;
  xcb_atom_t timeProbe_ = 0;
  std::size_t chunk_ = 0;
  std::mutex mutex_;
  std::map<xcb_atom_t, std::string> values_;
  xcb_timestamp_t ownedSince_ = 0;
  std::vector<Transfer> transfers_;
  std::atomic<bool> owns_ = false;
  std::condition_variable timeArrived_;
  std::uint64_t timeProbes_ = 0;
  std::uint64_t timesSeen_ = 0;
  xcb_timestamp_t lastTime_ = 0;
  std::optional<XcbEventThread> events_;
};

}  // namespace quillo::platform::desktop
