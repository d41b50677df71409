#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "quillo/core/commands/result_row.h"
#include "quillo/core/index/command_index.h"
#include "quillo/core/ranking/semantic_result.h"
#include "quillo/core/results/scored_row.h"
#include "quillo/core/values/resolver_context.h"

namespace quillo::core {

// The rows for typed text before the ranking service answers: the index's hits, boosted by use,
// and the web search a typed bang asks for, merged as the launcher shows them.
std::vector<ScoredRow> localCommandResults(const CommandIndex& index, std::string_view text,
                                           const UsageCounts& usage, const ResolverContext& context,
                                           std::size_t limit);

// The same rows merged with the ranking service's answer for the text: its probabilities on the
// local rows, its commands and its web-search suggestion as rows of their own.
std::vector<ScoredRow> commandResults(const CommandIndex& index, std::string_view text,
                                      const UsageCounts& usage, const ResolverContext& context,
                                      std::size_t limit, const SemanticResult* semantic);

// The score of the index's best hit for the text, none without hits: what decides whether the
// service is asked (RavoQuestions::shouldAsk).
std::optional<int> bestLocalScore(const CommandIndex& index, std::string_view text, const UsageCounts& usage);

}  // namespace quillo::core
