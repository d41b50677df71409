#include <array>

#include "quillo/core/index/catalog.h"

namespace quillo::core::Catalog {
namespace {

// A pane and where the desktops keep the same settings; empty where a desktop has none.
struct Counterpart {
  std::string_view identifier;
  std::string_view gnomePanel;
  std::string_view kdeModule;
};

constexpr std::array<Counterpart, 32> kCounterparts{{
    {"com.apple.wifi-settings-extension", "wifi", "kcm_networkmanagement"},
    {"com.apple.BluetoothSettings", "bluetooth", "kcm_bluetooth"},
    {"com.apple.Network-Settings.extension", "network", "kcm_networkmanagement"},
    {"com.apple.Notifications-Settings.extension", "notifications", "kcm_notifications"},
    {"com.apple.Sound-Settings.extension", "sound", "kcm_pulseaudio"},
    // Do Not Disturb lives with the notifications on both desktops.
    {"com.apple.Focus-Settings.extension", "notifications", "kcm_notifications"},
    {"com.apple.Software-Update-Settings.extension", "", "kcm_updates"},
    {"com.apple.LoginItems-Settings.extension", "", "kcm_autostart"},
    {"com.apple.Localization-Settings.extension", "region", "kcm_regionandlang"},
    {"com.apple.Date-Time-Settings.extension", "datetime", "kcm_clock"},
    {"com.apple.Sharing-Settings.extension", "sharing", ""},
    {"com.apple.Appearance-Settings.extension", "background", "kcm_lookandfeel"},
    {"com.apple.Accessibility-Settings.extension", "universal-access", "kcm_access"},
    {"com.apple.Spotlight-Settings.extension", "search", "kcm_baloofile"},
    {"com.apple.settings.PrivacySecurity.extension", "privacy", ""},
    {"com.apple.settings.PrivacySecurity.extension?Privacy_LocationServices", "location", ""},
    {"com.apple.settings.PrivacySecurity.extension?Privacy_Camera", "camera", ""},
    {"com.apple.settings.PrivacySecurity.extension?Privacy_Microphone", "microphone", ""},
    {"com.apple.Desktop-Settings.extension", "multitasking", "kcm_kwinscreenedges"},
    {"com.apple.Displays-Settings.extension", "display", "kcm_kscreen"},
    {"com.apple.Wallpaper-Settings.extension", "background", ""},
    {"com.apple.Battery-Settings.extension", "power", "kcm_powerdevilprofilesconfig"},
    {"com.apple.Lock-Screen-Settings.extension", "lock", "kcm_screenlocker"},
    {"com.apple.Touch-ID-Settings.extension", "user-accounts", "kcm_users"},
    {"com.apple.Users-Groups-Settings.extension", "user-accounts", "kcm_users"},
    {"com.apple.Internet-Accounts-Settings.extension", "online-accounts", "kcm_kaccounts"},
    {"com.apple.Keyboard-Settings.extension", "keyboard", "kcm_keyboard"},
    {"com.apple.Mouse-Settings.extension", "mouse", "kcm_mouse"},
    {"com.apple.Trackpad-Settings.extension", "mouse", "kcm_touchpad"},
    {"com.apple.Print-Scan-Settings.extension", "printers", "kcm_printer_manager"},
    {"com.apple.Game-Controller-Settings.extension", "", "kcm_gamecontroller"},
    {"com.apple.HeadphoneSettings", "bluetooth", "kcm_bluetooth"},
}};

constexpr std::string_view kIdPrefix = "setting.";

std::string_view counterpart(std::string_view identifier, LinuxDesktop desktop) {
  for (const Counterpart& entry : kCounterparts) {
    if (entry.identifier == identifier)
      return desktop == LinuxDesktop::kde ? entry.kdeModule : entry.gnomePanel;
  }
  return {};
}

}  // namespace

std::vector<Command> linuxSettingsTable(const LinuxTools& tools) {
  if (!tools.settingsProgram) return {};
  // The menu bar pane has no counterpart, so its title never shows.
  std::vector<Command> panes = settingsTable("Menu Bar");
  std::vector<Command> offered;
  for (Command& pane : panes) {
    const std::string_view place =
        counterpart(std::string_view(pane.id).substr(kIdPrefix.size()), tools.session.desktop);
    if (place.empty()) continue;
    pane.target = target::Shell{shellWord(*tools.settingsProgram) + " " + std::string(place)};
    offered.push_back(std::move(pane));
  }
  return offered;
}

std::string_view settingsApplicationID(LinuxDesktop desktop) {
  return desktop == LinuxDesktop::kde ? "systemsettings" : "org.gnome.Settings";
}

}  // namespace quillo::core::Catalog
