#pragma once

#include <QColor>
#include <QDBusVariant>
#include <QObject>
#include <QPalette>
#include <optional>

#include "quillo/ui/style/palettes.h"

namespace quillo::ui {

// The desktop's appearance as the settings portal tells it: the light or dark preference
// ("color-scheme") and the accent colour ("accent-color", where the desktop has one), read once
// at start and followed live through the portal's SettingChanged signal. Each change is applied as
// the application's palette, so every widget repaints in the new colours. Without a portal the
// light palette stays. Main thread only; needs the application object.
class DesktopAppearance : public QObject {
  Q_OBJECT

 public:
  explicit DesktopAppearance(QObject* parent = nullptr);

  ColorScheme colorScheme() const { return scheme_; }
  std::optional<QColor> accent() const { return accent_; }
  QPalette palette() const { return paletteFor(scheme_, accent_); }
  // The portal's first answers arrived (or it is not there).
  bool isSettled() const { return pendingReads_ == 0; }

 signals:
  // The palette was applied anew.
  void changed();

 private slots:
  void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

 private:
  void read(const QString& key);
  void take(const QString& key, const QVariant& value);
  void apply();

  ColorScheme scheme_ = ColorScheme::noPreference;
  std::optional<QColor> accent_;
  int pendingReads_ = 0;
};

// The portal's "color-scheme" value (0 no preference, 1 dark, 2 light); others are no preference.
ColorScheme colorSchemeFromPortal(uint value);
// The portal's "accent-color" (three fractions of red, green and blue); none when out of range,
// which is how the portal says the desktop has no accent.
std::optional<QColor> accentFromPortal(double red, double green, double blue);

// Whether the user asked the desktop for less motion (animations turned off on GNOME or KDE).
bool desktopReducesMotion();

}  // namespace quillo::ui
