#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::clipboard {

// Numbers distinct words 0, 1, 2, ... in the order they are first seen. Loading the history looks
// up every word of every text here, millions of times, so a lookup must stay within one bucket:
// buckets hold the first sixteen bytes of their word, and words no longer than that (nearly all)
// are compared there without touching the word list. Words are never removed.
class WordTable {
 public:
  // A word's bucket key; computing it ahead lets a caller prefetch the bucket.
  struct Key {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    std::uint32_t hash = 0;
    std::uint32_t size = 0;
    bool operator==(const Key&) const = default;
  };
  // The sixteen bytes from `word.data()` must be readable, whatever the word's length: the key
  // is read with two fixed loads and masked, since branching on lengths that vary from word to
  // word costs more than the loads.
  static Key keyOfPadded(std::string_view word) {
    Key key;
    key.size = static_cast<std::uint32_t>(word.size());
    const std::size_t inlined = std::min(word.size(), kInline);
    key.head = load(word.data()) & kMasks[std::min<std::size_t>(inlined, 8)];
    key.tail = load(word.data() + 8) & kMasks[inlined - std::min<std::size_t>(inlined, 8)];
    if (word.size() <= kInline) {
      // Two multiplications spread the sixteen bytes over the whole hash.
      std::uint64_t hash = (key.head ^ 0x9E3779B97F4A7C15ULL) * 0xBF58476D1CE4E5B9ULL;
      hash ^= (key.tail + key.size) * 0x94D049BB133111EBULL;
      key.hash = static_cast<std::uint32_t>(hash ^ (hash >> 31));
    } else {
      key.hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(word));
    }
    return key;
  }

  // Brings the bucket where a lookup of `key` starts towards the processor: texts are looked up
  // word after word, and waiting for each bucket in turn costs more than the rest of the lookup.
  void prefetch(const Key& key) const { __builtin_prefetch(&buckets_[key.hash & mask_]); }

  // The word's number, and whether this call added it.
  std::pair<std::uint32_t, bool> intern(std::string_view word, const Key& key) {
    if ((words_.size() + 1) * 2 > buckets_.size()) grow();
    for (std::size_t index = key.hash & mask_;; index = (index + 1) & mask_) {
      Bucket& bucket = buckets_[index];
      if (bucket.id == kEmpty) {
        bucket = {key, static_cast<std::uint32_t>(words_.size())};
        words_.emplace_back(word);
        return {bucket.id, true};
      }
      if (bucket.key == key && (word.size() <= kInline || words_[bucket.id] == word))
        return {bucket.id, false};
    }
  }

  const std::vector<std::string>& words() const { return words_; }

 private:
  static constexpr std::uint32_t kEmpty = ~std::uint32_t{0};
  static constexpr std::size_t kInline = 16;

  // Thirty-two bytes, so that a bucket never straddles two cache lines.
  struct alignas(32) Bucket {
    Key key;
    std::uint32_t id = kEmpty;
  };

  // The low `n` bytes of a little-endian load, for n from 0 to 8.
  static constexpr std::uint64_t kMasks[9] = {0,
                                              0xFF,
                                              0xFFFF,
                                              0xFFFFFF,
                                              0xFFFFFFFF,
                                              0xFFFFFFFFFF,
                                              0xFFFFFFFFFFFF,
                                              0xFFFFFFFFFFFFFF,
                                              ~std::uint64_t{0}};

  static std::uint64_t load(const char* data) {
    std::uint64_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
  }

  void grow() {
    std::vector<Bucket> old = std::move(buckets_);
    buckets_.assign(std::max<std::size_t>(1024, old.size() * 2), Bucket{});
    mask_ = buckets_.size() - 1;
    for (const Bucket& bucket : old) {
      if (bucket.id == kEmpty) continue;
      std::size_t index = bucket.key.hash & mask_;
      while (buckets_[index].id != kEmpty)
        index = (index + 1) & mask_;
      buckets_[index] = bucket;
    }
  }

  std::vector<Bucket> buckets_ = std::vector<Bucket>(1024);
  std::size_t mask_ = 1023;
  std::vector<std::string> words_;
};

}  // namespace quillo::clipboard
