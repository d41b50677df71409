#include "quillo/core/commands/result_row.h"

namespace quillo::core {

ResultRow ResultRow::web(const WebSearchHit& hit, std::string_view query) {
  return ResultRow{WebSearch::command(hit, query), hit.probability, std::nullopt};
}

std::string ResultRow::id() const {
  if (!action) return command.id;
  return command.id + "#" + action->key;
}

const std::string& ResultRow::detail() const {
  if (action && !action->detail.empty()) return action->detail;
  return command.detail;
}

const ActionInvocation* ResultRow::invocation() const {
  if (!action || !action->invocation) return nullptr;
  return &*action->invocation;
}

bool ResultRow::canRun() const {
  return command.definition() == nullptr || invocation() != nullptr;
}

}  // namespace quillo::core
