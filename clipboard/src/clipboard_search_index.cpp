#include "quillo/clipboard/clipboard_search_index.h"

#include <algorithm>

#include "abbreviation.h"
#include "index_state.h"
#include "quillo/base/errors.h"
#include "quillo/base/unicode.h"
#include "quillo/clipboard/search_words.h"

namespace quillo::clipboard {

ClipboardSearchIndex::ClipboardSearchIndex() : state_(std::make_unique<State>()) {}
ClipboardSearchIndex::~ClipboardSearchIndex() = default;
ClipboardSearchIndex::ClipboardSearchIndex(ClipboardSearchIndex&&) noexcept = default;
ClipboardSearchIndex& ClipboardSearchIndex::operator=(ClipboardSearchIndex&&) noexcept = default;

void ClipboardSearchIndex::insert(ClipboardEntry entry) {
  Loader loader(*this, 1);
  loader.add(std::move(entry));
  loader.finish();
}

void ClipboardSearchIndex::insertAll(std::vector<ClipboardEntry> entries, unsigned threads) {
  Loader loader(*this, threads);
  for (ClipboardEntry& entry : entries)
    loader.add(std::move(entry));
  loader.finish();
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
  const std::string q(base::trimmedWhiteSpace(folded));

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
    // Matching words come best first, so an entry's first score for this word is its best.
    int* const scores = state.wordScores.data();
    for (const auto& [word, score] : state.matchingWords(queryWords[position])) {
      for (SlotId slot : state.words[word].postings) {
        if (scores[slot] == 0) {
          scores[slot] = score;
          state.touched.push_back(slot);
        }
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
    const Abbreviation abbreviation(std::move(letters));
    for (SlotId slot = 0; slot < state.slots.size(); ++slot) {
      const State::Slot& candidate = state.slots[slot];
      if (!candidate.live || state.totals[slot] > 0) continue;
      if (abbreviation.abbreviates(candidate.abbreviationMasks, candidate.label)) {
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
    if (candidate.foldedTitle() == q) {
      bonus = kExactTitleBonus;
    } else if (startsWith(candidate.foldedTitle(), q)) {
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
    const auto found = state_->wordOf(word);
    if (!found) return std::nullopt;
    wanted.push_back(*found);
  }
  for (ClipboardEntry& result : search(query, ClipboardFilter::all, 20, stop)) {
    const State::Slot* slot = state_->slotOf(result.id);
    const bool holdsAll = std::all_of(wanted.begin(), wanted.end(), [&](WordId word) {
      const auto own = slot->terms.begin() + slot->ownTermCount;
      return std::find(slot->terms.begin(), own, word) != own;
    });
    if (holdsAll) return std::move(result);
  }
  return std::nullopt;
}

}  // namespace quillo::clipboard
