#pragma once

#include <QIcon>

namespace quillo::ui {

// The status item's icon: the theme's symbolic Quillo icon when installed (trays recolour
// symbolic icons to fit their panel), else the same mark drawn here as a light glyph with a dark
// rim, which stays readable on light and dark panels alike.
QIcon trayIcon();

}  // namespace quillo::ui
