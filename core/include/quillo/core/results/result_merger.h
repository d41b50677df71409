#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "quillo/core/actions/action_invocation.h"
#include "quillo/core/commands/result_row.h"
#include "quillo/core/ranking/semantic_result.h"
#include "quillo/core/values/invocation_resolver.h"
#include "quillo/core/values/parsed_query.h"
#include "quillo/core/values/resolver_context.h"

namespace quillo::core {

// Turns a parameterised action and the typed values into the choices to show, best first.
using InvocationResolving = std::vector<ResolvedAction> (*)(const ActionDefinition& definition,
                                                            const ParsedQuery& query, bool offersPresets,
                                                            const ResolverContext& context);

struct MergeInput {
  // The command index's hits, best first.
  std::vector<LocalHit> local{};
  // The ranking service's answer for this query, if one came.
  const SemanticResult* semantic = nullptr;
  // A ready web-search row, if the query calls for one.
  std::optional<ResultRow> web{};
  // The service's answer is for an earlier text of the query.
  bool isStale = false;
  ParsedQuery query{};
  // Whether the first row may offer preset values when none was typed.
  bool offersPresets = false;
  ResolverContext context{};
  std::optional<std::size_t> limit{};
};

// Merges the local hits with the service's rows into the list the launcher shows: strong local
// hits lead unless a typed bang asks for a site, each command once (the local row keeps the
// service's probability), parameterised actions expanded into one row per choice.
namespace ResultMerger {

inline constexpr std::size_t maxRows = 8;
inline constexpr std::size_t maxLocalFileRows = 16;

// Without `resolve`, a parameterised action stays one row without a choice.
std::vector<ResultRow> merge(const MergeInput& input,
                             InvocationResolving resolve = InvocationResolver::resolve);

}  // namespace ResultMerger

// Which row stays selected when the list is replaced under the user's cursor.
namespace SelectionRule {

// The index in `next` of the row the user had selected in `previous`, when the user moved the
// selection; none selects the first row.
std::optional<std::size_t> keptIndex(const std::vector<ResultRow>& previous, std::size_t selected,
                                     const std::vector<ResultRow>& next, bool userMoved);

}  // namespace SelectionRule

}  // namespace quillo::core
