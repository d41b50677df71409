#include "quillo/core/actions/linux_tools.h"

#include <algorithm>

namespace quillo::core {
namespace {

bool names(std::string_view list, std::string_view desktop) {
  while (!list.empty()) {
    const auto colon = list.find(':');
    if (list.substr(0, colon) == desktop) return true;
    list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
  }
  return false;
}

}  // namespace

LinuxSession LinuxSession::of(const platform::System& system) {
  const std::string desktops = system.environment("XDG_CURRENT_DESKTOP").value_or("");
  LinuxSession session;
  if (names(desktops, "KDE")) {
    session.desktop = LinuxDesktop::kde;
  } else if (!desktops.empty() && !names(desktops, "GNOME")) {
    session.desktop = LinuxDesktop::other;
  }
  const auto type = system.environment("XDG_SESSION_TYPE");
  session.wayland = type ? *type == "wayland" : system.environment("WAYLAND_DISPLAY").has_value();
  return session;
}

ToolLookup pathLookup(const platform::FileSystem& files, std::string searchPath) {
  return [&files, searchPath = std::move(searchPath)](std::string_view name) -> std::optional<std::string> {
    std::string_view rest(searchPath);
    while (!rest.empty()) {
      const auto colon = rest.find(':');
      const std::filesystem::path folder(rest.substr(0, colon));
      rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
      // A relative entry would depend on the folder we happen to run in.
      if (!folder.is_absolute()) continue;
      const std::filesystem::path candidate = folder / name;
      try {
        const auto status = files.status(candidate);
        if (status && status->kind == platform::FileKind::file &&
            files.canAccess(candidate, platform::Access::execute))
          return candidate.string();
      } catch (const platform::FileSystemError&) {
        continue;
      }
    }
    return std::nullopt;
  };
}

LinuxTools LinuxTools::find(LinuxSession session, const ToolLookup& lookup) {
  LinuxTools tools;
  tools.session = session;
  tools.pactl = lookup("pactl");
  tools.wpctl = lookup("wpctl");
  tools.loginctl = lookup("loginctl");
  tools.systemctl = lookup("systemctl");
  tools.xset = lookup("xset");
  tools.gdbus = lookup("gdbus");
  tools.kscreenDoctor = lookup("kscreen-doctor");
  tools.xdgScreensaver = lookup("xdg-screensaver");
  tools.systemdInhibit = lookup("systemd-inhibit");
  tools.gnomeSessionInhibit = lookup("gnome-session-inhibit");
  tools.sleep = lookup("sleep");
  tools.gnomeScreenshot = lookup("gnome-screenshot");
  tools.spectacle = lookup("spectacle");
  if (session.desktop == LinuxDesktop::kde) {
    tools.settingsProgram = lookup("systemsettings");
    if (!tools.settingsProgram) tools.settingsProgram = lookup("systemsettings5");
  } else {
    tools.settingsProgram = lookup("gnome-control-center");
  }
  return tools;
}

std::string shellWord(std::string_view text) {
  const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("/-_.,:=@%+").find(c) != std::string_view::npos;
  });
  if (plain) return std::string(text);
  std::string quoted = "'";
  for (const char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace quillo::core
