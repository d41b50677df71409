#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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

// A pattern's matches, or the message of the error that made it malformed.
using GlobOutcome = std::variant<Matches, std::string>;

// Each pattern's outcome, as globSearch gives it for that pattern alone, found by one pass over
// the names and the entries for all of them together: for callers that ask several related
// patterns at once ("name", "name.*", "name*").
std::vector<GlobOutcome> globSearchEach(const Index& index, std::span<const std::string_view> patterns,
                                        const GlobOptions& options);

}  // namespace fff
