#pragma once

#include "quillo/app/clipboard/clipboard_model.h"

class QMenu;

namespace quillo::ui {

// Fills `menu` with the history's actions for the current selection, each with its title and
// key; choosing one performs it on the model.
void fillActionMenu(QMenu& menu, app::ClipboardModel& model);

}  // namespace quillo::ui
