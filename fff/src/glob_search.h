#pragma once

#include <cstdint>
#include <string_view>

#include "index.h"
#include "search.h"

namespace fff {

struct GlobOptions {
  std::uint32_t offset = 0;
  std::uint32_t limit = 0;
  std::int64_t modifiedAfter = 0;  // 0: any time
  bool newestFirst = false;
  bool ignoreCase = false;
  bool filesOnly = false;
  bool directoriesOnly = false;
  unsigned threads = 0;  // 0: one per core
};

// Entries whose relative path matches the pattern, by path or newest first (ties by path).
// Throws Error for a malformed pattern.
Matches globSearch(const Index& index, std::string_view pattern, const GlobOptions& options);

}  // namespace fff
