#include "quillo/core/results/command_results.h"

#include <unordered_map>

#include "quillo/core/results/result_merger.h"
#include "quillo/core/values/parameter_parser.h"
#include "quillo/core/web/web_search.h"

namespace quillo::core {

std::vector<ScoredRow> localCommandResults(const CommandIndex& index, std::string_view text,
                                           const UsageCounts& usage, const ResolverContext& context,
                                           std::size_t limit) {
  MergeInput input;
  input.local = index.search(text, usage, limit);
  if (const auto bang = WebSearch::bang(text)) input.web = ResultRow::web(*bang, text);
  input.query = ParameterParser::parse(text);
  input.offersPresets = true;
  input.context = context;
  input.limit = limit;

  std::unordered_map<std::string, int> scores;
  for (const LocalHit& hit : input.local)
    scores.emplace(hit.command.id, hit.score);
  std::vector<ScoredRow> rows;
  for (ResultRow& row : ResultMerger::merge(input)) {
    const auto score = scores.find(row.command.id);
    rows.push_back({std::move(row), score == scores.end() ? std::nullopt : std::optional(score->second)});
  }
  return rows;
}

}  // namespace quillo::core
