#include "quillo/platform/desktop/desktop_diagnostics.h"

#include <gio/gio.h>
#include <xcb/xfixes.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

#include "quillo/platform/desktop/gnome_custom_shortcuts.h"
#include "quillo/platform/desktop/wayland_data_control.h"
#include "quillo/platform/desktop/xcb_connection.h"

namespace quillo::platform::desktop {
namespace {

using State = FacilityStatus::State;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool onPath(const std::string& tool) {
  std::istringstream path(environment("PATH"));
  std::string folder;
  while (std::getline(path, folder, ':'))
    if (!folder.empty() && access((std::filesystem::path(folder) / tool).c_str(), X_OK) == 0) return true;
  return false;
}

using Bus = std::unique_ptr<GDBusConnection, decltype(&g_object_unref)>;
using Variant = std::unique_ptr<GVariant, decltype(&g_variant_unref)>;

Variant call(GDBusConnection* bus, const char* name, const char* path, const char* interface,
             const char* method, GVariant* parameters) {
  return Variant(g_dbus_connection_call_sync(bus, name, path, interface, method, parameters, nullptr,
                                             G_DBUS_CALL_FLAGS_NONE, 500, nullptr, nullptr),
                 &g_variant_unref);
}

bool hasOwner(GDBusConnection* bus, const char* name) {
  const auto reply = call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameHasOwner", g_variant_new("(s)", name));
  gboolean owned = FALSE;
  if (reply) g_variant_get(reply.get(), "(b)", &owned);
  return owned;
}

// A portal interface is there when its "version" property can be read.
bool portalOffers(GDBusConnection* bus, const char* interface) {
  return call(bus, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
              "org.freedesktop.DBus.Properties", "Get",
              g_variant_new("(ss)", interface, "version")) != nullptr;
}

bool accessibilityEnabled(GDBusConnection* bus) {
  const auto reply = call(bus, "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Get",
                          g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"));
  if (!reply) return false;
  GVariant* boxed = nullptr;
  g_variant_get(reply.get(), "(v)", &boxed);
  const Variant value(boxed, &g_variant_unref);
  return value && g_variant_is_of_type(value.get(), G_VARIANT_TYPE_BOOLEAN) &&
         g_variant_get_boolean(value.get());
}

}  // namespace

std::string_view stateName(FacilityStatus::State state) {
  switch (state) {
    case State::working:
      return "working";
    case State::degraded:
      return "degraded";
    case State::unavailable:
      return "unavailable";
  }
  return "unavailable";
}

SessionFacts probeSession() {
  SessionFacts facts;
  const auto type = environment("XDG_SESSION_TYPE");
  if (type == "wayland" || (!environment("WAYLAND_DISPLAY").empty() && type != "x11"))
    facts.displayServer = SessionFacts::DisplayServer::wayland;
  else if (!environment("DISPLAY").empty())
    facts.displayServer = SessionFacts::DisplayServer::x11;
  const auto desktop = environment("XDG_CURRENT_DESKTOP");
  if (desktop.find("GNOME") != std::string::npos)
    facts.desktop = SessionFacts::Desktop::gnome;
  else if (desktop.find("KDE") != std::string::npos)
    facts.desktop = SessionFacts::Desktop::kde;

  if (!environment("DISPLAY").empty()) {
    try {
      XcbConnection x;
      facts.xDisplay = true;
      const auto* test = xcb_get_extension_data(x.get(), &xcb_test_id);
      const auto* fixes = xcb_get_extension_data(x.get(), &xcb_xfixes_id);
      facts.xTest = test && test->present;
      facts.xFixes = fixes && fixes->present;
    } catch (const X11Error&) {
    }
  }
  if (facts.displayServer == SessionFacts::DisplayServer::wayland) {
    try {
      facts.dataControl = WaylandDataControl().protocol();
    } catch (const WaylandError&) {
    }
  }
  if (Bus bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr), &g_object_unref); bus) {
    facts.globalShortcutsPortal = portalOffers(bus.get(), "org.freedesktop.portal.GlobalShortcuts");
    facts.remoteDesktopPortal = portalOffers(bus.get(), "org.freedesktop.portal.RemoteDesktop");
    facts.trayWatcher = hasOwner(bus.get(), "org.kde.StatusNotifierWatcher");
    facts.accessibilityEnabled = accessibilityEnabled(bus.get());
    facts.kwinScripting = hasOwner(bus.get(), "org.kde.KWin");
  }
  facts.gnomeKeyboardSettings = GnomeCustomShortcuts::available();
  facts.gnomeShortcutsInstalled = facts.gnomeKeyboardSettings && GnomeCustomShortcuts::installed();
  facts.keepAwakeTool = onPath("systemd-inhibit") || onPath("gnome-session-inhibit");
  return facts;
}

