// Return on a row.
#include "quillo/app/search_model.h"

namespace quillo::app {
namespace {

// The shortcut that opens an application's settings, as the menu shows it.
constexpr std::string_view kSettingsShortcut = "\u2318,";

bool isScreenshot(const core::ResultRow& row) {
  const core::ActionInvocation* invocation = row.invocation();
  return invocation && std::holds_alternative<core::invocation::Screenshot>(*invocation);
}

}  // namespace

void SearchModel::run(const core::ResultRow& chosen, bool alternate) {
  // A copy: the hooks may replace the rows `chosen` lives in.
  const core::ResultRow row = chosen;
  const core::Command& command = row.command;
  // An action still waiting for its value: the user types it next.
  if (!row.canRun()) {
    setQuery(command.title + " ");
    return;
  }
  if (command.kind == core::Command::Kind::clipboard) {
    if (hooks_.pasteClipboard) hooks_.pasteClipboard(row);
    return;
  }
  if (hooks_.actionInvoked) hooks_.actionInvoked(scope_, alternate);
  if (!command.isFileResult()) deps_.usage.record(command.id, deps_.preferences.learnFromUsage());
  // Closing the panel empties the query; the settings guide still needs it.
  const std::string query = query_;
  if (hooks_.onRun) hooks_.onRun();

  if (row.probability && deps_.backend &&
      deps_.accessibility.isTrusted(platform::Accessibility::TrustCheck::silent)) {
    if (command.kind == core::Command::Kind::menuItem && command.shortcut == kSettingsShortcut &&
        hooks_.guideAppSettings) {
      hooks_.guideAppSettings(command, query);
      return;
    }
    if (command.kind == core::Command::Kind::setting && hooks_.guideSettingsPane) {
      hooks_.guideSettingsPane(command, query);
      return;
    }
  }
  if (!hooks_.runRow) return;
  // A separate turn, so that the panel is gone before the capture.
  if (isScreenshot(row)) {
    deps_.main.post([runRow = hooks_.runRow, row, alternate] { runRow(row, alternate); });
    return;
  }
  hooks_.runRow(row, alternate);
}

}  // namespace quillo::app
