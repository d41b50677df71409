#include "quillo/ui/style/desktop_appearance.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStandardPaths>
#include <cstdlib>
#include <string>

#include "quillo/platform/desktop/qt_screens.h"

namespace quillo::ui {
namespace {

constexpr auto kService = "org.freedesktop.portal.Desktop";
constexpr auto kPath = "/org/freedesktop/portal/desktop";
constexpr auto kInterface = "org.freedesktop.portal.Settings";
constexpr auto kGroup = "org.freedesktop.appearance";

// Read answers with the value wrapped in one or two variants, depending on the portal's version.
QVariant unwrapped(QVariant value) {
  while (value.userType() == qMetaTypeId<QDBusVariant>())
    value = qvariant_cast<QDBusVariant>(value).variant();
  return value;
}

std::optional<QColor> accentFrom(const QVariant& value) {
  if (value.userType() != qMetaTypeId<QDBusArgument>()) return std::nullopt;
  const auto argument = qvariant_cast<QDBusArgument>(value);
  double red = -1, green = -1, blue = -1;
  argument.beginStructure();
  argument >> red >> green >> blue;
  argument.endStructure();
  return accentFromPortal(red, green, blue);
}

}  // namespace

ColorScheme colorSchemeFromPortal(uint value) {
  switch (value) {
    case 1:
      return ColorScheme::dark;
    case 2:
      return ColorScheme::light;
    default:
      return ColorScheme::noPreference;
  }
}

std::optional<QColor> accentFromPortal(double red, double green, double blue) {
  auto inRange = [](double c) { return c >= 0 && c <= 1; };
  if (!inRange(red) || !inRange(green) || !inRange(blue)) return std::nullopt;
  return QColor::fromRgbF(float(red), float(green), float(blue));
}

DesktopAppearance::DesktopAppearance(QObject* parent) : QObject(parent) {
  // The slot's argument type must be known before connecting, or the connection silently fails.
  qRegisterMetaType<QDBusVariant>();
  QDBusConnection::sessionBus().connect(kService, kPath, kInterface, "SettingChanged", this,
                                        SLOT(settingChanged(QString, QString, QDBusVariant)));
  read("color-scheme");
  read("accent-color");
  apply();
}

void DesktopAppearance::read(const QString& key) {
  auto call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Read");
  call << QString(kGroup) << key;
  // Asked without waiting: a portal that starts slowly never holds up the first window.
  auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, 2000), this);
  ++pendingReads_;
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key](QDBusPendingCallWatcher* finished) {
    const QDBusPendingReply<QDBusVariant> reply = *finished;
    --pendingReads_;
    if (!reply.isError()) take(key, unwrapped(QVariant::fromValue(reply.value())));
    finished->deleteLater();
    apply();
  });
}

void DesktopAppearance::settingChanged(const QString& group, const QString& key, const QDBusVariant& value) {
  if (group != kGroup) return;
  take(key, unwrapped(value.variant()));
  apply();
}

void DesktopAppearance::take(const QString& key, const QVariant& value) {
  if (key == "color-scheme") scheme_ = colorSchemeFromPortal(value.toUInt());
  if (key == "accent-color") accent_ = accentFrom(value);
}

void DesktopAppearance::apply() {
  QApplication::setPalette(palette());
  emit changed();
}

bool desktopReducesMotion() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  const QString kdeglobals =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/kdeglobals";
  return platform::desktop::desktopAnimationsOff(desktop ? desktop : "", kdeglobals.toStdString());
}

}  // namespace quillo::ui
