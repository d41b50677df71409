#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillo::platform::desktop {

// What a desktop session offers, as probed at start.
struct SessionFacts {
  enum class DisplayServer { x11, wayland, none };
  enum class Desktop { gnome, kde, other };

  DisplayServer displayServer = DisplayServer::none;
  Desktop desktop = Desktop::other;
  bool xDisplay = false;  // an X server (XWayland included) answers on DISPLAY
  bool xTest = false;
  bool xFixes = false;
  std::optional<std::string> dataControl;  // the Wayland data-control protocol in use
  bool globalShortcutsPortal = false;
  // The user turned the portal's request for our shortcuts down; only the running program knows.
  bool globalShortcutsRefused = false;
  bool remoteDesktopPortal = false;
  bool gnomeKeyboardSettings = false;    // GNOME's custom-shortcut settings can be written
  bool gnomeShortcutsInstalled = false;  // our shortcuts are in them
  bool trayWatcher = false;              // org.kde.StatusNotifierWatcher has an owner
  bool accessibilityEnabled = false;     // org.a11y.Status IsEnabled
  bool kwinScripting = false;            // org.kde.KWin has an owner (it runs our front-application script)
  bool keepAwakeTool = false;            // systemd-inhibit or gnome-session-inhibit on PATH
  bool operator==(const SessionFacts&) const = default;
};

// One facility of the desktop as the user gets it.
struct FacilityStatus {
  enum class State { working, degraded, unavailable };

  std::string facility;  // "clipboard", "shortcuts", "paste", "frontApplication", "menus", "tray",
                         // "keepAwake", "panel"
  State state = State::working;
  std::string detail;  // how it works here, or why not
  std::string fix;     // the one step that makes it work; empty when there is none
  bool operator==(const FacilityStatus&) const = default;
};

std::string_view stateName(FacilityStatus::State state);

// Probes the running session: environment, X server, Wayland globals, the session bus.
SessionFacts probeSession();
// What each facility does in a session with these facts.
std::vector<FacilityStatus> assess(const SessionFacts& facts);

}  // namespace quillo::platform::desktop
