#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace quillo::ui {

// What a key types in the keyboard layout the session names (XKB_DEFAULT_LAYOUT, else "us"),
// worked out without a display server, for labels where the session lends us no keyboard (no
// X server to ask). Not safe for concurrent use.
class LayoutKeys {
 public:
  LayoutKeys();
  ~LayoutKeys();
  LayoutKeys(const LayoutKeys&) = delete;
  LayoutKeys& operator=(const LayoutKeys&) = delete;

  // The printable character of the key at the place of this Mac key code, without modifiers;
  // none for keys that print nothing (Escape, Space's blank is no label either).
  std::optional<std::string> character(std::uint32_t macKeyCode) const;

 private:
  xkb_context* context_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* state_ = nullptr;
};

}  // namespace quillo::ui
