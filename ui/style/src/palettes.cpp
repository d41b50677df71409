#include "quillo/ui/style/palettes.h"

#include <cmath>

namespace quillo::ui {
namespace {

struct Tones {
  QColor window, base, alternateBase, text, placeholder, mid, button, light, dark, shadow, accent;
};

// Relative luminance as the contrast rules compute it, so that the text on the accent stays legible
// whatever colour the desktop chose.
double luminance(const QColor& color) {
  auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
}

QColor textOn(const QColor& background) {
  const double l = luminance(background);
  // Contrast against white is 1.05 / (l + 0.05), against black (l + 0.05) / 0.05.
  return 1.05 / (l + 0.05) >= (l + 0.05) / 0.05 ? QColor(Qt::white) : QColor(0x1c, 0x1c, 0x1e);
}

QPalette build(const Tones& t) {
  QPalette p;
  for (const auto group : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(group, QPalette::Window, t.window);
    p.setColor(group, QPalette::WindowText, t.text);
    p.setColor(group, QPalette::Base, t.base);
    p.setColor(group, QPalette::AlternateBase, t.alternateBase);
    p.setColor(group, QPalette::Text, t.text);
    p.setColor(group, QPalette::PlaceholderText, t.placeholder);
    p.setColor(group, QPalette::Button, t.button);
    p.setColor(group, QPalette::ButtonText, t.text);
    p.setColor(group, QPalette::BrightText, textOn(t.accent));
    p.setColor(group, QPalette::Light, t.light);
    p.setColor(group, QPalette::Midlight, t.light);
    p.setColor(group, QPalette::Mid, t.mid);
    p.setColor(group, QPalette::Dark, t.dark);
    p.setColor(group, QPalette::Shadow, t.shadow);
    p.setColor(group, QPalette::Highlight, t.accent);
    p.setColor(group, QPalette::HighlightedText, textOn(t.accent));
    p.setColor(group, QPalette::Link, t.accent);
    p.setColor(group, QPalette::LinkVisited, t.accent.darker(120));
    p.setColor(group, QPalette::ToolTipBase, t.base);
    p.setColor(group, QPalette::ToolTipText, t.text);
  }
  p.setColor(QPalette::Disabled, QPalette::Window, t.window);
  p.setColor(QPalette::Disabled, QPalette::Base, t.window);
  p.setColor(QPalette::Disabled, QPalette::Button, t.window);
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, t.placeholder);
  p.setColor(QPalette::Disabled, QPalette::PlaceholderText, t.mid);
  p.setColor(QPalette::Disabled, QPalette::Highlight, t.mid);
  p.setColor(QPalette::Disabled, QPalette::HighlightedText, t.text);
  return p;
}

}  // namespace

QPalette lightPalette(std::optional<QColor> accent) {
  return build({.window = QColor(0xf6, 0xf6, 0xf7),
                .base = QColor(0xff, 0xff, 0xff),
                .alternateBase = QColor(0xef, 0xef, 0xf1),
                .text = QColor(0x1d, 0x1d, 0x1f),
                .placeholder = QColor(0x86, 0x86, 0x8b),
                .mid = QColor(0xd8, 0xd8, 0xdc),
                .button = QColor(0xec, 0xec, 0xee),
                .light = QColor(0xff, 0xff, 0xff),
                .dark = QColor(0xa8, 0xa8, 0xad),
                .shadow = QColor(0x00, 0x00, 0x00, 0x40),
                .accent = accent.value_or(QColor(0x2f, 0x6f, 0xde))});
}

QPalette darkPalette(std::optional<QColor> accent) {
  return build({.window = QColor(0x23, 0x23, 0x26),
                .base = QColor(0x1b, 0x1b, 0x1d),
                .alternateBase = QColor(0x2c, 0x2c, 0x2f),
                .text = QColor(0xf2, 0xf2, 0xf5),
                .placeholder = QColor(0x8e, 0x8e, 0x93),
                .mid = QColor(0x3a, 0x3a, 0x3d),
                .button = QColor(0x33, 0x33, 0x36),
                .light = QColor(0x48, 0x48, 0x4c),
                .dark = QColor(0x12, 0x12, 0x14),
                .shadow = QColor(0x00, 0x00, 0x00, 0x80),
                .accent = accent.value_or(QColor(0x4c, 0x8d, 0xf0))});
}

QPalette paletteFor(ColorScheme scheme, std::optional<QColor> accent) {
  return scheme == ColorScheme::dark ? darkPalette(accent) : lightPalette(accent);
}

bool isDark(const QPalette& palette) {
  return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

}  // namespace quillo::ui
