#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

#include "quillo/core/matching/fuzzy_matcher.h"

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

// The hits of one batch of titles, best first, positions counted from the batch's first title.
// Batches let a caller match titles while the rest of them are still being read.
struct TitleBatchHits {
  struct Hit {
    int score;
    // The title's first eight bytes, packed so that most title comparisons are one integer's.
    std::uint64_t titlePrefix;
    std::size_t position;
  };
  std::vector<Hit> hits;
};

// Scores one batch of titles, keeping its best `limit`. Safe from any thread.
TitleBatchHits filterTitleBatch(std::span<const std::string_view> titles, const PreparedQuery& query,
                                std::size_t limit);

// Merges the hits of consecutive batches, batch i starting at position firstPositions[i] of
// `titles` (every title, in input order), into the best `limit` in the order filterTitles gives.
std::vector<TitleHit> mergeTitleBatches(std::vector<TitleBatchHits> batches,
                                        std::span<const std::size_t> firstPositions,
                                        std::span<const std::string_view> titles, std::size_t limit);

}  // namespace quillo::core
