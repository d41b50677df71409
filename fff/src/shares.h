#pragma once

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace fff {

// Below this many entries a second thread costs more to start than it saves.
inline constexpr std::size_t kEntriesPerThread = 65536;

// How many threads a pass over `entries` entries should use: `requested` (0: one per core),
// never more than the cores, and only as many as the entries make worth starting.
inline unsigned passThreads(unsigned requested, std::size_t entries) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const unsigned wanted = requested == 0 ? cores : std::min(requested, cores);
  const auto useful = static_cast<unsigned>(std::max<std::size_t>(1, entries / kEntriesPerThread));
  return std::max(1u, std::min(wanted, useful));
}

// Runs work(begin, end, share) over `shares` contiguous ranges that cover [0, count), the
// first on the calling thread, and returns when all are done.
template <class Work>
void inShares(std::uint32_t count, unsigned shares, Work&& work) {
  const auto bound = [&](unsigned share) {
    return static_cast<std::uint32_t>(std::uint64_t{count} * share / shares);
  };
  std::vector<std::jthread> workers;
  workers.reserve(shares - 1);
  for (unsigned share = 1; share < shares; ++share)
    workers.emplace_back([&, share] { work(bound(share), bound(share + 1), share); });
  work(0, bound(1), 0u);
}

}  // namespace fff
