#include "quillo/clipboard/clipboard_search_index.h"

#include <algorithm>
#include <functional>
#include <thread>
#include <unordered_set>

#include "abbreviation.h"
#include "characters.h"
#include "quillo/base/cancelled.h"
#include "quillo/base/unicode.h"
#include "quillo/clipboard/clipboard_category.h"
#include "quillo/clipboard/search_words.h"
#include "word_edits.h"
#include "word_scanner.h"
#include "word_table.h"

namespace quillo::clipboard {
namespace {

using SlotId = std::uint32_t;
using WordId = std::uint32_t;
constexpr std::uint32_t kNone = ~std::uint32_t{0};

struct UuidHash {
  std::size_t operator()(const base::Uuid& id) const noexcept { return base::hashOf(id); }
};

struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};

template <class Value>
using StringMap = std::unordered_map<std::string, Value, StringHash, std::equal_to<>>;

// The words a tag adds to its entry's index words.
void addTagWords(const ClipboardTag& tag, std::vector<std::string_view>& words) {
  switch (tag.key) {
    case ClipboardTag::Key::category:
      if (const auto category = clipboardCategoryFromRaw(tag.value)) {
        for (std::string_view word : searchWords(*category))
          words.push_back(word);
      }
      return;
    case ClipboardTag::Key::site:
    case ClipboardTag::Key::linkSite: {
      // Every label of the host but the top-level domain: "docs.example.org" gives docs, example.
      std::vector<std::string_view> pieces;
      std::string_view rest(tag.value);
      while (!rest.empty()) {
        const auto dot = rest.find('.');
        const std::string_view piece = rest.substr(0, dot);
        if (!piece.empty()) pieces.push_back(piece);
        if (dot == std::string_view::npos) break;
        rest.remove_prefix(dot + 1);
      }
      if (pieces.size() >= 2) words.insert(words.end(), pieces.begin(), pieces.end() - 1);
      return;
    }
    default:
      // The source application's name is indexed directly; bundle ids, pages and extensions are not words.
      return;
  }
}

// An entry's words before they are shared with the index: numbered in a dictionary of the thread
// that split them.
struct PreparedEntry {
  ClipboardEntry entry;
  std::string foldedTitle;
  std::string label;
  std::vector<std::uint32_t> own;
  std::vector<std::uint32_t> all;
};

// Splits entries into words on one thread, numbering each distinct word once.
class Preparer {
 public:
  void prepare(PreparedEntry& prepared) {
    ++serial_;
    const ClipboardEntry& entry = prepared.entry;
    prepared.foldedTitle = fold(entry.title);
    prepared.label = prepared.foldedTitle + " " + fold(entry.sourceAppName);
    const auto add = [&](bool own) {
      return [&, own](std::string_view word) {
        const std::uint32_t id = localId(word);
        if (seen_[id] == serial_) return;
        seen_[id] = serial_;
        prepared.all.push_back(id);
        if (own) prepared.own.push_back(id);
      };
    };
    scanner_.scan(entry.title, add(true));
    scanner_.scan(entry.text, add(true));
    if (entry.imageText) scanner_.scan(*entry.imageText, add(false));
    scanner_.scan(entry.sourceAppName, add(false));
    std::vector<std::string_view> tagWords;
    if (const auto category = clipboardCategoryFromRaw(rawValue(entry.kind))) {
      for (std::string_view word : searchWords(*category))
        tagWords.push_back(word);
    }
    for (const ClipboardTag& tag : entry.tags)
      addTagWords(tag, tagWords);
    for (std::string_view word : tagWords)
      scanner_.scan(word, add(false));
  }

  const std::vector<std::string>& words() const { return table_.words(); }

 private:
  std::uint32_t localId(std::string_view word) {
    const auto [id, added] = table_.intern(word);
    if (added) seen_.push_back(0);
    return id;
  }

  WordScanner scanner_;
  WordTable table_;
  std::vector<std::uint64_t> seen_;
  std::uint64_t serial_ = 0;
};

}  // namespace

