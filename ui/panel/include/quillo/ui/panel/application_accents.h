#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "quillo/core/index/app_branding.h"
#include "quillo/ui/style/icons.h"

namespace quillo::ui {

// The most common strongly coloured hue of a picture, averaged over its pixels; none for a grey,
// pale or mostly transparent one. Safe to call from any thread.
std::optional<QColor> dominantColour(const QImage& image);

// Each application's accent colour, for the scope chip: the primary brand colour of its AppStream
// metainfo for the colour scheme shown, else the dominant colour of its icon, else none (the
// desktop's accent serves). Worked out once per application on a worker thread, since reading
// the metainfo and the icon's pixels must not hold the panel up; `changed` says a new one arrived.
// Main thread only.
class ApplicationAccents : public QObject {
  Q_OBJECT

 public:
  // Reads an application's branding by its desktop-file id; called on the worker thread.
  using BrandingLookup = std::function<std::optional<core::AppBranding>(const std::string& appId)>;

  explicit ApplicationAccents(BrandingLookup branding, QObject* parent = nullptr);
  // Waits for the work in progress.
  ~ApplicationAccents() override;

  // The accent of the application with desktop-file id `appId` in a dark or light scheme; none
  // while it is worked out (this call starts that) or when the application has none.
  std::optional<QColor> accent(const QString& appId, const RowIcon& icon, bool dark);

 signals:
  void changed();

 private:
  struct Accents {
    std::optional<QColor> light;
    std::optional<QColor> dark;
  };

  BrandingLookup branding_;
  // None while the application's accents are worked out.
  std::map<QString, std::optional<Accents>> known_;
  QThreadPool pool_;
};

}  // namespace quillo::ui
