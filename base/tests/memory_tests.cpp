#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "quillo/base/memory.h"

namespace {

long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0;
  long resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

TEST(ReleaseFreedMemory, ReturnsWhatABuildFreedToTheSystem) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "The sanitizer's allocator replaces glibc's malloc: there is nothing of glibc's to trim.";
#endif
  constexpr std::size_t kBlocks = 16 * 1024;
  constexpr std::size_t kBlockSize = 4096;  // below the size the allocator maps on its own
  std::vector<std::unique_ptr<char[]>> blocks;
  blocks.reserve(kBlocks);
  for (std::size_t i = 0; i < kBlocks; ++i) {
    blocks.push_back(std::make_unique<char[]>(kBlockSize));
    std::memset(blocks.back().get(), 1, kBlockSize);
  }
  // A block that stays, after all the others, keeps the freed ones from the heap's end, where
  // the allocator would give them back by itself.
  auto kept = std::make_unique<char[]>(kBlockSize);
  std::memset(kept.get(), 1, kBlockSize);
  blocks.clear();
  const long held = residentBytes();

  quillo::base::releaseFreedMemory();

  EXPECT_LT(residentBytes(), held - static_cast<long>(kBlocks * kBlockSize / 2));
}

}  // namespace
