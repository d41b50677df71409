#include <gtest/gtest.h>

#include <QImage>

#include "quillo/ui/effects/glow.h"

namespace quillo::ui {
namespace {

const QColor accent(40, 110, 240);

// A 200×140 picture with a ring whose line runs 20 pixels inside its edges.
QImage rendered(void (*paint)(QPainter&, const QRectF&, const QColor&, const GlowLook&),
                const GlowLook& look) {
  QImage image(200, 140, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  paint(painter, QRectF(20, 20, 160, 100), accent, look);
  return image;
}

int alphaAt(const QImage& image, int x, int y) {
  return qAlpha(image.pixel(x, y));
}

TEST(GlowRing, LightsTheLineAndLeavesTheCentreAndTheFarOutsideClear) {
  const QImage image = rendered(paintGlowRing, GlowLook{.spread = 10, .width = 3, .radius = 8});
  EXPECT_GT(alphaAt(image, 100, 20), 200);   // top edge
  EXPECT_GT(alphaAt(image, 20, 70), 200);    // left edge
  EXPECT_GT(alphaAt(image, 180, 70), 200);   // right edge
  EXPECT_GT(alphaAt(image, 100, 120), 200);  // bottom edge
  EXPECT_EQ(alphaAt(image, 100, 70), 0);
  EXPECT_EQ(alphaAt(image, 100, 3), 0);
  EXPECT_EQ(alphaAt(image, 3, 70), 0);
  // The line has the accent's hue.
  const QColor line = QColor::fromRgba(image.pixel(100, 20)).toHsv();
  EXPECT_NEAR(line.hsvHue(), accent.toHsv().hsvHue(), 8);
}

TEST(GlowRing, ItsLightFadesWithDistanceFromTheLineOnBothSides) {
  const QImage image = rendered(paintGlowRing, GlowLook{.spread = 10, .width = 3, .radius = 8});
  const int outside[] = {alphaAt(image, 100, 17), alphaAt(image, 100, 14), alphaAt(image, 100, 11)};
  const int inside[] = {alphaAt(image, 100, 23), alphaAt(image, 100, 26), alphaAt(image, 100, 29)};
  for (const int* side : {outside, inside}) {
    EXPECT_GT(side[0], side[1]);
    EXPECT_GT(side[1], side[2]);
    EXPECT_GT(side[2], 0);
  }
}

TEST(GlowRing, AnInvisibleLookDrawsNothing) {
  const QImage image = rendered(paintGlowRing, GlowLook{.opacity = 0});
  EXPECT_EQ(alphaAt(image, 100, 20), 0);
}

TEST(SolidRing, IsOpaqueOnItsBandAndClearElsewhere) {
  const GlowLook look{.spread = 10, .width = 3, .radius = 8};
  const QImage image = rendered(paintSolidRing, look);
  EXPECT_EQ(alphaAt(image, 100, 20), 255);
  EXPECT_EQ(alphaAt(image, 100, 70), 0);
  EXPECT_EQ(alphaAt(image, 100, 20 - int(solidRingWidth(look)) - 1), 0);
}

TEST(GlowTimeline, FadesInBreathesAndThenHoldsStill) {
  const GlowLook steady{.opacity = 0.9, .spread = 10};
  EXPECT_EQ(glowAt(std::chrono::milliseconds(0), false, steady).opacity, 0);
  double widest = 0;
  for (int t = 0; t < glowSettleTime.count(); t += 10)
    widest = std::max(widest, glowAt(std::chrono::milliseconds(t), false, steady).spread);
  EXPECT_GT(widest, steady.spread * 1.2);
  EXPECT_EQ(glowAt(glowSettleTime, false, steady), steady);
  EXPECT_EQ(glowAt(std::chrono::seconds(30), false, steady), steady);
}

TEST(GlowTimeline, WithAnimationsOffOnlyTheOpacityChanges) {
  const GlowLook steady{.opacity = 1, .spread = 10};
  double opacity = 0;
  for (int t = 0; t <= 2000; t += 10) {
    const GlowLook look = glowAt(std::chrono::milliseconds(t), true, steady);
    EXPECT_EQ(look.spread, steady.spread) << t;
    EXPECT_GE(look.opacity, opacity) << t;
    opacity = look.opacity;
  }
  EXPECT_EQ(opacity, 1);
}

}  // namespace
}  // namespace quillo::ui
