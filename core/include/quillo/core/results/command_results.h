#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "quillo/core/commands/result_row.h"
#include "quillo/core/index/command_index.h"
#include "quillo/core/values/resolver_context.h"

namespace quillo::core {

// A merged row and the local score that put it there, when a local hit did.
struct ScoredRow {
  ResultRow row;
  std::optional<int> localScore;
};

// The rows for typed text before the ranking service answers: the index's hits, boosted by use,
// and the web search a typed bang asks for, merged as the launcher shows them.
std::vector<ScoredRow> localCommandResults(const CommandIndex& index, std::string_view text,
                                           const UsageCounts& usage, const ResolverContext& context,
                                           std::size_t limit);

}  // namespace quillo::core
