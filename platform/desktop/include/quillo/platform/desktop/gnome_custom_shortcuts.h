#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "quillo/platform/hot_keys.h"

namespace quillo::platform::desktop {

// GNOME's keyboard settings cannot take our shortcuts; what() says why, for the user.
class GnomeShortcutsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The accelerator GNOME's settings store for a stored shortcut ("<Shift><Super>v"); none for a key
// it has no name for.
std::optional<std::string> gnomeAccelerator(std::uint32_t keyCode, std::uint32_t modifiers);

// Global shortcuts on GNOME's Wayland session, where no program may grab keys: each registration
// becomes a custom shortcut in GNOME's own keyboard settings that runs "<program> --toggle" (the
// first one registered, the launcher's) or "<program> --clipboard" (the second, the clipboard's).
// A later registration takes the command its predecessor gave up, so a changed shortcut keeps its
// command. GNOME starts the command, which hands the request to the running instance: presses never
// reach the handler. The user's other custom shortcuts are left as they are. Unregistering takes an
// entry out; destroying this object leaves every entry in place, so that the commands keep starting
// the program after it quits. Main thread only.
class GnomeCustomShortcuts final : public HotKeys {
 public:
  // `schemaDirectory` looks the settings' schemas up there alone instead of where GLib finds them.
  // Throws GnomeShortcutsError when GNOME's keyboard settings are not installed.
  explicit GnomeCustomShortcuts(std::string program = "quillo",
                                std::optional<std::filesystem::path> schemaDirectory = std::nullopt);
  ~GnomeCustomShortcuts() override;
  GnomeCustomShortcuts(const GnomeCustomShortcuts&) = delete;
  GnomeCustomShortcuts& operator=(const GnomeCustomShortcuts&) = delete;

  // Whether GNOME's keyboard settings can be written in this session.
  static bool available();
  // Whether our shortcuts are in GNOME's keyboard settings now.
  static bool installed();

  std::optional<Reference> registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                          std::uint32_t number) override;
  void unregisterHotKey(Reference reference) override;
  bool installHandler(Handler) override { return true; }
  KeyLabelStyle labelStyle() const override { return KeyLabelStyle::words; }
  std::optional<std::string> keyCharacter(std::uint32_t) const override { return std::nullopt; }

 private:
  enum class Command { toggle, clipboard };
  struct Settings;

  std::optional<Command> freeCommand() const;
  void write(Command command, const std::string& accelerator);
  void remove(Command command);

  std::string program_;
  std::unique_ptr<Settings> settings_;
  std::map<Reference, Command> live_;
  std::optional<Command> lastReleased_;
  Reference next_ = 1;
};

}  // namespace quillo::platform::desktop
