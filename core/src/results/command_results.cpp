#include "quillo/core/results/command_results.h"

#include "quillo/core/results/result_merger.h"
#include "quillo/core/values/parameter_parser.h"
#include "quillo/core/web/web_search.h"

namespace quillo::core {

std::vector<ScoredRow> localCommandResults(const CommandIndex& index, std::string_view text,
                                           const UsageCounts& usage, const ResolverContext& context,
                                           std::size_t limit) {
  return commandResults(index, text, usage, context, limit, nullptr);
}

std::optional<int> bestLocalScore(const CommandIndex& index, std::string_view text,
                                  const UsageCounts& usage) {
  const std::vector<LocalHit> hits = index.search(text, usage, 1);
  if (hits.empty()) return std::nullopt;
  return hits.front().score;
}

std::vector<ScoredRow> commandResults(const CommandIndex& index, std::string_view text,
                                      const UsageCounts& usage, const ResolverContext& context,
                                      std::size_t limit, const SemanticResult* semantic) {
  MergeInput input;
  input.local = index.search(text, usage, limit);
  input.semantic = semantic;
  // A typed bang, else the service's suggestion.
  if (const auto web = WebSearch::hit(text, semantic, false)) input.web = ResultRow::web(*web, text);
  input.query = ParameterParser::parse(text);
  input.offersPresets = true;
  input.context = context;
  input.limit = limit;
  return withLocalScores(ResultMerger::merge(input), input.local);
}

}  // namespace quillo::core
