#pragma once

#include <QString>
#include <optional>

#include "quillo/app/search_model.h"
#include "quillo/app/search_states.h"
#include "quillo/core/commands/result_row.h"

namespace quillo::ui {

// The footer's line for the ranking service's state: off and why, ranking, failed with the
// service's message, ranked (from this opening's answers or fresh), or local results only.
QString serviceStateText(const app::RavoState& state);

// What a feedback view says and the one thing it offers to do.
struct FeedbackText {
  QString title;
  QString message;
  // Empty when the view offers nothing to do.
  QString button;
  bool operator==(const FeedbackText&) const = default;
};

// The text of a feedback view for the model's current state.
FeedbackText feedbackText(app::LauncherFeedback feedback, const app::SearchModel& model);

// The scope as its chip reads: the front application's name for its menus, "Commands", "Files".
QString scopeTitle(const app::SearchModel& model);

// What Return does on a row, shown beside the selected row ("Open", "Run", "Paste", …).
QString actionHint(const core::ResultRow& row);

// The secondary line of a row: its detail, or for a file its folder, size and day.
QString detailLine(const core::ResultRow& row);

}  // namespace quillo::ui