struct ClipboardSearchIndex::State {
  struct Slot {
    ClipboardEntry entry;
    std::string foldedTitle;
    std::string label;
    // The label decoded once, for the abbreviation pass over every entry.
    std::u32string labelScalars;
    std::uint64_t labelMask = 0;
    // Every index word of the entry, and those of its title and text alone.
    std::vector<WordId> terms;
    std::vector<WordId> ownTerms;
    bool live = false;
  };
  struct Word {
    std::string text;
    std::vector<SlotId> postings;
    std::vector<std::uint64_t> deletionKeys;
  };

  std::vector<Slot> slots;
  std::vector<SlotId> freeSlots;
  std::unordered_map<base::Uuid, SlotId, UuidHash> ids;
  std::vector<Word> words;
  std::vector<WordId> freeWords;
  StringMap<WordId> wordIds;
  std::unordered_multimap<std::uint64_t, WordId> deletions;
  std::vector<WordId> vocabulary;
  bool vocabularyChanged = false;

  // Per search, indexed by slot; all zero between searches.
  std::vector<int> wordScores;
  std::vector<int> totals;
  std::vector<SlotId> touched;
  // Per query word, indexed by word; all zero between calls.
  std::vector<int> matchScores;

  WordId intern(std::string_view text) {
    if (const auto found = wordIds.find(text); found != wordIds.end()) return found->second;
    WordId id;
    if (!freeWords.empty()) {
      id = freeWords.back();
      freeWords.pop_back();
    } else {
      id = static_cast<WordId>(words.size());
      words.emplace_back();
    }
    Word& word = words[id];
    word.text.assign(text);
    vocabularyChanged = true;
    // Long words (hashes, encoded blobs) get no typo keys: nobody retypes them with one slip.
    const std::size_t length = base::isAscii(text) ? text.size() : characters::clusters(text).size();
    if (length <= kMaximumTypoWordLength) {
      word.deletionKeys = deletionKeyHashes(text);
      for (std::uint64_t key : word.deletionKeys)
        deletions.emplace(key, id);
    }
    wordIds.emplace(word.text, id);
    return id;
  }

  void dropWord(WordId id) {
    Word& word = words[id];
    for (std::uint64_t key : word.deletionKeys) {
      auto [first, last] = deletions.equal_range(key);
      for (auto it = first; it != last; ++it) {
        if (it->second == id) {
          deletions.erase(it);
          break;
        }
      }
    }
    wordIds.erase(word.text);
    word = Word{};
    freeWords.push_back(id);
    vocabularyChanged = true;
  }

  void removeSlot(SlotId slotId) {
    Slot& slot = slots[slotId];
    for (WordId wordId : slot.terms) {
      auto& postings = words[wordId].postings;
      const auto found = std::find(postings.begin(), postings.end(), slotId);
      if (found != postings.end()) {
        *found = postings.back();
        postings.pop_back();
      }
      if (postings.empty()) dropWord(wordId);
    }
    ids.erase(slot.entry.id);
    slot = Slot{};
    freeSlots.push_back(slotId);
  }

  // The entry's id must not be in the index.
  void add(PreparedEntry prepared, const std::vector<WordId>& globalOf) {
    SlotId slotId;
    if (!freeSlots.empty()) {
      slotId = freeSlots.back();
      freeSlots.pop_back();
    } else {
      slotId = static_cast<SlotId>(slots.size());
      slots.emplace_back();
      wordScores.push_back(0);
      totals.push_back(0);
    }
    Slot& slot = slots[slotId];
    const auto globalIds = [&](const std::vector<std::uint32_t>& local) {
      std::vector<WordId> global;
      global.reserve(local.size());
      for (std::uint32_t id : local)
        global.push_back(globalOf[id]);
      return global;
    };
    slot.terms = globalIds(prepared.all);
    slot.ownTerms = globalIds(prepared.own);
    for (WordId wordId : slot.terms)
      words[wordId].postings.push_back(slotId);
    slot.foldedTitle = std::move(prepared.foldedTitle);
    slot.label = std::move(prepared.label);
    slot.labelScalars = scalarsOf(slot.label);
    slot.labelMask = scalarMask(slot.labelScalars);
    ids.emplace(prepared.entry.id, slotId);
    slot.entry = std::move(prepared.entry);
    slot.live = true;
  }

