#pragma once

#include <cstdint>
#include <set>

#include "quillo/clipboard/clipboard_entry.h"

namespace quillo::clipboard {

// The unpinned entries oldest first (and the tokens among them apart), with the byte total of
// the whole history: what a save needs to choose the entries it evicts without visiting every
// entry of the history. Kept in step with the index by the store.
class EvictionOrder {
 public:
  struct Item {
    base::Date copiedAt;
    base::Uuid id;
    std::int64_t byteCount = 0;
    bool isToken = false;
    // Oldest first; equal dates by id, so that the order never depends on insertion.
    bool operator<(const Item& other) const {
      if (copiedAt != other.copiedAt) return copiedAt < other.copiedAt;
      return id.bytes < other.id.bytes;
    }
  };

  void add(const ClipboardEntry& entry) {
    totalBytes_ += entry.byteCount;
    if (entry.isPinned) return;
    const Item item = itemOf(entry);
    unpinned_.insert(item);
    if (item.isToken) tokens_.insert(item);
  }

  // `entry` as it was added.
  void remove(const ClipboardEntry& entry) {
    totalBytes_ -= entry.byteCount;
    if (entry.isPinned) return;
    const Item item = itemOf(entry);
    unpinned_.erase(item);
    tokens_.erase(item);
  }

  std::int64_t totalBytes() const { return totalBytes_; }
  const std::set<Item>& unpinned() const { return unpinned_; }
  const std::set<Item>& unpinnedTokens() const { return tokens_; }

 private:
  static Item itemOf(const ClipboardEntry& entry) {
    return {entry.copiedAt, entry.id, entry.byteCount, entry.isToken()};
  }

  std::set<Item> unpinned_;
  std::set<Item> tokens_;
  std::int64_t totalBytes_ = 0;
};

}  // namespace quillo::clipboard
