#include "index_state.h"

#include <algorithm>

#include "quillo/base/characters.h"
#include "quillo/base/unicode.h"
#include "word_edits.h"

namespace quillo::clipboard {

std::pair<WordId, bool> ClipboardSearchIndex::State::intern(std::string_view text) {
  if (const auto found = wordOf(text)) return {*found, false};
  WordId id;
  if (!freeWords.empty()) {
    id = freeWords.back();
    freeWords.pop_back();
  } else {
    id = static_cast<WordId>(words.size());
    words.emplace_back();
  }
  words[id].text.assign(text);
  wordIds.insert(id);
  vocabularyChanged = true;
  return {id, true};
}

bool ClipboardSearchIndex::State::takesDeletionKeys(std::string_view text) {
  if (text.size() <= kMaximumTypoWordLength) return true;
  return !base::isAscii(text) && !base::hasMoreCharactersThan(text, kMaximumTypoWordLength);
}

void ClipboardSearchIndex::State::dropWord(WordId id) {
  Word& word = words[id];
  if (takesDeletionKeys(word.text)) {
    for (std::uint32_t key : deletionKeyHashes(word.text))
      deletions.erase(key, id);
  }
  wordIds.erase(id);
  word = Word{};
  freeWords.push_back(id);
  vocabularyChanged = true;
}

SlotId ClipboardSearchIndex::State::newSlot() {
  if (!freeSlots.empty()) {
    const SlotId slotId = freeSlots.back();
    freeSlots.pop_back();
    return slotId;
  }
  slots.emplace_back();
  wordScores.push_back(0);
  totals.push_back(0);
  return static_cast<SlotId>(slots.size() - 1);
}

void ClipboardSearchIndex::State::removeSlot(SlotId slotId) {
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

const ClipboardSearchIndex::State::Slot* ClipboardSearchIndex::State::slotOf(const base::Uuid& id) const {
  const auto found = ids.find(id);
  return found == ids.end() ? nullptr : &slots[found->second];
}

void ClipboardSearchIndex::State::rebuildVocabulary() {
  vocabulary.assign(wordIds.begin(), wordIds.end());
  std::sort(vocabulary.begin(), vocabulary.end(),
            [&](WordId a, WordId b) { return words[a].text < words[b].text; });
  vocabularyChanged = false;
}

std::vector<std::pair<WordId, int>> ClipboardSearchIndex::State::matchingWords(std::string_view query) {
  // Scores by word id, cleared again before returning; a map would cost more than the walk.
  matchScores.resize(words.size(), 0);
  std::vector<std::pair<WordId, int>> matches;
  const auto offer = [&](WordId id, int score) {
    int& best = matchScores[id];
    if (best == 0) matches.emplace_back(id, 0);
    best = std::max(best, score);
  };
  if (const auto found = wordOf(query)) offer(*found, kExactScore);
  auto it = std::lower_bound(vocabulary.begin(), vocabulary.end(), query,
                             [&](WordId id, std::string_view text) { return words[id].text < text; });
  for (; it != vocabulary.end() && startsWith(words[*it].text, query); ++it) {
    offer(*it, kPrefixScore);
  }
  const std::size_t length = base::characterCount(query);
  if (length >= kMinimumTypoWordLength && length <= kMaximumTypoWordLength) {
    for (std::uint32_t key : deletionKeyHashes(query)) {
      deletions.forEach(key, [&](WordId candidate) {
        if (matchScores[candidate] == 0 && isOneEdit(query, words[candidate].text))
          offer(candidate, kTypoScore);
      });
    }
  }
  // Offered exact word, prefixes, typos in turn, and a word keeps its first and best score: the
  // list is best first already.
  for (auto& [id, score] : matches) {
    score = matchScores[id];
    matchScores[id] = 0;
  }
  return matches;
}

}  // namespace quillo::clipboard
