#include "quillo/platform/desktop/x11_hot_keys.h"

#include <xkbcommon/xkbcommon-x11.h>

#include "quillo/platform/desktop/key_positions.h"

namespace quillo::platform::desktop {

X11HotKeys::X11HotKeys(MainQueue& main, const char* display)
    : display_(display), grabber_(display, [&main, registrations = registrations_](int id, bool pressed) {
        main.post([registrations, id, pressed] {
          std::uint32_t number = 0;
          Handler handler;
          {
            std::lock_guard lock(registrations->mutex);
            const auto found = registrations->numbers.find(static_cast<Reference>(id));
            if (!registrations->alive || found == registrations->numbers.end() || !registrations->handler)
              return;
            number = found->second;
            handler = registrations->handler;
          }
          handler(number, pressed ? EventKind::pressed : EventKind::released);
        });
      }) {}

X11HotKeys::~X11HotKeys() {
  std::lock_guard lock(registrations_->mutex);
  registrations_->alive = false;
}

std::optional<HotKeys::Reference> X11HotKeys::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                             std::uint32_t number) {
  const auto keycode = x11KeycodeForMacKey(static_cast<int>(keyCode));
  if (!keycode) return std::nullopt;
  const Reference reference = nextReference_++;
  if (grabber_.grab(static_cast<int>(reference), *keycode,
                    x11ModifiersForCarbon(static_cast<int>(modifiers))) != X11KeyGrabber::Grab::grabbed)
    return std::nullopt;
  std::lock_guard lock(registrations_->mutex);
  registrations_->numbers[reference] = number;
  return reference;
}

void X11HotKeys::unregisterHotKey(Reference reference) {
  grabber_.ungrab(static_cast<int>(reference));
  std::lock_guard lock(registrations_->mutex);
  registrations_->numbers.erase(reference);
}

bool X11HotKeys::installHandler(Handler handler) {
  std::lock_guard lock(registrations_->mutex);
  registrations_->handler = std::move(handler);
  return true;
}

std::optional<std::string> X11HotKeys::keyCharacter(std::uint32_t keyCode) const {
  const auto keycode = x11KeycodeForMacKey(static_cast<int>(keyCode));
  if (!keycode) return std::nullopt;
  // Read the layout in use now: the user may have switched it since the last label.
  XcbConnection connection(display_);
  if (!xkb_x11_setup_xkb_extension(connection.get(), XKB_X11_MIN_MAJOR_XKB_VERSION,
                                   XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS,
                                   nullptr, nullptr, nullptr, nullptr))
    return std::nullopt;
  std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS),
                                                                     &xkb_context_unref);
  const auto device = xkb_x11_get_core_keyboard_device_id(connection.get());
  std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap(
      xkb_x11_keymap_new_from_device(context.get(), connection.get(), device, XKB_KEYMAP_COMPILE_NO_FLAGS),
      &xkb_keymap_unref);
  if (!keymap) return std::nullopt;
  std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state(
      xkb_x11_state_new_from_device(keymap.get(), connection.get(), device), &xkb_state_unref);
  if (!state) return std::nullopt;
  char text[16] = {};
  const int length = xkb_state_key_get_utf8(state.get(), *keycode, text, sizeof text);
  // Control characters (Tab, Return, Escape) have names of their own in labels.
  if (length <= 0 || static_cast<unsigned char>(text[0]) < 0x20 || text[0] == 0x7f) return std::nullopt;
  return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace quillo::platform::desktop
