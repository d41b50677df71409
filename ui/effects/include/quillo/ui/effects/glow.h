#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <chrono>

namespace quillo::ui {

// How a glowing ring looks at one moment: how strong it is, how far its soft light reaches
// beyond the line, the line's width and its corners' radius (all in device-independent pixels).
struct GlowLook {
  double opacity = 1;
  double spread = 10;
  double width = 3;
  double radius = 10;
  bool operator==(const GlowLook&) const = default;
};

// Glows fade in and breathe softly a few times, then stay still; nothing moves after this.
inline constexpr std::chrono::milliseconds glowSettleTime{1600};

// The look `elapsed` after the glow appeared, starting from its `steady` look. With animations
// off it only fades in: the light never grows or shrinks.
GlowLook glowAt(std::chrono::milliseconds elapsed, bool animationsOff, const GlowLook& steady);

// Draws a ring whose line runs along `ring` (a rounded rectangle), with soft light falling off
// on both sides of it over `look.spread`. For windows that a compositor blends with what is
// behind them.
void paintGlowRing(QPainter& painter, const QRectF& ring, const QColor& color, const GlowLook& look);

// The same ring without translucency, for windows that nothing blends: an opaque line of the
// spread's strength, which a window mask cuts out of the screen. Its band is
// `solidRingWidth(look)` wide, centred on `ring`.
void paintSolidRing(QPainter& painter, const QRectF& ring, const QColor& color, const GlowLook& look);
double solidRingWidth(const GlowLook& look);

}  // namespace quillo::ui
