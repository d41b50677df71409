#include "quillo/platform/desktop/xtest_keyboard.h"

#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace quillo::platform::desktop {
namespace {

struct ModifierKey {
  std::uint16_t mask;
  xcb_keysym_t keysym;
};
constexpr std::array<ModifierKey, 4> modifierKeys{{{XCB_MOD_MASK_SHIFT, 0xffe1 /* Shift_L */},
                                                   {XCB_MOD_MASK_CONTROL, 0xffe3 /* Control_L */},
                                                   {XCB_MOD_MASK_1, 0xffe9 /* Alt_L */},
                                                   {XCB_MOD_MASK_4, 0xffeb /* Super_L */}}};

using KeySymbols = std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)>;

std::optional<xcb_keycode_t> keycodeOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
  XcbPointer<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols, keysym));
  if (!codes || *codes == XCB_NO_SYMBOL) return std::nullopt;
  return *codes;
}

}  // namespace

XTestKeyboard::XTestKeyboard(const char* display) : connection_(display) {
  const auto* extension = xcb_get_extension_data(connection_.get(), &xcb_test_id);
  available_ = extension && extension->present;
  window_ = connection_.createHiddenWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
}

xcb_timestamp_t XTestKeyboard::serverTime() {
  // The server stamps a property change with its current time.
  auto* c = connection_.get();
  const xcb_atom_t atom = connection_.atom("QUILLO_TIMESTAMP");
  xcb_change_property(c, XCB_PROP_MODE_APPEND, window_, atom, XCB_ATOM_STRING, 8, 0, nullptr);
  connection_.flush();
  while (XcbPointer<xcb_generic_event_t> event{xcb_wait_for_event(c)}) {
    if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
      return reinterpret_cast<xcb_property_notify_event_t*>(event.get())->time;
  }
  return XCB_CURRENT_TIME;
}

void XTestKeyboard::activate(xcb_window_t window) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = connection_.atom("_NET_ACTIVE_WINDOW");
  // As a pager or task bar asks: on the user's behalf, so focus-stealing prevention lets it through.
  message.data.data32[0] = 2;
  message.data.data32[1] = serverTime();
  xcb_send_event(connection_.get(), 0, connection_.root(),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  connection_.flush();
}

xcb_window_t XTestKeyboard::focusedWindow() {
  XcbPointer<xcb_get_input_focus_reply_t> focus(
      xcb_get_input_focus_reply(connection_.get(), xcb_get_input_focus(connection_.get()), nullptr));
  return focus ? focus->focus : XCB_NONE;
}

void XTestKeyboard::send(std::uint8_t type, std::uint8_t keycode) {
  xcb_test_fake_input(connection_.get(), type, keycode, XCB_CURRENT_TIME, connection_.root(), 0, 0, 0);
}

void XTestKeyboard::releaseHeldModifiers() {
  auto* c = connection_.get();
  XcbPointer<xcb_query_keymap_reply_t> keymap(xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
  XcbPointer<xcb_get_modifier_mapping_reply_t> mapping(
      xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
  if (!keymap || !mapping) return;
  const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
  const int count = 8 * mapping->keycodes_per_modifier;
  for (int i = 0; i < count; ++i) {
    const xcb_keycode_t code = codes[i];
    if (code != 0 && (keymap->keys[code / 8] & (1 << (code % 8)))) send(XCB_KEY_RELEASE, code);
  }
}

bool XTestKeyboard::press(std::uint32_t keysym, std::uint16_t modifiers) {
  auto* c = connection_.get();
  KeySymbols symbols(xcb_key_symbols_alloc(c), &xcb_key_symbols_free);
  const auto key = keycodeOf(symbols.get(), keysym);
  if (!key) return false;
  std::vector<xcb_keycode_t> held;
  for (const auto& modifier : modifierKeys)
    if (modifiers & modifier.mask)
      if (const auto code = keycodeOf(symbols.get(), modifier.keysym)) held.push_back(*code);
  releaseHeldModifiers();
  for (const auto code : held)
    send(XCB_KEY_PRESS, code);
  send(XCB_KEY_PRESS, *key);
  send(XCB_KEY_RELEASE, *key);
  for (auto code = held.rbegin(); code != held.rend(); ++code)  // NOLINT(modernize-loop-convert)
    send(XCB_KEY_RELEASE, *code);
  // A round trip, so the keys have reached the server when this returns.
  const XcbPointer<xcb_get_input_focus_reply_t> roundTrip(
      xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  return true;
}

}  // namespace quillo::platform::desktop
