#include "quillo/ui/panel/application_accents.h"

#include <algorithm>
#include <array>

#include "quillo/core/index/app_branding.h"

namespace quillo::ui {
namespace {

constexpr int kSampleSize = 32;
constexpr int kHueBuckets = 24;
// Pixels paler or darker than these say little about an icon's colour.
constexpr float kMinimumSaturation = 0.35F;
constexpr float kMinimumValue = 0.25F;
// The share of the opaque pixels the winning hue needs, so that a few coloured pixels on a grey
// icon do not count as its colour.
constexpr double kMinimumShare = 0.08;

std::optional<QColor> brandColour(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const QColor colour(QString::fromStdString(*text));
  if (!colour.isValid()) return std::nullopt;
  return colour;
}

}  // namespace

std::optional<QColor> dominantColour(const QImage& image) {
  if (image.isNull()) return std::nullopt;
  const QImage sample =
      image.scaled(kSampleSize, kSampleSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
          .convertToFormat(QImage::Format_ARGB32);
  struct Bucket {
    double weight = 0, red = 0, green = 0, blue = 0;
    int pixels = 0;
  };
  std::array<Bucket, kHueBuckets> buckets{};
  int opaque = 0;
  for (int y = 0; y < sample.height(); ++y) {
    for (int x = 0; x < sample.width(); ++x) {
      const QColor pixel = QColor::fromRgba(sample.pixel(x, y));
      if (pixel.alpha() < 128) continue;
      ++opaque;
      float hue = 0, saturation = 0, value = 0;
      pixel.getHsvF(&hue, &saturation, &value);
      if (saturation < kMinimumSaturation || value < kMinimumValue || hue < 0) continue;
      Bucket& bucket = buckets[std::min(kHueBuckets - 1, static_cast<int>(hue * kHueBuckets))];
      const double weight = saturation * value;
      bucket.weight += weight;
      bucket.red += weight * pixel.redF();
      bucket.green += weight * pixel.greenF();
      bucket.blue += weight * pixel.blueF();
      ++bucket.pixels;
    }
  }
  const auto best = std::max_element(buckets.begin(), buckets.end(),
                                     [](const Bucket& a, const Bucket& b) { return a.weight < b.weight; });
  if (opaque == 0 || best->pixels < kMinimumShare * opaque) return std::nullopt;
  return QColor::fromRgbF(static_cast<float>(best->red / best->weight),
                          static_cast<float>(best->green / best->weight),
                          static_cast<float>(best->blue / best->weight));
}

ApplicationAccents::ApplicationAccents(BrandingLookup branding, QObject* parent)
    : QObject(parent), branding_(std::move(branding)) {
  pool_.setMaxThreadCount(1);
}

ApplicationAccents::~ApplicationAccents() {
  pool_.waitForDone();
}

std::optional<QColor> ApplicationAccents::accent(const QString& appId, const RowIcon& icon, bool dark) {
  if (const auto found = known_.find(appId); found != known_.end()) {
    if (!found->second) return std::nullopt;
    return dark ? found->second->dark : found->second->light;
  }
  known_[appId] = std::nullopt;
  // Pictures are drawn on the main thread; only their pixels go to the worker. A symbolic icon is
  // drawn in the text's colour, so it has none of its own.
  const QImage image = icon.symbolic ? QImage() : icon.icon.pixmap(QSize(48, 48)).toImage();
  pool_.start([this, appId, image] {
    const auto branding = branding_ ? branding_(appId.toStdString()) : std::nullopt;
    const auto fromIcon = dominantColour(image);
    Accents accents{.light = branding ? brandColour(branding->light) : std::nullopt,
                    .dark = branding ? brandColour(branding->dark) : std::nullopt};
    if (!accents.light) accents.light = fromIcon;
    if (!accents.dark) accents.dark = fromIcon;
    // The destructor waits for this task, so `this` is still there; the queued call dies with it.
    QMetaObject::invokeMethod(
        this,
        [this, appId, accents] {
          known_[appId] = accents;
          emit changed();
        },
        Qt::QueuedConnection);
  });
  return std::nullopt;
}

}  // namespace quillo::ui
