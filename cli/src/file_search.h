#pragma once

#include <cstdio>

#include "arguments.h"
#include "quillo/core/values/resolver_context.h"
#include "quillo/platform/system.h"

namespace quillo::cli {

// `quillo-cli search --scope files`: the file rows for the query from the search folders,
// routed as the launcher routes them.
int searchFiles(const Arguments& arguments, const platform::System& system,
                const core::ResolverContext& context, std::FILE* output);

}  // namespace quillo::cli
