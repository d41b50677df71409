#pragma once

#include <QColor>
#include <QPalette>
#include <optional>

namespace quillo::ui {

// The desktop's wish for light or dark windows; no preference reads as light.
enum class ColorScheme { noPreference, dark, light };

// The application's palettes: quiet greys with one accent, used as Highlight (and Link). Without
// an accent from the desktop each has a blue of its own. HighlightedText is whichever of black
// and white reads better on the accent.
QPalette lightPalette(std::optional<QColor> accent = std::nullopt);
QPalette darkPalette(std::optional<QColor> accent = std::nullopt);
QPalette paletteFor(ColorScheme scheme, std::optional<QColor> accent = std::nullopt);

// Whether a palette is the dark one (its window darker than its text).
bool isDark(const QPalette& palette);

}  // namespace quillo::ui
