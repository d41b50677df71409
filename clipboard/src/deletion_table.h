#pragma once

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quillo::clipboard {

// Deletion-key hashes to the index words that produce them. Loading the history adds a quarter of
// a million keys at once, which a node-based multimap pays for with as many allocations; here they
// land in one sorted array, searched by bisection. Keys of the few words a save adds wait in a
// small hash table until there are enough of them to merge; removed words leave a hole that the
// next merge closes.
class DeletionTable {
 public:
  using WordId = std::uint32_t;
  // Eight bytes: a history of ten thousand texts holds some four hundred thousand keys.
  struct Key {
    std::uint32_t hash;
    WordId word;
    bool operator<(const Key& other) const { return hash < other.hash; }
  };

  // Adds many keys at once, given as runs that are each sorted (threads sort a run each). A few
  // keys wait in the small table; many are merged into the array with those already waiting.
  void insertRuns(std::vector<std::vector<Key>> runs) {
    std::size_t added = 0;
    for (const std::vector<Key>& run : runs)
      added += run.size();
    if (recent_.size() + added <= mergeThreshold()) {
      for (const std::vector<Key>& run : runs) {
        for (const auto& [hash, word] : run)
          recent_.emplace(hash, word);
      }
      return;
    }
    merge(std::move(runs));
  }

  // Removes one key of the word; keys are added once per occurrence and removed likewise.
  void erase(std::uint32_t hash, WordId word) {
    auto [first, last] = recent_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
      if (it->second == word) {
        recent_.erase(it);
        return;
      }
    }
    for (auto it = std::lower_bound(sorted_.begin(), sorted_.end(), Key{hash, 0});
         it != sorted_.end() && it->hash == hash; ++it) {
      if (it->word == word) {
        it->word = kHole;
        if (++holes_ > std::max<std::size_t>(kMinimumMerge, sorted_.size() / 4)) merge({});
        return;
      }
    }
  }

  // Calls `visit(word)` for every word with this key.
  template <class Visit>
  void forEach(std::uint32_t hash, Visit&& visit) const {
    for (auto it = std::lower_bound(sorted_.begin(), sorted_.end(), Key{hash, 0});
         it != sorted_.end() && it->hash == hash; ++it) {
      if (it->word != kHole) visit(it->word);
    }
    auto [first, last] = recent_.equal_range(hash);
    for (auto it = first; it != last; ++it)
      visit(it->second);
  }

 private:
  static constexpr WordId kHole = ~WordId{0};
  static constexpr std::size_t kMinimumMerge = 4096;

  // Waiting keys cost a hash lookup per search key; merging costs a pass over the array.
  std::size_t mergeThreshold() const { return std::max<std::size_t>(kMinimumMerge, sorted_.size() / 8); }

  void merge(std::vector<std::vector<Key>> runs) {
    std::vector<Key> pending;
    for (const auto& [hash, word] : recent_)
      pending.push_back({hash, word});
    recent_.clear();
    std::sort(pending.begin(), pending.end());
    runs.push_back(std::move(pending));
    std::erase_if(sorted_, [](const Key& key) { return key.word == kHole; });
    holes_ = 0;
    for (std::vector<Key>& run : runs) {
      if (run.empty()) continue;
      std::vector<Key> merged;
      merged.reserve(sorted_.size() + run.size());
      std::merge(sorted_.begin(), sorted_.end(), run.begin(), run.end(), std::back_inserter(merged));
      sorted_ = std::move(merged);
    }
  }

  std::vector<Key> sorted_;
  std::size_t holes_ = 0;
  std::unordered_multimap<std::uint32_t, WordId> recent_;
};

}  // namespace quillo::clipboard
