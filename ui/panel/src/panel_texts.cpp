#include "quillo/ui/panel/panel_texts.h"

#include <QStringList>

namespace quillo::ui {
namespace {

QString q(const std::string& text) {
  return QString::fromStdString(text);
}

// The scope a feedback view offers to search instead: the commands, or from there the menus of
// the front application when there is one.
QString otherScopeButton(const app::SearchModel& model) {
  if (model.scope() != app::SearchModel::Scope::commands) return "Search Commands";
  if (model.menuApp()) return "Search Menus of " + q(model.menuAppName());
  return {};
}

}  // namespace

QString serviceStateText(const app::RavoState& state) {
  return std::visit(
      [](const auto& s) -> QString {
        using S = std::decay_t<decltype(s)>;
        if constexpr (std::is_same_v<S, app::ravo::Off>) {
          return "Ravo off \u00b7 " + q(s.reason);
        } else if constexpr (std::is_same_v<S, app::ravo::Answered>) {
          return s.cached ? QString("Ranked by Ravo \u00b7 earlier answer") : QString("Ranked by Ravo");
        } else if constexpr (std::is_same_v<S, app::ravo::Failed>) {
          return "Ravo failed \u00b7 " + q(s.message);
        } else if constexpr (std::is_same_v<S, app::ravo::Waiting>) {
          return "Ravo is ranking\u2026";
        } else {
          return "Local results";
        }
      },
      state);
}

FeedbackText feedbackText(app::LauncherFeedback feedback, const app::SearchModel& model) {
  const QString query = q(model.query()).trimmed();
  switch (feedback) {
    case app::LauncherFeedback::permission:
      return {"Menus need accessibility access",
              "Quillo reads the menus of " +
                  (model.menuAppName().empty() ? "the app" : q(model.menuAppName())) +
                  " through the desktop's accessibility bus, which is turned off.",
              "Turn On Accessibility\u2026"};
    case app::LauncherFeedback::fileSetup:
      return {"Choose where to search",
              "Quillo searches file names only in folders you choose. Subfolders are included.",
              "Choose Folders\u2026"};
    case app::LauncherFeedback::fileAccess: {
      QStringList lines;
      for (const auto& [path, message] : model.fileSearch().folderFailures)
        lines << q(path) + ": " + q(message);
      return {"Some search folders can't be read", lines.join('\n'), "Review Folders\u2026"};
    }
    case app::LauncherFeedback::fileSearch:
      return {"No file names match \u201c" + query + "\u201d",
              "Only names are searched in your search folders. Try part of the name, or search elsewhere.",
              otherScopeButton(model)};
    case app::LauncherFeedback::noMatches:
      return {"No matches for \u201c" + query + "\u201d", "Check the spelling, or try another scope.",
              otherScopeButton(model)};
  }
  return {};
}

QString scopeTitle(const app::SearchModel& model) {
  switch (model.scope()) {
    case app::SearchModel::Scope::menus:
      return model.menuAppName().empty() ? QString("Menus") : q(model.menuAppName());
    case app::SearchModel::Scope::commands:
      return "Commands";
    case app::SearchModel::Scope::files:
      return "Files";
  }
  return {};
}

QString actionHint(const core::ResultRow& row) {
  using Kind = core::Command::Kind;
  if (!row.canRun()) return "Type a value";
  switch (row.command.kind) {
    case Kind::app:
    case Kind::setting:
    case Kind::settingRow:
    case Kind::file:
    case Kind::folder:
      return "Open";
    case Kind::menuItem:
      return "Choose";
    case Kind::webSearch:
      return "Search";
    case Kind::clipboard:
      return "Paste";
    case Kind::action:
    case Kind::capability:
      return "Run";
  }
  return "Run";
}

QString detailLine(const core::ResultRow& row) {
  if (const auto& file = row.command.fileDetail) {
    QStringList parts;
    for (const std::string* part : {&file->folder, &file->size, &file->day})
      if (!part->empty()) parts << q(*part);
    return parts.join(" \u00b7 ");
  }
  return q(row.detail());
}

}  // namespace quillo::ui