std::vector<FacilityStatus> assess(const SessionFacts& facts) {
  using Server = SessionFacts::DisplayServer;
  const bool x11 = facts.displayServer == Server::x11;
  const bool wayland = facts.displayServer == Server::wayland;
  const bool gnome = facts.desktop == SessionFacts::Desktop::gnome;
  const bool kde = facts.desktop == SessionFacts::Desktop::kde;
  std::vector<FacilityStatus> report;

  if (x11 && facts.xFixes)
    report.push_back(
        {"clipboard", State::working, "Copies are seen as they happen (X11 selection notifications).", ""});
  else if (wayland && facts.dataControl)
    report.push_back(
        {"clipboard", State::working, "Copies are seen as they happen (" + *facts.dataControl + ").", ""});
  else if (wayland && facts.xDisplay && facts.xFixes)
    report.push_back({"clipboard", State::working,
                      "Copies are seen through XWayland, to which this desktop mirrors its clipboard.", ""});
  else
    report.push_back(
        {"clipboard", State::unavailable, "This session lets no program watch the clipboard.",
         wayland ? "Enable XWayland in your desktop, or use a desktop with the data-control protocol."
                 : "Start Quillo inside your graphical session."});

  if (x11)
    report.push_back({"shortcuts", State::working, "Global shortcuts are grabbed from the X server.", ""});
  else if (wayland && facts.globalShortcutsPortal && facts.globalShortcutsRefused)
    report.push_back({"shortcuts", State::degraded,
                      "You turned down Quillo's request for global shortcuts in the desktop's dialog.",
                      "Record a shortcut again on the General page of Quillo's settings and accept the "
                      "desktop's dialog, or bind it in the desktop's own shortcut settings."});
  else if (wayland && facts.globalShortcutsPortal)
    report.push_back(
        {"shortcuts", State::working,
         "Global shortcuts go through the desktop's shortcuts portal; the desktop's own dialog picks "
         "the keys.",
         ""});
  else if (wayland && gnome && facts.gnomeShortcutsInstalled)
    report.push_back({"shortcuts", State::working,
                      "Quillo's shortcuts are custom shortcuts in GNOME's keyboard settings, running "
                      "\"quillo --toggle\" and \"quillo --clipboard\".",
                      ""});
  else if (wayland && gnome && !facts.gnomeKeyboardSettings)
    report.push_back(
        {"shortcuts", State::degraded,
         "GNOME on Wayland lets no program grab keys, and GNOME's keyboard settings are missing.",
         "Bind \"quillo --toggle\" and \"quillo --clipboard\" to keys in your desktop's "
         "keyboard settings."});
  else if (wayland && gnome)
    report.push_back({"shortcuts", State::degraded, "GNOME on Wayland lets no program grab keys.",
                      "On the General page of Quillo's settings, turn on \"Add Quillo's shortcuts to GNOME's "
                      "keyboard settings\": they run \"quillo --toggle\" and \"quillo --clipboard\"."});
  else
    report.push_back(
        {"shortcuts", State::degraded,
         wayland ? "Wayland lets no program grab keys, and no shortcuts portal runs in this session."
                 : "This desktop lets no program grab keys.",
         "Bind \"quillo --toggle\" and \"quillo --clipboard\" to keys in your desktop's keyboard "
         "settings."});

  if (x11 && facts.xTest)
    report.push_back({"paste", State::working, "Pasting sends the paste keys to the window in front.", ""});
  else if (wayland && facts.remoteDesktopPortal)
    report.push_back(
        {"paste", State::degraded,
         "Pasting goes through the desktop's remote-desktop portal, which asks for your consent the "
         "first time Quillo pastes (on older desktops once per session).",
         "Accept the desktop's request when it asks."});
  else
    report.push_back({"paste", State::unavailable,
                      wayland ? "Wayland lets no program type into another, and no remote-desktop portal "
                                "runs in this session to do it."
                              : "Automatic paste is not available in this session.",
                      "Choosing an item copies it: paste it yourself with Ctrl+V."});

  if (x11)
    report.push_back({"frontApplication", State::working,
                      "The application in front is read from the window manager.", ""});
  else if (wayland && kde && facts.kwinScripting)
    report.push_back({"frontApplication", State::working,
                      "The application in front is reported by a script Quillo runs in KWin.", ""});
  else if (wayland && facts.accessibilityEnabled)
    report.push_back(
        {"frontApplication", State::degraded,
         "The application in front is read from the accessibility bus's active window. Programs that do "
         "not publish to the bus (Chromium and Electron programs by default) leave it unknown while they "
         "are in front: their menus cannot be searched and excluded applications cannot be told apart.",
         "Start Chromium and Electron programs with --force-renderer-accessibility."});
  else if (wayland)
    report.push_back(
        {"frontApplication", State::unavailable,
         "The application in front is unknown: on this Wayland desktop it is read from the accessibility "
         "bus, which is off, so menus of the front application cannot be searched and excluded "
         "applications cannot be told apart.",
         "Turn on menu search in Quillo's settings (it enables the accessibility bus), then restart the "
         "programs you use."});
  else
    report.push_back({"frontApplication", State::unavailable,
                      "The application in front is unknown outside a graphical session.",
                      "Start Quillo inside your graphical session."});

  if (facts.accessibilityEnabled)
    report.push_back(
        {"menus", State::working,
         "Menus are read over the accessibility bus: GTK 3, Qt and LibreOffice programs publish them; "
         "Chromium and Electron programs do not by default; GTK 4 programs have no menu bar.",
         ""});
  else
    report.push_back({"menus", State::degraded,
                      "The accessibility bus is off, so no program publishes its menus.",
                      "Turn on menu search in Quillo's settings (it enables the accessibility bus)."});

  if (facts.trayWatcher)
    report.push_back({"tray", State::working, "Quillo's icon is in the system tray.", ""});
  else
    report.push_back(
        {"tray", State::degraded,
         "This desktop shows no tray icons; Quillo stays reachable by its shortcuts and \"quillo --show\".",
         gnome ? "Install and enable GNOME's AppIndicator extension (gnome-shell-extension-appindicator)."
               : "Add a system tray to your panel."});

  if (facts.keepAwakeTool)
    report.push_back(
        {"keepAwake", State::working, "Keep-awake holds the session's idle and sleep inhibitors.", ""});
  else
    report.push_back({"keepAwake", State::unavailable,
                      "Neither systemd-inhibit nor gnome-session-inhibit is installed.",
                      "Install systemd (systemd-inhibit)."});

  if (x11)
    report.push_back({"panel", State::working,
                      "The panel opens on the display under the pointer, where the settings place it.", ""});
  else if (wayland)
    report.push_back({"panel", State::degraded,
                      "On Wayland the compositor places windows: the panel opens where the desktop puts it, "
                      "which may not be the display under the pointer or the place the settings ask for.",
                      "Use the X11 session to have the panel open where the settings place it."});
  else
    report.push_back({"panel", State::unavailable, "There is no display to show the panel on.",
                      "Start Quillo inside your graphical session."});
  return report;
}

}  // namespace quillo::platform::desktop
