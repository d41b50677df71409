#pragma once

#include <optional>
#include <string>

class QWidget;

namespace quillo::ui {

// What an X11 window manager needs to treat the panel as a panel. Each does nothing outside X11.

// Keeps the window out of the taskbar and the pager: set on the window before it is mapped, and
// asked of the window manager again once it is.
void keepOutOfTaskbar(QWidget& window);

// Stamps the window with the desktop's startup token of the request that showed it, so that a
// window manager preventing focus stealing sees a fresh, user-initiated request.
void setStartupToken(QWidget& window, const std::string& token);

// Asks the window manager to activate the mapped window as a pager does: the panel appears in
// answer to the user's own shortcut, which no focus-stealing rule should refuse.
void activateMappedWindow(QWidget& window);

}  // namespace quillo::ui
