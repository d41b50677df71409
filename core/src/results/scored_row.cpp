#include "quillo/core/results/scored_row.h"

#include <string>
#include <unordered_map>

namespace quillo::core {

std::vector<ScoredRow> withLocalScores(std::vector<ResultRow> rows, const std::vector<LocalHit>& hits) {
  std::unordered_map<std::string, int> scores;
  for (const LocalHit& hit : hits)
    scores.emplace(hit.command.id, hit.score);
  std::vector<ScoredRow> scored;
  scored.reserve(rows.size());
  for (ResultRow& row : rows) {
    const auto score = scores.find(row.command.id);
    scored.push_back({std::move(row), score == scores.end() ? std::nullopt : std::optional(score->second)});
  }
  return scored;
}

}  // namespace quillo::core