  const Slot* slotOf(const base::Uuid& id) const {
    const auto found = ids.find(id);
    return found == ids.end() ? nullptr : &slots[found->second];
  }

  void rebuildVocabulary() {
    vocabulary.clear();
    vocabulary.reserve(wordIds.size());
    for (const auto& [text, id] : wordIds)
      vocabulary.push_back(id);
    std::sort(vocabulary.begin(), vocabulary.end(),
              [&](WordId a, WordId b) { return words[a].text < words[b].text; });
    vocabularyChanged = false;
  }

  // The index words that match one query word, with their scores, best first.
  std::vector<std::pair<WordId, int>> matchingWords(std::string_view query) {
    // Scores by word id, cleared again before returning; a map would cost more than the walk.
    matchScores.resize(words.size(), 0);
    std::vector<std::pair<WordId, int>> matches;
    const auto offer = [&](WordId id, int score) {
      int& best = matchScores[id];
      if (best == 0) matches.emplace_back(id, 0);
      best = std::max(best, score);
    };
    if (const auto found = wordIds.find(query); found != wordIds.end()) offer(found->second, kExactScore);
    auto it = std::lower_bound(vocabulary.begin(), vocabulary.end(), query,
                               [&](WordId id, std::string_view text) { return words[id].text < text; });
    for (; it != vocabulary.end() && std::string_view(words[*it].text).starts_with(query); ++it) {
      offer(*it, kPrefixScore);
    }
    const std::size_t length = base::isAscii(query) ? query.size() : characters::clusters(query).size();
    if (length >= kMinimumTypoWordLength && length <= kMaximumTypoWordLength) {
      for (std::uint64_t key : deletionKeyHashes(query)) {
        auto [first, last] = deletions.equal_range(key);
        for (auto candidate = first; candidate != last; ++candidate) {
          if (matchScores[candidate->second] == 0 && isOneEdit(query, words[candidate->second].text)) {
            offer(candidate->second, kTypoScore);
          }
        }
      }
    }
    for (auto& [id, score] : matches) {
      score = matchScores[id];
      matchScores[id] = 0;
    }
    std::sort(matches.begin(), matches.end(),
              [](const auto& a, const auto& b) { return a.second > b.second; });
    return matches;
  }
};

ClipboardSearchIndex::ClipboardSearchIndex() : state_(std::make_unique<State>()) {}
ClipboardSearchIndex::~ClipboardSearchIndex() = default;
ClipboardSearchIndex::ClipboardSearchIndex(ClipboardSearchIndex&&) noexcept = default;
ClipboardSearchIndex& ClipboardSearchIndex::operator=(ClipboardSearchIndex&&) noexcept = default;

void ClipboardSearchIndex::insert(ClipboardEntry entry) {
  std::vector<ClipboardEntry> one;
  one.push_back(std::move(entry));
  insertAll(std::move(one), 1);
}

void ClipboardSearchIndex::insertAll(std::vector<ClipboardEntry> entries, unsigned threads) {
  // Replaced entries leave first, so that the words they share with their replacements stay.
  std::unordered_map<base::Uuid, std::size_t, UuidHash> lastOf;
  for (std::size_t index = 0; index < entries.size(); ++index)
    lastOf[entries[index].id] = index;
  std::vector<PreparedEntry> prepared;
  prepared.reserve(lastOf.size());
  for (std::size_t index = 0; index < entries.size(); ++index) {
    if (lastOf[entries[index].id] != index) continue;
    remove(entries[index].id);
    prepared.emplace_back().entry = std::move(entries[index]);
  }
  threads =
      std::clamp<unsigned>(threads, 1, static_cast<unsigned>(std::max<std::size_t>(prepared.size(), 1)));

  // Splitting texts into words is most of the work and needs nothing shared; numbering the words
  // for the whole index happens afterwards, on this thread.
  std::vector<Preparer> preparers(threads);
  const auto work = [&](unsigned part) {
    for (std::size_t index = part; index < prepared.size(); index += threads)
      preparers[part].prepare(prepared[index]);
  };
  {
    std::vector<std::jthread> workers;
    for (unsigned part = 1; part < threads; ++part)
      workers.emplace_back(work, part);
    work(0);
  }
  std::vector<std::vector<WordId>> globalOf(threads);
  for (unsigned part = 0; part < threads; ++part) {
    for (const std::string& word : preparers[part].words())
      globalOf[part].push_back(state_->intern(word));
  }
  for (std::size_t index = 0; index < prepared.size(); ++index) {
    state_->add(std::move(prepared[index]), globalOf[index % threads]);
  }
}

