#include "quillo/platform/desktop/qt_screens.h"

#include <gio/gio.h>

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <fstream>
#include <memory>
#include <string>

namespace quillo::platform::desktop {
namespace {

Rect rect(const QRect& r) {
  return {{double(r.x()), double(r.y())}, {double(r.width()), double(r.height())}};
}

bool gnomeAnimationsOff() {
  // Looked up first: GSettings ends the program when asked for a schema that is not installed.
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (!source) return false;
  std::unique_ptr<GSettingsSchema, decltype(&g_settings_schema_unref)> schema(
      g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE), &g_settings_schema_unref);
  if (!schema || !g_settings_schema_has_key(schema.get(), "enable-animations")) return false;
  std::unique_ptr<GSettings, decltype(&g_object_unref)> settings(
      g_settings_new("org.gnome.desktop.interface"), &g_object_unref);
  return !g_settings_get_boolean(settings.get(), "enable-animations");
}

bool kdeAnimationsOff(const std::string& kdeglobals) {
  std::ifstream file(kdeglobals);
  std::string line;
  bool inKDE = false;
  while (std::getline(file, line)) {
    if (!line.empty() && line.front() == '[') inKDE = line.rfind("[KDE]", 0) == 0;
    if (inKDE && line.rfind("AnimationDurationFactor=", 0) == 0)
      return std::stod("0" + line.substr(line.find('=') + 1)) == 0;
  }
  return false;
}

}  // namespace

std::vector<Display> QtScreens::displays() const {
  std::vector<Display> result;
  const auto screens = QGuiApplication::screens();
  QScreen* primary = QGuiApplication::primaryScreen();
  for (QScreen* screen : screens) {
    std::string id = screen->name().toStdString();
    if (const auto serial = screen->serialNumber(); !serial.isEmpty()) id += ":" + serial.toStdString();
    Display display{id, rect(screen->geometry()), rect(screen->availableGeometry())};
    if (screen == primary)
      result.insert(result.begin(), display);
    else
      result.push_back(display);
  }
  return result;
}

Point QtScreens::pointer() const {
  const QPoint position = QCursor::pos();
  return {double(position.x()), double(position.y())};
}

bool desktopAnimationsOff(const std::string& currentDesktop, const std::string& kdeglobals) {
  if (currentDesktop.find("KDE") != std::string::npos) return kdeAnimationsOff(kdeglobals);
  return gnomeAnimationsOff();
}

}  // namespace quillo::platform::desktop
