#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <vector>

#include "shares.h"

namespace fff {
namespace {

// Every item in exactly one range, each range handed to one of the threads asked for, and the
// thread's number fit to index a place of its own.
TEST(Shares, EveryItemOnceWhateverTheThreadsAndCount) {
  for (const unsigned threads : {1u, 2u, 3u, 8u}) {
    for (const std::uint32_t count : {0u, 1u, 1023u, 1024u, 5000u, 100000u}) {
      std::vector<std::atomic<int>> seen(count);
      std::mutex guard;
      std::set<unsigned> shares;
      inShares(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned share) {
        ASSERT_LE(begin, end);
        ASSERT_LE(end, count);
        ASSERT_LT(share, threads);
        {
          std::lock_guard lock(guard);
          shares.insert(share);
        }
        for (std::uint32_t at = begin; at < end; ++at)
          seen[at].fetch_add(1);
      });
      for (std::uint32_t at = 0; at < count; ++at)
        ASSERT_EQ(seen[at].load(), 1) << "item " << at << " of " << count << ", " << threads << " threads";
    }
  }
}

}  // namespace
}  // namespace fff
