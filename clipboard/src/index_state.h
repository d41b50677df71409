#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "abbreviation.h"
#include "deletion_table.h"
#include "quillo/base/hashing.h"
#include "quillo/clipboard/clipboard_search_index.h"

namespace quillo::clipboard {

using SlotId = std::uint32_t;
using WordId = std::uint32_t;
constexpr std::uint32_t kNoSlot = ~std::uint32_t{0};

// Whether `text` starts with `prefix`, settling most answers on the first byte: a one-letter query
// tests thousands of words and titles, where a library call per test costs more than the test.
inline bool startsWith(std::string_view text, std::string_view prefix) {
  if (prefix.empty()) return true;
  return text.size() >= prefix.size() && text[0] == prefix[0] &&
         std::memcmp(text.data() + 1, prefix.data() + 1, prefix.size() - 1) == 0;
}

// The index's tables. Entries live in numbered slots and words have numbers, so that postings and
// per-search scores are plain arrays indexed by number.
struct ClipboardSearchIndex::State {
  struct Slot {
    ClipboardEntry entry;
    // The folded title, a space and the folded application name: what abbreviations match; the
    // title alone ranks.
    std::string label;
    std::uint32_t titleLength = 0;
    AbbreviationLabel abbreviationMasks;
    // Every index word of the entry; the first `ownTermCount` are those of its title and text.
    std::vector<WordId> terms;
    std::uint32_t ownTermCount = 0;
    bool live = false;

    std::string_view foldedTitle() const { return std::string_view(label).substr(0, titleLength); }
  };
  struct Word {
    std::string text;
    std::vector<SlotId> postings;
  };
  // Word numbers found by their text, which only `words` holds: tens of thousands of words would
  // otherwise be stored twice.
  struct WordHash {
    using is_transparent = void;
    const std::vector<Word>* words;
    std::size_t operator()(std::string_view text) const noexcept {
      return std::hash<std::string_view>{}(text);
    }
    std::size_t operator()(WordId id) const noexcept { return (*this)((*words)[id].text); }
  };
  struct WordEqual {
    using is_transparent = void;
    const std::vector<Word>* words;
    bool operator()(WordId a, WordId b) const noexcept { return a == b; }
    bool operator()(std::string_view a, WordId b) const noexcept { return a == (*words)[b].text; }
    bool operator()(WordId a, std::string_view b) const noexcept { return (*words)[a].text == b; }
  };

  std::vector<Slot> slots;
  std::vector<SlotId> freeSlots;
  std::unordered_map<base::Uuid, SlotId> ids;
  std::vector<Word> words;
  std::vector<WordId> freeWords;
  std::unordered_set<WordId, WordHash, WordEqual> wordIds{0, WordHash{&words}, WordEqual{&words}};
  DeletionTable deletions;
  std::vector<WordId> vocabulary;
  bool vocabularyChanged = false;

  // Per search, indexed by slot; all zero between searches.
  std::vector<int> wordScores;
  std::vector<int> totals;
  std::vector<SlotId> touched;
  // Per query word, indexed by word; all zero between calls.
  std::vector<int> matchScores;

  // The number of the word with this text, if the index has it.
  std::optional<WordId> wordOf(std::string_view text) const {
    const auto found = wordIds.find(text);
    return found == wordIds.end() ? std::nullopt : std::optional<WordId>(*found);
  }
  // The word's number and whether it is new; a new word has no deletion keys yet. A word's keys
  // are not kept with it: they follow from its text, and are worked out again when it goes.
  std::pair<WordId, bool> intern(std::string_view text);
  // Long words (hashes, encoded blobs) get no typo keys: nobody retypes them with one slip.
  static bool takesDeletionKeys(std::string_view text);
  void dropWord(WordId id);
  // A free slot, sized into the per-search tables; the caller fills it.
  SlotId newSlot();
  void removeSlot(SlotId slotId);
  const Slot* slotOf(const base::Uuid& id) const;
  void rebuildVocabulary();
  // The index words that match one query word, with their scores, best first.
  std::vector<std::pair<WordId, int>> matchingWords(std::string_view query);
};

}  // namespace quillo::clipboard
