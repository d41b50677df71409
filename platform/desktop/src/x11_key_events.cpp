#include "quillo/platform/desktop/x11_key_events.h"

#include <cctype>

namespace quillo::platform::desktop {

bool X11KeyEvents::post(const KeyStroke& stroke) {
  if (!keyboard_.available()) return false;
  std::uint16_t modifiers = 0;
  if (stroke.command) modifiers |= XCB_MOD_MASK_4;
  if (stroke.control) modifiers |= XCB_MOD_MASK_CONTROL;
  if (stroke.option) modifiers |= XCB_MOD_MASK_1;
  if (stroke.shift) modifiers |= XCB_MOD_MASK_SHIFT;
  // Latin-1 letters are their own keysyms.
  const auto keysym = static_cast<std::uint32_t>(std::tolower(static_cast<unsigned char>(stroke.key)));
  std::lock_guard lock(mutex_);
  return keyboard_.press(keysym, modifiers);
}

}  // namespace quillo::platform::desktop
