#include "layout_keys.h"

#include <xkbcommon/xkbcommon.h>

#include <array>

#include "quillo/platform/desktop/key_positions.h"

namespace quillo::ui {

LayoutKeys::LayoutKeys() : context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
  if (context_ == nullptr) return;
  // Empty names take the XKB_DEFAULT_* variables, else the library's defaults (evdev, us).
  const xkb_rule_names names{};
  keymap_ = xkb_keymap_new_from_names(context_, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (keymap_ != nullptr) state_ = xkb_state_new(keymap_);
}

LayoutKeys::~LayoutKeys() {
  if (state_ != nullptr) xkb_state_unref(state_);
  if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
  if (context_ != nullptr) xkb_context_unref(context_);
}

std::optional<std::string> LayoutKeys::character(std::uint32_t macKeyCode) const {
  if (state_ == nullptr) return std::nullopt;
  const auto keycode = platform::desktop::x11KeycodeForMacKey(static_cast<int>(macKeyCode));
  if (!keycode) return std::nullopt;
  std::array<char, 16> text{};
  const int length = xkb_state_key_get_utf8(state_, *keycode, text.data(), text.size());
  if (length <= 0 || static_cast<unsigned char>(text[0]) <= ' ' || text[0] == 0x7f) return std::nullopt;
  return std::string(text.data(), static_cast<std::size_t>(length));
}

}  // namespace quillo::ui
