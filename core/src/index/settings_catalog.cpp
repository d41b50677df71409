#include <array>
#include <string>

#include "quillo/core/index/catalog.h"

namespace quillo::core::Catalog {
namespace {

struct Pane {
  std::string_view title;  // empty: the menu-bar pane, titled by the system's version
  std::string_view identifier;
  std::string_view hint;
};

constexpr std::array<Pane, 47> kPanes{{
    {"Wi-Fi", "com.apple.wifi-settings-extension", "Join or forget wireless networks, turn Wi-Fi on or off"},
    {"Bluetooth", "com.apple.BluetoothSettings", "Pair headphones, keyboards, mice, and other devices"},
    {"Network", "com.apple.Network-Settings.extension", "Ethernet, VPN, DNS, proxies, firewall"},
    {"Notifications", "com.apple.Notifications-Settings.extension",
     "Alerts, banners, and badges for each app"},
    {"Sound", "com.apple.Sound-Settings.extension", "Output and input devices, volume, alert sounds"},
    {"Focus", "com.apple.Focus-Settings.extension", "Do Not Disturb and other Focus modes"},
    {"Screen Time", "com.apple.Screen-Time-Settings.extension",
     "App limits, downtime, usage reports, parental controls"},
    {"Software Update", "com.apple.Software-Update-Settings.extension",
     "Install macOS updates, automatic updates"},
    {"Storage", "com.apple.settings.Storage", "Disk space used and free, what takes up space, a full disk"},
    {"AirDrop & Handoff", "com.apple.AirDrop-Handoff-Settings.extension",
     "AirDrop, Handoff, AirPlay receiver"},
    {"Login Items", "com.apple.LoginItems-Settings.extension", "Apps that open at login, background items"},
    {"Language & Region", "com.apple.Localization-Settings.extension",
     "System language, region, date and number formats"},
    {"Date & Time", "com.apple.Date-Time-Settings.extension", "Clock, time zone, 24-hour time"},
    {"Sharing", "com.apple.Sharing-Settings.extension",
     "File sharing, screen sharing, remote login, computer name"},
    {"Time Machine", "com.apple.Time-Machine-Settings.extension", "Backups to an external disk"},
    {"Transfer or Reset", "com.apple.Transfer-Reset-Settings.extension",
     "Erase all content and settings, Migration Assistant"},
    {"Startup Disk", "com.apple.Startup-Disk-Settings.extension", "The disk the Mac starts from"},
    {"Appearance", "com.apple.Appearance-Settings.extension",
     "Light or dark mode, accent color, sidebar icon size"},
    {"Accessibility", "com.apple.Accessibility-Settings.extension",
     "VoiceOver, zoom, larger text, reduce motion, captions"},
    {"", "com.apple.ControlCenter-Settings.extension",
     "Hide or show the menu bar, menu bar icons, battery percentage, clock options, Control Center"},
    {"Siri", "com.apple.Siri-Settings.extension", "Siri, Apple Intelligence, voice and keyboard shortcut"},
    {"Spotlight", "com.apple.Spotlight-Settings.extension", "Search result categories, search privacy"},
    {"Privacy & Security", "com.apple.settings.PrivacySecurity.extension",
     "App permissions, FileVault disk encryption, Lockdown Mode, Gatekeeper"},
    {"Location Services", "com.apple.settings.PrivacySecurity.extension?Privacy_LocationServices",
     "Which apps can see the location of the Mac"},
    {"Camera Access", "com.apple.settings.PrivacySecurity.extension?Privacy_Camera",
     "Which apps can use the camera"},
    {"Microphone Access", "com.apple.settings.PrivacySecurity.extension?Privacy_Microphone",
     "Which apps can use the microphone"},
    {"Screen Recording Access", "com.apple.settings.PrivacySecurity.extension?Privacy_ScreenCapture",
     "Which apps can record the screen"},
    {"Full Disk Access", "com.apple.settings.PrivacySecurity.extension?Privacy_AllFiles",
     "Which apps can read all files"},
    {"Accessibility Access", "com.apple.settings.PrivacySecurity.extension?Privacy_Accessibility",
     "Which apps can control the computer"},
    {"Desktop & Dock", "com.apple.Desktop-Settings.extension",
     "Dock size and position, Stage Manager, hot corners, default browser, widgets"},
    {"Displays", "com.apple.Displays-Settings.extension",
     "Resolution, brightness, Night Shift, True Tone, external monitors, refresh rate"},
    {"Wallpaper", "com.apple.Wallpaper-Settings.extension", "Desktop picture and screen saver"},
    {"Battery", "com.apple.Battery-Settings.extension",
     "Low Power Mode, battery health, sleep when on battery, energy use"},
    {"Lock Screen Settings", "com.apple.Lock-Screen-Settings.extension",
     "When the display turns off, when a password is required, lock message"},
    {"Touch ID & Password", "com.apple.Touch-ID-Settings.extension",
     "Fingerprints, change the login password of this Mac"},
    {"Users & Groups", "com.apple.Users-Groups-Settings.extension",
     "Add or remove user accounts, guest user, automatic login"},
    {"Internet Accounts", "com.apple.Internet-Accounts-Settings.extension",
     "Mail, contacts, and calendar accounts such as Google and iCloud"},
    {"Apple Account", "com.apple.systempreferences.AppleIDSettings",
     "iCloud, Apple ID, subscriptions, payment, Find My, iCloud storage"},
    {"Family", "com.apple.Family-Settings.extension", "Family Sharing members and purchases"},
    {"Game Center", "com.apple.Game-Center-Settings.extension", "Game Center profile and friends"},
    {"Wallet & Apple Pay", "com.apple.WalletSettingsExtension", "Cards for Apple Pay"},
    {"Keyboard", "com.apple.Keyboard-Settings.extension",
     "Key repeat, keyboard shortcuts, input sources and languages, dictation, text replacements"},
    {"Mouse", "com.apple.Mouse-Settings.extension", "Tracking speed, scroll direction, secondary click"},
    {"Trackpad", "com.apple.Trackpad-Settings.extension",
     "Tap to click, gestures, tracking speed, scroll direction"},
    {"Printers & Scanners", "com.apple.Print-Scan-Settings.extension", "Add a printer or a scanner"},
    {"Game Controllers", "com.apple.Game-Controller-Settings.extension",
     "Connected game controllers and button mapping"},
    {"Headphones", "com.apple.HeadphoneSettings", "AirPods and Beats settings, noise cancellation"},
}};

constexpr std::string_view kPaneAddressScheme = "x-apple.systempreferences:";
constexpr int kMenuBarRenameMajorVersion = 26;

}  // namespace

std::string_view menuBarPaneTitle(const platform::System& system) {
  if (system.isMacOS() && system.osVersion().major < kMenuBarRenameMajorVersion) return "Control Center";
  return "Menu Bar";
}

std::vector<Command> settingsTable(std::string_view menuBarPaneTitle) {
  std::vector<Command> commands;
  commands.reserve(kPanes.size());
  for (const Pane& pane : kPanes) {
    const std::string identifier(pane.identifier);
    commands.emplace_back("setting." + identifier,
                          std::string(pane.title.empty() ? menuBarPaneTitle : pane.title),
                          Command::Kind::setting, std::string(pane.hint), "", "",
                          target::OpenUrl{base::Url{std::string(kPaneAddressScheme) + identifier}});
  }
  return commands;
}

const std::vector<Command>& settings(const platform::System& system) {
  static const std::vector<Command> table = settingsTable(menuBarPaneTitle(system));
  return table;
}

}  // namespace quillo::core::Catalog