void ClipboardSearchIndex::remove(const base::Uuid& id) {
  if (const auto found = state_->ids.find(id); found != state_->ids.end()) state_->removeSlot(found->second);
}

void ClipboardSearchIndex::update(const ClipboardEntry& entry) {
  if (const auto found = state_->ids.find(entry.id); found != state_->ids.end()) {
    state_->slots[found->second].entry = entry;
  }
}

const ClipboardEntry* ClipboardSearchIndex::find(const base::Uuid& id) const {
  const State::Slot* slot = state_->slotOf(id);
  return slot ? &slot->entry : nullptr;
}

std::size_t ClipboardSearchIndex::count() const {
  return state_->ids.size();
}

std::vector<const ClipboardEntry*> ClipboardSearchIndex::entries() const {
  std::vector<const ClipboardEntry*> all;
  all.reserve(state_->ids.size());
  for (const State::Slot& slot : state_->slots) {
    if (slot.live) all.push_back(&slot.entry);
  }
  return all;
}

std::vector<std::string> ClipboardSearchIndex::terms(const base::Uuid& id) const {
  std::vector<std::string> texts;
  if (const State::Slot* slot = state_->slotOf(id)) {
    for (WordId word : slot->terms)
      texts.push_back(state_->words[word].text);
  }
  std::sort(texts.begin(), texts.end());
  return texts;
}

bool ClipboardSearchIndex::newestFirst(const ClipboardEntry& a, const ClipboardEntry& b) {
  if (a.isPinned != b.isPinned) return a.isPinned;
  const auto sortDate = [](const ClipboardEntry& entry) {
    return entry.isPinned ? entry.pinnedAt.value_or(entry.copiedAt) : entry.copiedAt;
  };
  const base::Date dateA = sortDate(a);
  const base::Date dateB = sortDate(b);
  if (dateA != dateB) return dateA > dateB;
  // The canonical text is upper-case hexadecimal, which sorts as the bytes do.
  return a.id.bytes < b.id.bytes;
}

