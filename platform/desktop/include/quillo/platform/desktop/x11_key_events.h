#pragma once

#include <mutex>

#include "quillo/platform/desktop/xtest_keyboard.h"
#include "quillo/platform/key_events.h"

namespace quillo::platform::desktop {

// The paste keystroke on X11: the stroke's letter from the current keymap, Command as Super,
// Control as Ctrl, Option as Alt, sent with XTest after the modifiers the user still holds are
// released. Trusted whenever the server has XTest.
class X11KeyEvents final : public KeyEvents {
 public:
  explicit X11KeyEvents(const char* display = nullptr) : keyboard_(display) {}

  bool isTrusted() override { return keyboard_.available(); }
  bool post(const KeyStroke& stroke) override;

 private:
  std::mutex mutex_;
  XTestKeyboard keyboard_;
};

}  // namespace quillo::platform::desktop
