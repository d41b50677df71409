#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "input_lines.h"
#include "quillo/core/matching/title_filter.h"

namespace quillo::cli {

// The lines of an input and those that match a query, best first.
struct FilteredInput {
  InputLines lines;
  std::vector<core::TitleHit> hits;
};

struct StreamOptions {
  // Lines are handed to the matching threads in pieces of about this many bytes.
  std::size_t pieceBytes = std::size_t{1} << 19;
  // Matching threads; 0 uses every core.
  unsigned threads = 0;
};

// Reads every line of `fd` (as InputLines does) and matches them against `query` with exactly the
// hits and order of core::filterTitles over all of them. A regular file is mapped and matched
// at once. Anything else, a pipe above all, is matched piece by piece on every core while the
// rest is still arriving, so that reading and matching overlap. Throws std::system_error when
// the input cannot be read.
FilteredInput filterInput(int fd, std::string_view query, const core::TitleFilterOptions& filterOptions,
                          const StreamOptions& streamOptions = {});

}  // namespace quillo::cli
