#pragma once

#include <cstddef>
#include <vector>

#include "quillo/core/files/file_route.h"
#include "quillo/core/ranking/semantic_result.h"
#include "quillo/core/results/scored_row.h"
#include "quillo/core/values/resolver_context.h"

namespace quillo::core {

// The rows of a file search as the launcher shows them: the route's local hits merged with the
// service's answer (none when it was not asked or failed), at most `limit`, each with the local
// score that put it there.
std::vector<ScoredRow> fileResults(const FileRouteDecision& decision, const SemanticResult* semantic,
                                   const ResolverContext& context, std::size_t limit);

}  // namespace quillo::core
