#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "quillo/platform/file_system.h"
#include "quillo/platform/system.h"

namespace quillo::core {

// The desktop a Linux session runs: its settings program and its own calls differ.
enum class LinuxDesktop { gnome, kde, other };

struct LinuxSession {
  LinuxDesktop desktop = LinuxDesktop::gnome;
  bool wayland = false;
  bool operator==(const LinuxSession&) const = default;

  // From XDG_CURRENT_DESKTOP (KDE when it names KDE, GNOME when it names GNOME or nothing) and
  // XDG_SESSION_TYPE (or WAYLAND_DISPLAY).
  static LinuxSession of(const platform::System& system);
};

// Finds a program by name: its absolute path, or none when this machine lacks it.
using ToolLookup = std::function<std::optional<std::string>(std::string_view name)>;

// Looks through the folders of `searchPath` (a PATH value) in order for an executable file.
// Holds `files`, which must outlive it.
ToolLookup pathLookup(const platform::FileSystem& files, std::string searchPath);

// The programs the Linux actions and settings panes run, each looked up once when the catalogue
// is built; absent when missing, and then what needs it is not offered.
struct LinuxTools {
  LinuxSession session;
  std::optional<std::string> pactl, wpctl;                // volumes and mute
  std::optional<std::string> loginctl, systemctl;         // lock, sleep
  std::optional<std::string> xset, gdbus, kscreenDoctor;  // display off, screen saver
  std::optional<std::string> xdgScreensaver;
  std::optional<std::string> systemdInhibit, gnomeSessionInhibit, sleep;  // keep-awake
  std::optional<std::string> gnomeScreenshot, spectacle;
  std::optional<std::string> settingsProgram;  // gnome-control-center or systemsettings
  bool operator==(const LinuxTools&) const = default;

  static LinuxTools find(LinuxSession session, const ToolLookup& lookup);
};

// `text` as one word for /bin/sh: as it is when it holds only safe characters, else in single
// quotes.
std::string shellWord(std::string_view text);

}  // namespace quillo::core
