#include "clipboard_action_menu.h"

#include <QMenu>

#include "clipboard_texts.h"

namespace quillo::ui {
namespace {

using app::ClipboardAction;

bool isAvailable(ClipboardAction action, const app::ClipboardModelState& state) {
  if (action == ClipboardAction::selectAll) return !state.entries.empty();
  if (state.isBusy) return false;
  return !state.selection.empty() || state.focusedID.has_value();
}

// Separators group the actions: putting content somewhere, looking at it, changing it, removing it.
bool startsGroup(ClipboardAction action) {
  return action == ClipboardAction::preview || action == ClipboardAction::pin ||
         action == ClipboardAction::selectAll || action == ClipboardAction::remove;
}

}  // namespace

void fillActionMenu(QMenu& menu, app::ClipboardModel& model) {
  menu.clear();
  const auto& state = model.state();
  for (const ClipboardAction action : app::kAllClipboardActions) {
    if (startsGroup(action)) menu.addSeparator();
    QString text = QString::fromStdString(model.title(action));
    // QMenu shows what follows a tab in its key column.
    if (const std::string key = actionKeyText(action, state.mode); !key.empty())
      text += QLatin1Char('\t') + QString::fromStdString(key);
    QAction* item = menu.addAction(text);
    item->setEnabled(isAvailable(action, state));
    if (action == ClipboardAction::preview || action == ClipboardAction::cleanText) {
      item->setCheckable(true);
      item->setChecked(action == ClipboardAction::preview ? state.isPreviewing
                                                          : state.cleanPreview.has_value());
    }
    QObject::connect(item, &QAction::triggered, &menu, [&model, action] { model.perform(action); });
  }
}

}  // namespace quillo::ui
