#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quillo::platform {

// How shortcuts are written for the user: the modifier symbols of macOS ("⌃⌥⇧⌘Space") or the
// words of the Linux desktops ("Ctrl+Alt+Shift+Super+Space").
enum class KeyLabelStyle { symbols, words };

// The desktop's system-wide hot keys. A hot key is a Mac virtual key code with a Carbon modifier
// mask (command 0x100, shift 0x200, option 0x800, control 0x1000); on Linux the implementation
// grabs the same physical key with Command as Super, Option as Alt and Control as Ctrl.
// Main thread only; the handler is called on the main thread.
class HotKeys {
 public:
  // The opaque handle of one registration.
  using Reference = std::uint64_t;
  enum class EventKind { pressed, released };
  using Handler = std::function<void(std::uint32_t number, EventKind kind)>;

  virtual ~HotKeys() = default;

  // Registers the combination under `number`, the identity its events carry. None when the
  // desktop refuses it (already taken, or no way to grab keys in this session).
  virtual std::optional<Reference> registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                  std::uint32_t number) = 0;
  virtual void unregisterHotKey(Reference reference) = 0;
  // Installs the one handler of pressed and released events; false when it cannot be installed.
  virtual bool installHandler(Handler handler) = 0;

  // False when this desktop lets no program register global shortcuts at all (every
  // registration is refused, whatever the combination): the user binds the program's command
  // lines in the desktop's own keyboard settings instead.
  virtual bool offersGlobalShortcuts() const { return true; }
  // Set when the user turned down the desktop's request for our shortcuts (a desktop that asks
  // first): what to tell the user, with how to allow them again. None while they are not refused.
  virtual std::optional<std::string> refusal() const { return std::nullopt; }

  virtual KeyLabelStyle labelStyle() const = 0;
  // The character the current keyboard layout produces for the key without modifiers; none when
  // it produces nothing printable.
  virtual std::optional<std::string> keyCharacter(std::uint32_t keyCode) const = 0;
};

}  // namespace quillo::platform
