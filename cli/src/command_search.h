#pragma once

#include <cstddef>
#include <vector>

#include "arguments.h"
#include "quillo/core/results/scored_row.h"
#include "quillo/core/search/service_outcome.h"
#include "quillo/core/values/resolver_context.h"
#include "quillo/platform/system.h"

namespace quillo::cli {

// The moment, zone and locale to resolve values in: the system's unless --now, --time-zone or
// --locale say otherwise. Throws UsageError.
core::ResolverContext resolverContext(const Arguments& arguments, const platform::System& system);

// The command rows of a query as the launcher finds them: the local index lifted by usage, and,
// with a usable --service, the service's answer merged in.
struct CommandSearch {
  core::ServiceOutcome service;
  std::vector<core::ScoredRow> rows;
};
CommandSearch searchCommands(const Arguments& arguments, const platform::System& system,
                             const core::ResolverContext& context, std::size_t limit);

}  // namespace quillo::cli
