#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "quillo/clipboard/clipboard_entry.h"
#include "quillo/clipboard/clipboard_filter.h"

namespace quillo::clipboard {

// The history in memory: every entry, an inverted index from folded words to entries, and a
// table of one-deletion keys for typo tolerance. A query matches word by word (exact words beat
// word prefixes, which beat words one edit away), every query word must match, and titles and
// pins decide the order. Not thread-safe: the store, its only writer, serialises all use.
class ClipboardSearchIndex {
 public:
  static constexpr std::size_t kMaximumQueryWords = 16;
  static constexpr std::size_t kMaximumTypoWordLength = 40;
  static constexpr std::size_t kMinimumTypoWordLength = 3;
  static constexpr int kExactScore = 100;
  static constexpr int kPrefixScore = 85;
  static constexpr int kTypoScore = 60;
  static constexpr int kAbbreviationScore = 1;
  static constexpr int kExactTitleBonus = 10000;
  static constexpr int kTitlePrefixBonus = 1000;

  ClipboardSearchIndex();
  ~ClipboardSearchIndex();
  ClipboardSearchIndex(ClipboardSearchIndex&&) noexcept;
  ClipboardSearchIndex& operator=(ClipboardSearchIndex&&) noexcept;

  // Adds or replaces entries as they arrive: each is split into words on a worker at once, so
  // that producing the next entries (reading rows) overlaps the splitting. The entries join the
  // index, all together, when `finish` returns; a loader dropped before that leaves the index as
  // it was. The last of repeated ids wins. The index must not be used until `finish`.
  class Loader {
   public:
    Loader(ClipboardSearchIndex& index, unsigned threads);
    ~Loader();
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;

    void add(ClipboardEntry entry);
    void finish();

   private:
    struct Work;
    std::unique_ptr<Work> work_;
  };

  // Adds or replaces an entry.
  void insert(ClipboardEntry entry);
  // Adds or replaces many entries, splitting their texts into words on `threads` threads.
  void insertAll(std::vector<ClipboardEntry> entries, unsigned threads = 1);
  // Drops an entry; an unknown id is ignored.
  void remove(const base::Uuid& id);
  // Replaces an entry's fields that the index does not search by (copy date, pin) without
  // indexing it again. An unknown id is ignored.
  void update(const ClipboardEntry& entry);

  const ClipboardEntry* find(const base::Uuid& id) const;
  std::size_t count() const;
  // Every entry, in no particular order.
  std::vector<const ClipboardEntry*> entries() const;
  // The index words of an entry, sorted; for checking that the index mirrors its entries.
  std::vector<std::string> terms(const base::Uuid& id) const;

  // The entries that match `query` and pass `filter`, best first, at most `limit`. An empty
  // query lists the filtered history newest first. Throws base::Cancelled when `stop` is requested
  // at the start, before each query word or before ranking.
  std::vector<ClipboardEntry> search(std::string_view query, ClipboardFilter filter, std::size_t limit,
                                     std::stop_token stop = {});
  // The one entry the launcher may offer: among the first twenty results, the first whose own
  // title and text hold every query word exactly. Never a prefix, typo, tag or abbreviation match.
  std::optional<ClipboardEntry> strongMatch(std::string_view query, std::stop_token stop = {});

  // Whether `b` is `a` with one character inserted, deleted or replaced, or two neighbours swapped.
  static bool isOneEdit(std::string_view a, std::string_view b);
  // Whether the letters split into consecutive groups, each the start of a different word of the
  // label, in the label's order ("vsc" and "visco" for "visual studio code", not "sv").
  static bool isAbbreviation(std::u32string_view letters, std::string_view label);
  // Pinned first, then the later pin or copy date, then the smaller id text.
  static bool newestFirst(const ClipboardEntry& a, const ClipboardEntry& b);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace quillo::clipboard
