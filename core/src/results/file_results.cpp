#include "quillo/core/results/file_results.h"

#include "quillo/core/results/result_merger.h"

namespace quillo::core {

std::vector<ScoredRow> fileResults(const FileRouteDecision& decision, const SemanticResult* semantic,
                                   const ResolverContext& context, std::size_t limit) {
  return withLocalScores(ResultMerger::merge({.local = decision.hits,
                                              .semantic = semantic,
                                              .web = std::nullopt,
                                              .isStale = false,
                                              .query = {},
                                              .offersPresets = true,
                                              .context = context,
                                              .limit = limit}),
                         decision.hits);
}

}  // namespace quillo::core
