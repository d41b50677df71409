#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "index.h"

namespace fff {

struct SearchOptions {
  std::uint32_t offset = 0;
  std::uint32_t limit = 0;
  std::uint32_t maxDepth = 0;  // 0: any depth
  std::int32_t minScore = 0;
  bool matchCase = false;
  bool directoriesOnly = false;
  unsigned threads = 0;  // 0: one per core
};

struct Match {
  std::uint32_t entry;
  std::int32_t score;
};

struct Matches {
  std::vector<Match> items;  // ordered best first, after offset and limit
  std::uint64_t total = 0;   // before offset and limit; see fuzzySearch for path matches
};

// Fuzzy search: every entry whose relative path contains the query's bytes in order. Entries
// whose name alone contains the query rank above those that need their folders; within each,
// the alignment score decides, then the shorter path, then the path's bytes. The total counts
// every name match, and the path matches too when the name matches do not fill offset + limit
// (otherwise path matches are not looked for at all).
Matches fuzzySearch(const Index& index, std::string_view query, const SearchOptions& options);

}  // namespace fff