std::vector<ClipboardEntry> ClipboardSearchIndex::search(std::string_view query, ClipboardFilter filter,
                                                         std::size_t limit, std::stop_token stop) {
  base::throwIfCancelled(stop);
  State& state = *state_;
  const std::string folded = fold(query);
  const std::string q(characters::trimmed(folded));

  if (q.empty()) {
    std::vector<const ClipboardEntry*> listed;
    for (const State::Slot& slot : state.slots) {
      if (slot.live && includes(filter, slot.entry)) listed.push_back(&slot.entry);
    }
    const auto newest = [](const ClipboardEntry* a, const ClipboardEntry* b) { return newestFirst(*a, *b); };
    const std::size_t kept = std::min(limit, listed.size());
    std::partial_sort(listed.begin(), listed.begin() + static_cast<std::ptrdiff_t>(kept), listed.end(),
                      newest);
    std::vector<ClipboardEntry> results;
    for (std::size_t index = 0; index < kept; ++index)
      results.push_back(*listed[index]);
    return results;
  }

  if (state.vocabularyChanged) state.rebuildVocabulary();
  std::vector<std::string> queryWords = words(q);
  if (queryWords.size() > kMaximumQueryWords) queryWords.resize(kMaximumQueryWords);

  std::vector<SlotId> candidates;
  // Clears the per-slot tables however the search ends.
  struct Reset {
    State& state;
    std::vector<SlotId>& candidates;
    ~Reset() {
      for (SlotId slot : state.touched)
        state.wordScores[slot] = 0;
      state.touched.clear();
      for (SlotId slot : candidates)
        state.totals[slot] = 0;
    }
  } reset{state, candidates};

  for (std::size_t position = 0; position < queryWords.size(); ++position) {
    base::throwIfCancelled(stop);
    for (const auto& [word, score] : state.matchingWords(queryWords[position])) {
      for (SlotId slot : state.words[word].postings) {
        int& best = state.wordScores[slot];
        if (best == 0) state.touched.push_back(slot);
        if (best < score) best = score;
      }
    }
    if (position == 0) {
      candidates = state.touched;
      for (SlotId slot : candidates)
        state.totals[slot] = state.wordScores[slot];
    } else {
      std::vector<SlotId> kept;
      for (SlotId slot : candidates) {
        if (state.wordScores[slot] > 0) {
          state.totals[slot] += state.wordScores[slot];
          kept.push_back(slot);
        } else {
          state.totals[slot] = 0;
        }
      }
      candidates = std::move(kept);
    }
    for (SlotId slot : state.touched)
      state.wordScores[slot] = 0;
    state.touched.clear();
    if (candidates.empty()) break;
  }

  const std::u32string scalars = base::lowercasedScalars(q);
  if (scalars.size() >= 2 && candidates.size() < limit) {
    std::u32string letters;
    for (char32_t scalar : scalars) {
      if (isWordScalar(scalar)) letters.push_back(scalar);
    }
    const std::uint64_t lettersMask = scalarMask(letters);
    for (SlotId slot = 0; slot < state.slots.size(); ++slot) {
      const State::Slot& candidate = state.slots[slot];
      if (!candidate.live || state.totals[slot] > 0 || (lettersMask & ~candidate.labelMask) != 0) continue;
      if (abbreviates(letters, candidate.labelScalars)) {
        state.totals[slot] = kAbbreviationScore;
        candidates.push_back(slot);
      }
    }
  }

  base::throwIfCancelled(stop);
  struct Ranked {
    const ClipboardEntry* entry;
    int score;
  };
  std::vector<Ranked> ranked;
  for (SlotId slot : candidates) {
    const State::Slot& candidate = state.slots[slot];
    if (!includes(filter, candidate.entry)) continue;
    int bonus = 0;
    if (candidate.foldedTitle == q) {
      bonus = kExactTitleBonus;
    } else if (std::string_view(candidate.foldedTitle).starts_with(q)) {
      bonus = kTitlePrefixBonus;
    }
    ranked.push_back({&candidate.entry, state.totals[slot] + bonus});
  }
  const auto better = [](const Ranked& a, const Ranked& b) {
    if (a.entry->isPinned != b.entry->isPinned) return a.entry->isPinned;
    if (a.score != b.score) return a.score > b.score;
    return newestFirst(*a.entry, *b.entry);
  };
  const std::size_t kept = std::min(limit, ranked.size());
  std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(kept), ranked.end(), better);
  std::vector<ClipboardEntry> results;
  results.reserve(kept);
  for (std::size_t index = 0; index < kept; ++index)
    results.push_back(*ranked[index].entry);
  return results;
}

std::optional<ClipboardEntry> ClipboardSearchIndex::strongMatch(std::string_view query,
                                                                std::stop_token stop) {
  const std::vector<std::string> queryWords = words(fold(query));
  if (queryWords.empty()) return std::nullopt;
  std::size_t letters = 0;
  for (const std::string& word : queryWords)
    letters += base::lowercasedScalars(word).size();
  if (letters < 3) return std::nullopt;

  std::vector<WordId> wanted;
  for (const std::string& word : queryWords) {
    const auto found = state_->wordIds.find(word);
    if (found == state_->wordIds.end()) return std::nullopt;
    wanted.push_back(found->second);
  }
  for (ClipboardEntry& result : search(query, ClipboardFilter::all, 20, stop)) {
    const State::Slot* slot = state_->slotOf(result.id);
    const bool holdsAll = std::all_of(wanted.begin(), wanted.end(), [&](WordId word) {
      return std::find(slot->ownTerms.begin(), slot->ownTerms.end(), word) != slot->ownTerms.end();
    });
    if (holdsAll) return std::move(result);
  }
  return std::nullopt;
}

}  // namespace quillo::clipboard
