#pragma once

#include <QRect>

class QWidget;

namespace quillo::ui {

// Whether something blends our windows with what is behind them: always on Wayland, on X11 only
// while a compositing manager runs. Without one, translucent pixels show as black.
bool desktopComposites();

// Whether the program may put its windows where it wants: not as a Wayland client, where the
// compositor alone places windows.
bool windowsCanBePlaced();

// Takes `window` (shown, so that it has a native window) out of pointer input altogether: on X11
// an empty input shape, so that every click falls through to the window below, whatever the
// window manager makes of the flags. Elsewhere the window's flags already do this.
void makeClickThrough(QWidget& window);

// The usable area of the display under the pointer (the primary display when none is).
QRect availableAreaUnderPointer();

}  // namespace quillo::ui
