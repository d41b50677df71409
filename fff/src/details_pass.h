#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "index.h"

namespace fff {

// A size and modification time read for an entry that a names-only listing left without.
struct ReadDetail {
  std::uint32_t entry;
  std::uint64_t size;
  std::int64_t modified;
};

// Reads the size and time of every entry of `index` that has none yet, below `root` (the
// index's root folder, absolute), on `threads` threads. Each folder is opened once, relative to
// its already open parent, and its children are read relative to it; whole subtrees are shared
// among the threads. An entry that has vanished gets nothing. Only reads the index.
std::vector<ReadDetail> readMissingDetails(const Index& index, const std::string& root, unsigned threads,
                                           const std::stop_token& stop);

}  // namespace fff
