#pragma once

#include <optional>
#include <vector>

#include "quillo/core/commands/command.h"
#include "quillo/core/commands/result_row.h"

namespace quillo::core {

// A merged row and the local score that put it there, when a local hit did.
struct ScoredRow {
  ResultRow row;
  std::optional<int> localScore;
};

// The merged rows, each with the score of the local hit of its command (the first, should a
// command be hit twice); rows the service or a web search added have none.
std::vector<ScoredRow> withLocalScores(std::vector<ResultRow> rows, const std::vector<LocalHit>& hits);

}  // namespace quillo::core
