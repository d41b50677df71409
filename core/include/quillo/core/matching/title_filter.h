#pragma once

#include <cstddef>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

namespace quillo::core {

struct TitleHit {
  std::size_t position;  // index of the title in the input
  int score;
  bool operator==(const TitleHit&) const = default;
};

struct TitleFilterOptions {
  std::size_t limit = std::numeric_limits<std::size_t>::max();
  // Worker threads; 0 uses every core.
  unsigned threads = 0;
};

// Matches a long list of titles against one query with exactly the hits, scores and order that a
// CommandIndex of commands with these titles gives (no usage, no typed values): best first by
// score, then title, then input position. Plain ASCII titles are scored straight from their bytes
// without building a MatchTarget. Titles must be valid UTF-8. An empty query matches nothing.
std::vector<TitleHit> filterTitles(std::span<const std::string_view> titles, std::string_view query,
                                   const TitleFilterOptions& options = {});

}  // namespace quillo::core
