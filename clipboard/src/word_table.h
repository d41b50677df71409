#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::clipboard {

// Numbers distinct words 0, 1, 2, ... in the order they are first seen. An open-addressing table:
// loading the history looks up every word of every text here, millions of times, and a
// node-based map spends most of that time chasing pointers. Words are never removed.
class WordTable {
 public:
  // The word's number, and whether this call added it.
  std::pair<std::uint32_t, bool> intern(std::string_view word) {
    if ((words_.size() + 1) * 2 > buckets_.size()) grow();
    const std::uint64_t hash = std::hash<std::string_view>{}(word);
    for (std::size_t index = hash & mask_;; index = (index + 1) & mask_) {
      Bucket& bucket = buckets_[index];
      if (bucket.id == kEmpty) {
        bucket = {hash, static_cast<std::uint32_t>(words_.size())};
        words_.emplace_back(word);
        return {bucket.id, true};
      }
      if (bucket.hash == hash && words_[bucket.id] == word) return {bucket.id, false};
    }
  }

  const std::vector<std::string>& words() const { return words_; }

 private:
  static constexpr std::uint32_t kEmpty = ~std::uint32_t{0};
  struct Bucket {
    std::uint64_t hash = 0;
    std::uint32_t id = kEmpty;
  };

  void grow() {
    std::vector<Bucket> old = std::move(buckets_);
    buckets_.assign(std::max<std::size_t>(1024, old.size() * 2), Bucket{});
    mask_ = buckets_.size() - 1;
    for (const Bucket& bucket : old) {
      if (bucket.id == kEmpty) continue;
      std::size_t index = bucket.hash & mask_;
      while (buckets_[index].id != kEmpty)
        index = (index + 1) & mask_;
      buckets_[index] = bucket;
    }
  }

  std::vector<Bucket> buckets_;
  std::size_t mask_ = 0;
  std::vector<std::string> words_;
};

}  // namespace quillo::clipboard
