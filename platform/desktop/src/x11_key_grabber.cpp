#include "quillo/platform/desktop/x11_key_grabber.h"

#include <xcb/xcb_keysyms.h>

#include <array>

#include "xcb_xkb.h"

namespace quillo::platform::desktop {
namespace {

constexpr xcb_keysym_t numLockKeysym = 0xff7f;
constexpr std::uint16_t watchedModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

}  // namespace

X11KeyGrabber::X11KeyGrabber(const char* display, std::function<void(int id, bool pressed)> onEvent)
    : connection_(display), onEvent_(std::move(onEvent)) {
  auto* c = connection_.get();
  // With detectable auto-repeat a held key gives repeated presses and one release, instead of
  // release-press pairs that look like the user pressing again.
  XcbPointer<xcb_xkb_use_extension_reply_t> xkb(
      xcb_xkb_use_extension_reply(c, xcb_xkb_use_extension(c, 1, 0), nullptr));
  if (xkb && xkb->supported) {
    XcbPointer<xcb_xkb_per_client_flags_reply_t> flags(xcb_xkb_per_client_flags_reply(
        c,
        xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                 XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0),
        nullptr));
    // A client of XKB hears of a new keymap (another layout) or a changed modifier map only
    // through XKB's own events: the core MappingNotify is no longer sent to it.
    constexpr std::uint16_t keymapEvents =
        XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    constexpr std::uint16_t mapParts =
        XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_VIRTUAL_MODS;
    xcb_xkb_select_events(c, XCB_XKB_ID_USE_CORE_KBD, keymapEvents, 0, keymapEvents, mapParts, mapParts,
                          nullptr);
    if (const auto* extension = xcb_get_extension_data(c, &xcb_xkb_id)) xkbEvent_ = extension->first_event;
  }
  readNumLockMask();
  events_.emplace(connection_, [this](const xcb_generic_event_t& event) { handle(event); });
}

void X11KeyGrabber::readNumLockMask() {
  auto* c = connection_.get();
  std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(c),
                                                                              &xcb_key_symbols_free);
  XcbPointer<xcb_keycode_t> numLockCodes(xcb_key_symbols_get_keycode(symbols.get(), numLockKeysym));
  XcbPointer<xcb_get_modifier_mapping_reply_t> mapping(
      xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
  numLockMask_ = 0;
  if (!mapping || !numLockCodes) return;
  const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
  const int perModifier = mapping->keycodes_per_modifier;
  for (int modifier = 0; modifier < 8; ++modifier)
    for (int i = 0; i < perModifier; ++i)
      for (const xcb_keycode_t* n = numLockCodes.get(); *n != XCB_NO_SYMBOL; ++n)
        if (codes[modifier * perModifier + i] == *n) numLockMask_ = static_cast<std::uint16_t>(1 << modifier);
}

bool X11KeyGrabber::grabAllLockVariants(const Key& key) {
  auto* c = connection_.get();
  const std::array<std::uint16_t, 4> locks{0, XCB_MOD_MASK_LOCK, numLockMask_,
                                           static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
  bool taken = false;
  for (const auto lock : locks) {
    const auto cookie = xcb_grab_key_checked(c, 1, connection_.root(), key.modifiers | lock, key.keycode,
                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    if (XcbPointer<xcb_generic_error_t> error{xcb_request_check(c, cookie)}) taken = true;
  }
  if (taken) ungrabAllLockVariants(key);
  return !taken;
}

void X11KeyGrabber::ungrabAllLockVariants(const Key& key) {
  auto* c = connection_.get();
  const std::array<std::uint16_t, 4> locks{0, XCB_MOD_MASK_LOCK, numLockMask_,
                                           static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
  // The last one checked: once the server has answered it, it has let go of every variant, and
  // another program that asks for the key next gets it.
  xcb_void_cookie_t last{};
  for (const auto lock : locks)
    last = xcb_ungrab_key_checked(c, key.keycode, connection_.root(), key.modifiers | lock);
  const XcbPointer<xcb_generic_error_t> ignored{xcb_request_check(c, last)};
}

X11KeyGrabber::Grab X11KeyGrabber::grab(int id, std::uint8_t keycode, std::uint16_t modifiers) {
  std::lock_guard lock(mutex_);
  if (const auto old = keys_.find(id); old != keys_.end()) {
    ungrabAllLockVariants(old->second);
    keys_.erase(old);
  }
  const Key key{keycode, static_cast<std::uint16_t>(modifiers & watchedModifiers)};
  if (!grabAllLockVariants(key)) return Grab::alreadyTaken;
  keys_[id] = key;
  return Grab::grabbed;
}

void X11KeyGrabber::ungrab(int id) {
  std::lock_guard lock(mutex_);
  if (const auto key = keys_.find(id); key != keys_.end()) {
    ungrabAllLockVariants(key->second);
    keys_.erase(key);
    pressed_.erase(id);
  }
}

void X11KeyGrabber::dispatch(std::uint8_t keycode, std::uint16_t state, bool pressed) {
  int id = -1;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [candidate, key] : keys_)
      if (key.keycode == keycode && key.modifiers == (state & watchedModifiers)) id = candidate;
    // A release comes with the modifiers still held or already let go: match by key alone.
    if (id < 0 && !pressed)
      for (const int candidate : pressed_)
        if (keys_.at(candidate).keycode == keycode) id = candidate;
    if (id < 0) return;
    if (pressed && !pressed_.insert(id).second) return;  // auto-repeat
    if (!pressed && pressed_.erase(id) == 0) return;
  }
  onEvent_(id, pressed);
}

void X11KeyGrabber::handle(const xcb_generic_event_t& event) {
  switch (event.response_type & 0x7f) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE: {
      const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
      dispatch(key.detail, key.state, (event.response_type & 0x7f) == XCB_KEY_PRESS);
      break;
    }
    case XCB_MAPPING_NOTIFY:
      regrab();
      break;
    default:
      if (xkbEvent_ && (event.response_type & 0x7f) == *xkbEvent_) {
        // XKB's events share one event code; the kind is in the second byte.
        const auto kind = reinterpret_cast<const xcb_xkb_new_keyboard_notify_event_t&>(event).xkbType;
        if (kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY) regrab();
      }
      break;
  }
}

void X11KeyGrabber::regrab() {
  // Grabs name keycodes, which stay with the key's place whatever the layout; what can move is the
  // modifier NumLock sets. A new keymap also comes with every switch between the real keyboard and
  // XTest's, so grabs are left alone unless NumLock moved, or presses in between would be lost.
  std::lock_guard lock(mutex_);
  const auto before = numLockMask_;
  readNumLockMask();
  if (numLockMask_ == before) return;
  const auto after = numLockMask_;
  numLockMask_ = before;
  for (const auto& [id, key] : keys_)
    ungrabAllLockVariants(key);
  numLockMask_ = after;
  for (const auto& [id, key] : keys_)
    grabAllLockVariants(key);
}

}  // namespace quillo::platform::desktop
