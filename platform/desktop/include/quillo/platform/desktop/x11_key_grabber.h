#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "quillo/platform/desktop/xcb_event_thread.h"

namespace quillo::platform::desktop {

// Global shortcuts on X11: each one is grabbed on the root window once for every combination of
// the lock modifiers (NumLock, CapsLock), so that NumLock never kills a shortcut, and grabbed
// again when the keymap changes. Events are read on a connection and thread of their own;
// `onEvent(id, pressed)` runs on that thread, once per press and once per release: the keyboard's
// auto-repeat gives no further presses. Safe for concurrent use.
class X11KeyGrabber {
 public:
  enum class Grab { grabbed, alreadyTaken };

  X11KeyGrabber(const char* display, std::function<void(int id, bool pressed)> onEvent);
  X11KeyGrabber(const X11KeyGrabber&) = delete;
  X11KeyGrabber& operator=(const X11KeyGrabber&) = delete;

  // `keycode` is an X keycode, `modifiers` an X modifier mask without lock modifiers.
  // alreadyTaken when another program holds the combination (the X server's BadAccess).
  Grab grab(int id, std::uint8_t keycode, std::uint16_t modifiers);
  void ungrab(int id);

 private:
  struct Key {
    std::uint8_t keycode;
    std::uint16_t modifiers;
  };

  void readNumLockMask();
  bool grabAllLockVariants(const Key& key);
  void ungrabAllLockVariants(const Key& key);
  void handle(const xcb_generic_event_t& event);
  void regrab();
  void dispatch(std::uint8_t keycode, std::uint16_t state, bool pressed);

  XcbConnection connection_;
  std::function<void(int, bool)> onEvent_;
  std::mutex mutex_;
  std::map<int, Key> keys_;
  std::set<int> pressed_;
  std::uint16_t numLockMask_ = 0;
  std::optional<std::uint8_t> xkbEvent_;
  std::optional<XcbEventThread> events_;
};

}  // namespace quillo::platform::desktop
