#pragma once

#include <QKeyEvent>

#include "quillo/app/shell/key_event.h"

namespace quillo::ui {

// A Qt key event as the application layer reads keys: the Mac key code of the key's place on the
// keyboard (so shortcuts stay on their keys whatever layout is active), Super as Command, Alt as
// Option, Ctrl as Control. The routing of the program's own windows reads Ctrl as Command.
app::KeyEvent keyEventFrom(const QKeyEvent& event);

// The modifiers of a Qt event in the application layer's names.
app::KeyModifiers keyModifiersFrom(Qt::KeyboardModifiers modifiers);

}  // namespace quillo::ui
