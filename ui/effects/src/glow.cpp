#include "quillo/ui/effects/glow.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillo::ui {
namespace {

constexpr std::chrono::milliseconds fadeIn{180};
constexpr std::chrono::milliseconds breath{800};
// Layers of the soft light: enough for a fall-off without visible steps at a spread of 20 pixels.
constexpr int layers = 16;

double easeOut(double t) {
  return 1 - (1 - t) * (1 - t);
}

QPainterPath roundedRing(const QRectF& ring, double radius) {
  QPainterPath path;
  const double r = std::min(radius, std::min(ring.width(), ring.height()) / 2);
  path.addRoundedRect(ring, r, r);
  return path;
}

}  // namespace

GlowLook glowAt(std::chrono::milliseconds elapsed, bool animationsOff, const GlowLook& steady) {
  GlowLook look = steady;
  const double t = double(std::max<std::int64_t>(0, elapsed.count()));
  look.opacity = steady.opacity * easeOut(std::min(1.0, t / double(fadeIn.count())));
  if (animationsOff || elapsed >= glowSettleTime) return look;
  // Breathes out and in, each breath weaker than the last, and comes to rest at the steady look.
  const double settle = 1 - t / double(glowSettleTime.count());
  const double pulse = std::pow(std::sin(std::numbers::pi * t / double(breath.count())), 2) * settle;
  look.spread = steady.spread * (1 + 0.6 * pulse);
  look.opacity = std::min(1.0, look.opacity * (1 + 0.25 * pulse));
  return look;
}

void paintGlowRing(QPainter& painter, const QRectF& ring, const QColor& color, const GlowLook& look) {
  if (look.opacity <= 0) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  const QPainterPath path = roundedRing(ring, look.radius);
  // Wide faint strokes under narrower ones add up to light that is strongest at the line.
  QColor halo = color;
  halo.setAlphaF(float(std::clamp(look.opacity * 0.075, 0.0, 1.0)));
  for (int layer = layers; layer >= 1; --layer) {
    // Layers crowd towards the line, where the light changes fastest.
    const double reach = look.spread * std::pow(double(layer) / layers, 1.4);
    painter.setPen(QPen(halo, look.width + 2 * reach, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
  }
  QColor line = color;
  line.setAlphaF(float(std::clamp(look.opacity, 0.0, 1.0)));
  painter.setPen(QPen(line, look.width));
  painter.drawPath(path);
  // A thin brighter core keeps the line crisp on dark and light backgrounds alike.
  QColor core = color.lighter(150);
  core.setAlphaF(float(std::clamp(look.opacity * 0.8, 0.0, 1.0)));
  painter.setPen(QPen(core, std::max(1.0, look.width / 3)));
  painter.drawPath(path);
  painter.restore();
}

double solidRingWidth(const GlowLook& look) {
  return look.width + 2;
}

void paintSolidRing(QPainter& painter, const QRectF& ring, const QColor& color, const GlowLook& look) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  const QPainterPath path = roundedRing(ring, look.radius);
  // Nothing blends this window: strength shows as brightness instead of translucency.
  const double strength = std::clamp(look.opacity, 0.0, 1.0);
  const QColor line = QColor::fromHsvF(color.hsvHueF(), color.hsvSaturationF(),
                                       float(color.valueF() * (0.55 + 0.45 * strength)));
  painter.setPen(QPen(line, solidRingWidth(look)));
  painter.drawPath(path);
  painter.setPen(QPen(line.lighter(150), 1));
  painter.drawPath(path);
  painter.restore();
}

}  // namespace quillo::ui
