#pragma once

#include <cstdint>

#include "quillo/platform/desktop/xcb_connection.h"

namespace quillo::platform::desktop {

// Keystrokes sent to other applications through XTest: the paste keystroke after the target
// window is active again. Blocking (it waits for the server's answers): call it off the main
// thread. Not safe for concurrent use.
class XTestKeyboard {
 public:
  explicit XTestKeyboard(const char* display = nullptr);

  // Whether the server lets us send keys (the XTest extension).
  bool available() const { return available_; }
  // Asks the window manager to activate `window`, with a fresh timestamp so that focus-stealing
  // prevention does not refuse it.
  void activate(xcb_window_t window);
  // The focused window now, as the server sees it.
  xcb_window_t focusedWindow();
  // Presses the key that types `keysym` in the current keymap with `modifiers` (an X mask of
  // Shift, Control, Mod1, Mod4) held, after releasing the modifiers the user still holds.
  // False when no key of the keymap types it.
  bool press(std::uint32_t keysym, std::uint16_t modifiers);

 private:
  xcb_timestamp_t serverTime();
  void releaseHeldModifiers();
  void send(std::uint8_t type, std::uint8_t keycode);

  XcbConnection connection_;
  xcb_window_t window_ = 0;
  bool available_ = false;
};

}  // namespace quillo::platform::desktop
